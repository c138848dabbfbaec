#pragma once

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QWidget>

// Changes a check box or option button as a screen reader does: through the
// toggle action of its accessibility interface, which sends no click.
// False when the control offers no such action.
inline bool toggleAccessibly(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    QAccessibleActionInterface *actions = face ? face->actionInterface() : nullptr;
    const QString toggle = QAccessibleActionInterface::toggleAction();
    if (!actions || !actions->actionNames().contains(toggle))
        return false;
    actions->doAction(toggle);
    return true;
}
