#pragma once

#include <QImage>
#include <QString>

// Writes a picture as an uncompressed 24-bit BMP file (rows bottom-up, each
// padded to 4 bytes), the form every BMP reader accepts. Returns false, and
// leaves no partial file behind, when the file cannot be written in full.
bool writeBmpFile(const QImage &picture, const QString &path);

// Reads a BMP file (any depth the format allows) as a 24-bit BGR image
// (QImage::Format_BGR888, rows top-down). A file that is not a BMP, or whose
// pixel rows are cut short, gives a null image.
QImage readBmpFile(const QString &path);
