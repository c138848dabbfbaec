#pragma once

#include "testfiles.h"

#include <QObject>
#include <QString>
#include <QTest>
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

// Compares every control of a captions table of tests/data/tables (a
// control's name, then its caption; "*" checks only that the control is
// there) with the window.
inline void compareCaptions(const QObject *window, const QString &table)
{
    for (const QStringList &row : TestFiles::table(table))
        if (const QString text = controlText(window, row.value(0));
            row.value(1) != QLatin1String("*") || text.startsWith(QLatin1String("<no control")))
            QCOMPARE(text, row.value(1));
}
