#pragma once

// Hand-made BMP files and a small JPEG reader, so the imaging tests check the
// program against the file formats themselves rather than against Qt's codecs.

#include "testfiles.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <optional>

namespace imagingtest
{

using TestFiles::readFile;
using TestFiles::writeFile;

inline void put16(QByteArray &b, int at, int v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}

inline void put32(QByteArray &b, int at, qint64 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

// A BMP file with a BITMAPINFOHEADER: 8 bits (grey palette index = value),
// 24 or 32 bits (pixel(x, y) gives the colour). Height negative for top-down.
inline QByteArray craftBmp(int width, int height, int bits,
                           const std::function<QRgb(int x, int y)> &pixel)
{
    const int rows = height < 0 ? -height : height;
    const int rowBytes = ((width * bits + 31) / 32) * 4;
    const int paletteBytes = bits == 8 ? 256 * 4 : 0;
    const int offset = 14 + 40 + paletteBytes;
    QByteArray b(offset + rowBytes * rows, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, b.size());
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, width);
    put32(b, 22, height);
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 34, rowBytes * rows);
    for (int i = 0; i < paletteBytes / 4; ++i) {
        // A palette that is not grey in order, so a reader that ignores it shows.
        b[54 + i * 4] = char(255 - i);   // blue
        b[54 + i * 4 + 1] = char(i);     // green
        b[54 + i * 4 + 2] = char(i / 2); // red
    }
    for (int y = 0; y < rows; ++y) {
        const int fileRow = height > 0 ? rows - 1 - y : y;
        char *row = b.data() + offset + fileRow * rowBytes;
        for (int x = 0; x < width; ++x) {
            const QRgb c = pixel(x, y);
            if (bits == 8) {
                row[x] = char(qGray(c));
            } else {
                char *p = row + x * (bits / 8);
                p[0] = char(qBlue(c));
                p[1] = char(qGreen(c));
                p[2] = char(qRed(c));
                if (bits == 32)
                    p[3] = char(0x5a); // unused byte, must not matter
            }
        }
    }
    return b;
}

// Smooth in both directions (so JPEG keeps it close) and different in every
// channel, so a shifted or flipped picture or swapped red and blue shows.
inline QRgb gradient(int x, int y, int w, int h)
{
    const int across = x * 255 / std::max(1, w - 1);
    return qRgb(across, y * 255 / std::max(1, h - 1), 255 - across);
}

// Paints the gradient over a whole picture.
inline void fillGradient(QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, gradient(x, y, image.width(), image.height()));
}

inline QImage gradientPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    fillGradient(image);
    return image;
}

// The colour an 8-bit crafted file holds for a grey level.
inline QRgb paletteColour(int index)
{
    return qRgb(index / 2, index, 255 - index);
}

// The two standard quantisation tables in natural order (JPEG Annex K).
inline constexpr std::array<int, 64> kStdLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
inline constexpr std::array<int, 64> kStdChrominance = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Natural index of the k-th coefficient in zig-zag order (as DQT stores them).
inline constexpr std::array<int, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A standard table scaled for a quality, as the IJG encoder scales it, in
// zig-zag order.
inline std::array<int, 64> scaledTable(const std::array<int, 64> &natural, int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    std::array<int, 64> out{};
    for (int k = 0; k < 64; ++k)
        out[size_t(k)] =
            std::clamp((natural[size_t(kZigZag[size_t(k)])] * scale + 50) / 100, 1, 255);
    return out;
}

struct JpegFacts {
    QList<std::array<int, 64>> tables; // by table id, zig-zag order
    int width = 0;
    int height = 0;
    QList<std::pair<int, int>> sampling; // per component: horizontal, vertical
};

// Reads the quantisation tables and the frame header of a baseline JPEG.
inline std::optional<JpegFacts> jpegFacts(const QByteArray &jpeg)
{
    const auto *d = reinterpret_cast<const uchar *>(jpeg.constData());
    const int n = int(jpeg.size());
    if (n < 4 || d[0] != 0xff || d[1] != 0xd8)
        return std::nullopt;
    JpegFacts facts;
    facts.tables.resize(4);
    int i = 2;
    while (i + 4 <= n && d[i] == 0xff) {
        const int marker = d[i + 1];
        const int length = (d[i + 2] << 8) | d[i + 3];
        const int body = i + 4;
        if (body + length - 2 > n)
            return std::nullopt;
        if (marker == 0xdb) {
            for (int p = body; p < body + length - 2; p += 65) {
                if ((d[p] >> 4) != 0)
                    return std::nullopt; // 16-bit tables are not baseline
                std::array<int, 64> t{};
                for (int k = 0; k < 64; ++k)
                    t[size_t(k)] = d[p + 1 + k];
                facts.tables[d[p] & 0x0f] = t;
            }
        } else if (marker == 0xc0) {
            facts.height = (d[body + 1] << 8) | d[body + 2];
            facts.width = (d[body + 3] << 8) | d[body + 4];
            const int components = d[body + 5];
            for (int c = 0; c < components; ++c) {
                const int s = d[body + 6 + c * 3 + 1];
                facts.sampling.append({s >> 4, s & 0x0f});
            }
        } else if (marker == 0xda) {
            break;
        }
        i = body + length - 2;
    }
    return facts;
}

// Decodes a JPEG to an RGB888 picture with TurboJPEG; null when it fails.
inline QImage decodeJpeg(const QByteArray &jpeg)
{
    tjhandle h = tjInitDecompress();
    int w = 0, hgt = 0, subsamp = 0, colorspace = 0;
    QImage out;
    auto *src = reinterpret_cast<const unsigned char *>(jpeg.constData());
    if (tjDecompressHeader3(h, src, jpeg.size(), &w, &hgt, &subsamp, &colorspace) == 0) {
        out = QImage(w, hgt, QImage::Format_RGB888);
        if (tjDecompress2(h, src, jpeg.size(), out.bits(), w, int(out.bytesPerLine()), hgt,
                          TJPF_RGB, 0) != 0)
            out = QImage();
    }
    tjDestroy(h);
    return out;
}

inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace imagingtest
