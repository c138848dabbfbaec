#pragma once

// A small JPEG reader, so the imaging tests check the program against the
// file format itself rather than against Qt's codecs.

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
#include <optional>

namespace imagingtest
{

using TestFiles::channelDistance;
using TestFiles::readFile;

// Smooth in both directions (so JPEG keeps it close) and different in every
// channel, so a shifted or flipped picture or swapped red and blue shows.
inline QRgb gradient(int x, int y, int w, int h)
{
    const int across = x * 255 / std::max(1, w - 1);
    return qRgb(across, y * 255 / std::max(1, h - 1), 255 - across);
}

inline QImage gradientPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, gradient(x, y, w, h));
    return image;
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

} // namespace imagingtest
