#pragma once

// File helpers shared by the tests.

#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <list>

namespace TestFiles
{

// A fixture file of tests/data, e.g. "pictures/truncated.jpg".
inline QString testData(const QString &name)
{
    return QStringLiteral(JACKETEER_TEST_DATA "/") + name;
}

// The largest difference of one colour channel between two colours.
inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The largest channelDistance between two pictures of the same size, -1 for
// pictures of different sizes: a JPEG of a picture stays within a few levels
// of it.
inline int pictureDistance(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            worst = std::max(worst, channelDistance(a.pixel(x, y), b.pixel(x, y)));
    return worst;
}

// Empty when the file cannot be read, which any expected content then shows.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes bytes to path, making its folders first.
inline bool writeFile(const QString &path, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A plain-coloured JPEG picture of the given size, its folders made; returns
// its path.
inline QString writePicture(const QString &path, int w, int h, QColor colour = Qt::red)
{
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(colour);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !picture.save(path, "JPG"))
        qWarning() << "cannot write" << path;
    return path;
}

// What a fake download leaves at path: nothing for an invalid size, a page of
// text for an empty one, else a picture of that size.
inline void writeServed(const QString &path, QSize size)
{
    if (!size.isEmpty())
        TestFiles::writePicture(path, size.width(), size.height());
    else if (size.isValid())
        TestFiles::writeFile(path, "<html><body>Not found</body></html>");
}

// The rows of a table of tests/data/tables: a line per row, its fields
// parted by tabs (a run of tabs is one parting), the row's name first; blank
// lines and lines starting with "#" are skipped. In a field, "" is the empty
// text and \n, \r, \t, \\ and \xNN stand for those characters (\xNN for
// U+00NN, a byte after toLatin1()).
inline QList<QStringList> table(const QString &name)
{
    QList<QStringList> rows;
    for (const QString &line :
         QString::fromUtf8(readFile(testData("tables/" + name))).split('\n')) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        QStringList fields;
        for (const QString &raw : line.split('\t', Qt::SkipEmptyParts)) {
            QString field;
            for (qsizetype i = 0; i < raw.size(); ++i) {
                const QChar c = raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : QChar();
                if (c.isNull())
                    field += raw[i];
                else if (c == 'x')
                    field += QChar(raw.mid(i + 1, 2).toUShort(nullptr, 16)), i += 2;
                else
                    field += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            }
            fields << (raw == "\"\"" ? QString() : field);
        }
        rows << fields;
    }
    if (rows.isEmpty())
        qFatal("no rows in table %s", qPrintable(name));
    return rows;
}

// A page of tests/data/pages: the lines before its "----" line (what the
// page must give, one line each), and the page itself after it.
struct PageFixture {
    QStringList expected;
    QString body;
};

inline PageFixture pageFixture(const QString &path)
{
    const QString text = '\n' + QString::fromUtf8(readFile(path));
    const qsizetype cut = text.indexOf("\n----\n");
    if (cut < 0)
        qFatal("no \"----\" line in %s", qPrintable(path));
    return {text.left(cut).split('\n', Qt::SkipEmptyParts), text.mid(cut + 6)};
}

// The page body of a fixture, by its name below tests/data/pages.
inline QString page(const QString &name)
{
    return pageFixture(testData("pages/" + name)).body;
}

// One data row per page of the named folders of tests/data/pages, named
// "folder/page", in a "path" column.
inline void addPageRows(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QDir dir(testData("pages/" + folder));
        const QStringList names = dir.entryList({"*.txt"}, QDir::Files);
        if (names.isEmpty())
            qFatal("no pages in %s", qPrintable(dir.path()));
        for (const QString &name : names)
            QTest::newRow(qPrintable(folder + '/' + name.chopped(4))) << dir.filePath(name);
    }
}

// A size written "WxH" in a table; invalid for anything else ("-").
inline QSize sizeOf(const QString &text)
{
    bool w = false, h = false;
    const QSize size(text.section('x', 0, 0).toInt(&w), text.section('x', 1).toInt(&h));
    return w && h ? size : QSize();
}

// The rows of a table of tests/data/tables as a test's data rows, each
// field a text column; the columns are named here, or else by the table's
// first row.
inline void addTableRows(const QString &name, QStringList columns = {})
{
    // Qt Test keeps the names' addresses, not copies of them.
    static std::list<QByteArray> names;
    QList<QStringList> rows = table(name);
    if (columns.isEmpty())
        columns = rows.takeFirst().mid(1);
    for (const QString &column : columns)
        QTest::addColumn<QString>(names.emplace_back(column.toUtf8()).constData());
    for (const QStringList &cells : rows) {
        if (cells.size() != columns.size() + 1)
            qFatal("%s: not %d values: %s", qPrintable(name), int(columns.size()),
                   qPrintable(cells.join(" | ")));
        QTestData &row = QTest::newRow(qPrintable(cells[0]));
        for (const QString &cell : cells.mid(1))
            row << cell;
    }
}

} // namespace TestFiles
