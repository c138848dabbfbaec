#pragma once

#include <QSize>
#include <QString>

#include <array>
#include <optional>

// Picture facts shown by the compare window, the batch preview and the viewer.

// "500x500": width, "x", height in pixels, no blanks.
QString resolutionText(const QSize &size);

// The size in bytes of the regular file at path; empty when there is none.
std::optional<qint64> fileSizeBytes(const QString &path);

// bytes / 1024 rounded to the nearest whole number, halves to the even neighbour.
qint64 roundedKbytes(qint64 bytes);

// "37 Kbytes" for the rounded size.
QString kbytesText(qint64 bytes);

// kbytesText of the file, or "N/A" when its size cannot be read.
QString fileSizeText(const QString &path);

struct Recommendation {
    bool one = false;
    bool two = false;
};

// The larger picture is recommended, Picture One tested first (so a wider
// but shorter Picture One wins); at equal resolution the larger file, and
// both on a tie. A size that cannot be read (empty) counts as smaller than
// any size that can.
Recommendation recommend(const QSize &one, std::optional<qint64> kbytesOne, const QSize &two,
                         std::optional<qint64> kbytesTwo);

// What the compare window shows for one picture.
struct PictureFacts {
    QSize size;                   // upright, from the header; empty when it is no picture
    std::optional<qint64> kbytes; // rounded size, empty when unreadable
    QString resolution;           // resolutionText(size)
    QString sizeText;             // "N Kbytes" or "N/A"
    bool recommended = false;
};

// Reads both files and fills in the facts and the recommendation.
std::array<PictureFacts, 2> comparePictures(const QString &pathOne, const QString &pathTwo);
