#include "gifwriter.h"

#include <QImage>

namespace
{

constexpr int kLevels = 5;   // per channel: 125 colours
constexpr int kCodeBits = 7; // palette of 128 entries
constexpr int kClear = 1 << kCodeBits;
constexpr int kEnd = kClear + 1;
// Literals between clear codes: the decoder adds one table entry per code
// after the first, and the code width would grow to 9 bits when the table
// reaches 256 entries (130 + 125 < 256 keeps every code 8 bits wide).
constexpr int kRunLength = 120;

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

int level(int channel)
{
    return (channel * (kLevels - 1) + 127) / 255;
}

} // namespace

QByteArray encodeGif(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();

    QByteArray out("GIF87a");
    put16(out, w);
    put16(out, h);
    out.append(char(0x80 | ((kCodeBits - 1) << 4) | (kCodeBits - 1))); // global table, 128 colours
    out.append(char(0));                                               // background
    out.append(char(0));                                               // aspect
    for (int i = 0; i < (1 << kCodeBits); ++i) {
        const int idx = i < kLevels * kLevels * kLevels ? i : 0;
        const int r = idx / (kLevels * kLevels);
        const int g = (idx / kLevels) % kLevels;
        const int b = idx % kLevels;
        out.append(char(r * 255 / (kLevels - 1)));
        out.append(char(g * 255 / (kLevels - 1)));
        out.append(char(b * 255 / (kLevels - 1)));
    }

    out.append(',');
    put16(out, 0);
    put16(out, 0);
    put16(out, w);
    put16(out, h);
    out.append(char(0)); // no local table, not interlaced
    out.append(char(kCodeBits));

    // Codes are 8 bits wide, so the code stream is plain bytes.
    QByteArray codes;
    codes.reserve(w * h + w * h / kRunLength + 4);
    int run = 0;
    codes.append(char(kClear));
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (run == kRunLength) {
                codes.append(char(kClear));
                run = 0;
            }
            const QRgb p = line[x];
            codes.append(char(level(qRed(p)) * kLevels * kLevels + level(qGreen(p)) * kLevels +
                              level(qBlue(p))));
            ++run;
        }
    }
    codes.append(char(kEnd));

    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const qsizetype n = qMin<qsizetype>(255, codes.size() - i);
        out.append(char(n));
        out.append(codes.constData() + i, n);
    }
    out.append(char(0)); // block terminator
    out.append(';');
    return out;
}
