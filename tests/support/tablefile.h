#pragma once

// Data-driven rows from a tab-separated file of tests/data: a header line
// naming the columns (the first holds the rows' names), then a line per row.
// Lines starting with '#' are notes. Every column is a QString.

#include "testfiles.h"

#include <list>

namespace TestFiles
{

inline void addTableRows(const QString &name)
{
    static std::list<QByteArray> columnNames; // QTest keeps the pointers
    const QString text = QString::fromUtf8(readFile(testData(name)));
    qsizetype columns = 0;
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('#'))
            continue;
        const QStringList cells = line.split('\t');
        if (columns == 0) {
            columns = cells.size();
            for (const QString &cell : cells.mid(1))
                QTest::addColumn<QString>(columnNames.emplace_back(cell.toUtf8()).constData());
            continue;
        }
        if (cells.size() != columns)
            qFatal("%s: %d cells in \"%s\"", qPrintable(name), int(cells.size()), qPrintable(line));
        QTestData &row = QTest::newRow(qPrintable(cells.first()));
        for (const QString &cell : cells.mid(1))
            row << cell;
    }
    if (columns == 0)
        qFatal("no table in %s", qPrintable(name));
}

} // namespace TestFiles
