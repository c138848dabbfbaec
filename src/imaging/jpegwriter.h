#pragma once

#include <QByteArray>
#include <QString>

class cDIBSection;

// The JPEG writer: turns a cDIBSection into a JPEG file at a fixed quality.

inline constexpr int kJpegQuality = 85;

// What the encoder is told about one bitmap.
struct JpegWriteSettings {
    int dibWidth = 0;
    int dibHeight = 0; // negative: the rows are stored top-down
    int dibChannels = 0;
    int dibPadBytes = 0; // bytes after each row's pixels up to the next row
    int pitch = 0;       // whole row, pixels and padding
    int pixelFormat = 0; // TurboJPEG TJPF_*
    int jpgWidth = 0;
    int jpgHeight = 0;
    int subsampling = 0; // TurboJPEG TJSAMP_*: 4:2:0, the JPEG "4:1:1" of old encoders
    int quality = kJpegQuality;
};

// Bytes that pad a row of `width` pixels of `channels` bytes each to a multiple
// of 4. Throws std::overflow_error when the row length does not fit in 32 bits.
int JpegPadBytes(int width, int channels);

// The settings SaveJpeg uses for `dib`. Throws like JpegPadBytes.
JpegWriteSettings jpegWriteSettings(const cDIBSection &dib);

// The JPEG file for `dib` at quality 85, empty when the bitmap is empty or the
// encoder fails.
QByteArray encodeJpeg(const cDIBSection &dib);

// Writes `dib` as a JPEG file at `path` through FileOps::replaceWithData, so a
// failure leaves any file already at `path` as it was. True when the whole
// file was written. Shows no message.
bool SaveJpeg(const cDIBSection &dib, const QString &path);
