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

namespace TestFiles
{

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
        writePicture(path, size.width(), size.height());
    else if (size.isValid())
        writeFile(path, "<html><body>Not found</body></html>");
}

} // namespace TestFiles
