#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

// The artist and album of an ID3v1 tag (the last 128 bytes of an audio file).
struct Id3v1Tag {
    QString artist;
    QString album;
};

inline constexpr int kId3v1Size = 128;

// Whether a file name ends in ".MP3", ".APE", ".OGG" or ".WM9", in any case.
bool isTaggableAudioName(std::string_view name);

// Reads the tag of one file. Empty when the file cannot be opened or read, is
// shorter than a tag, or its last 128 bytes do not start with "TAG".
std::optional<Id3v1Tag> readId3v1Tag(const char *path);
std::optional<Id3v1Tag> readId3v1Tag(const QString &path);
// The same for a file named relative to an open folder.
std::optional<Id3v1Tag> readId3v1TagAt(int folderFd, const char *name);

// Parses 128 tag bytes. Each text field ends at its first NUL byte and loses
// surrounding blanks; the bytes are Windows-1252.
std::optional<Id3v1Tag> parseId3v1Tag(QByteArrayView tag);

// Builds 128 tag bytes (texts cut to their fields, NUL-padded), for the
// sample collection and for tests.
QByteArray makeId3v1Tag(const QString &title, const QString &artist, const QString &album,
                        const QString &year = {}, const QString &comment = {},
                        unsigned char genre = 255);
