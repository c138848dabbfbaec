#pragma once

#include <QByteArray>
#include <QString>

class QImage;

// The JPEG writer: every picture the program writes is encoded here, with
// TurboJPEG. The files carry no orientation tag: the pixels are written as
// they are to be shown.

// The cover crop's quality.
inline constexpr int kJpegQuality = 85;

// The JPEG file of `picture` (an alpha channel is dropped), empty when the
// picture is null or the encoder fails. Colour is sampled 4:2:0, as covers
// have always been written; `fullColour` keeps it for every pixel (4:4:4).
QByteArray encodeJpeg(const QImage &picture, int quality = kJpegQuality, bool fullColour = false);

// Writes `picture` as a JPEG file at quality 85 through
// FileOps::replaceWithData, so a failure leaves any file already at `path` as
// it was. True when the whole file was written. Shows no message.
bool SaveJpeg(const QImage &picture, const QString &path);
