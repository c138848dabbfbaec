#pragma once

#include <QString>

// The object name of one member of a control array, "name(index)":
// optType(1), chkMusicG(6). Other windows and the tests find the control by it.
inline QString controlArrayName(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}
