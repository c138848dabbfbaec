#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// The caption of a window's named control (its "text", or the "title" of a
// frame or menu), or a marker naming the control when the window has no such
// control, so that a comparison fails with the name.
inline QString controlText(const QObject *window, const QString &name)
{
    const QObject *control = window->findChild<QObject *>(name);
    if (!control)
        return QStringLiteral("<no control ") + name + QLatin1Char('>');
    const QVariant text = control->property("text");
    return text.isValid() ? text.toString() : control->property("title").toString();
}
