#pragma once

#include "batch/id3v1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Writes a file of some audio-like bytes ending in the given 128 tag bytes
// (or no tag when tag is empty).
inline bool writeAudio(const QString &path, const QByteArray &tag, int payload = 200)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(QByteArray(payload, 'x'));
    file.write(tag);
    return true;
}

inline bool writeTagged(const QString &path, const QString &artist, const QString &album)
{
    return writeAudio(path, makeId3v1Tag(QStringLiteral("Song"), artist, album));
}

inline bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}

// Writes a file of these bytes, making its folder first.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A file's bytes, or "(none)" when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}
