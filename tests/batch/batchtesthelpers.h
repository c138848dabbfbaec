#pragma once

#include "batch/id3v1.h"
#include "testfiles.h"

using TestFiles::writeFile;

// Writes a file of some audio-like bytes ending in the given 128 tag bytes
// (or no tag when tag is empty).
inline bool writeAudio(const QString &path, const QByteArray &tag, int payload = 200)
{
    return writeFile(path, QByteArray(payload, 'x') + tag);
}

inline bool writeTagged(const QString &path, const QString &artist, const QString &album)
{
    return writeAudio(path, makeId3v1Tag(QStringLiteral("Song"), artist, album));
}

// A file's bytes, or "(none)" when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    return QFileInfo(path).isFile() ? TestFiles::readFile(path) : QByteArray("(none)");
}

inline bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}
