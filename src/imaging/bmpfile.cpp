#include "imaging/bmpfile.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace
{

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kInfoHeaderSize = 40;
constexpr qsizetype kCoreHeaderSize = 12; // the old OS/2 header

quint16 le16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

quint32 le32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

void put16(uchar *p, quint16 v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}

void put32(uchar *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uchar(v >> (8 * i));
}

qint64 paddedRow(qint64 width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

bool validDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

struct BmpLayout {
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0; // signed: negative means the rows are stored top-down
    int bitsPerPixel = 0;
    quint32 compression = 0;
    int planes = 0;
    bool known = false; // the header could be read at all
};

BmpLayout readLayout(const uchar *data, qint64 size)
{
    BmpLayout l;
    if (size < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' || data[1] != 'M')
        return l;
    l.dataOffset = le32(data + 10);
    const quint32 headerSize = le32(data + 14);
    const uchar *h = data + kFileHeaderSize;
    if (headerSize == kCoreHeaderSize) {
        l.width = le16(h + 4);
        l.height = le16(h + 6);
        l.planes = le16(h + 8);
        l.bitsPerPixel = le16(h + 10);
    } else if (headerSize >= kInfoHeaderSize && size >= kFileHeaderSize + kInfoHeaderSize) {
        l.width = qint32(le32(h + 4));
        l.height = qint32(le32(h + 8));
        l.planes = le16(h + 12);
        l.bitsPerPixel = le16(h + 14);
        l.compression = le32(h + 16);
    } else {
        return l;
    }
    l.known = true;
    return l;
}

// Uncompressed layouts have a known pixel size; a file shorter than that is
// cut short and must not pass as a picture with a black or missing bottom.
bool pixelsComplete(const BmpLayout &l, qint64 fileSize)
{
    constexpr quint32 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (l.compression != kRgb && l.compression != kBitFields && l.compression != kAlphaBitFields)
        return true; // run-length data: its length is only known to the decoder
    // Divided rather than multiplied: a forged header must not overflow the check.
    const qint64 rowBytes = paddedRow(l.width, l.bitsPerPixel);
    return qAbs(l.height) <= (fileSize - l.dataOffset) / rowBytes;
}

// Rows go through a small buffer: no second copy of the whole picture.
constexpr qint64 kChunkBytes = 64 * 1024;

// The common 24- and 32-bit forms, read straight into the picture's rows.
QImage readDirect(const BmpLayout &l, QFile &file)
{
    const int width = int(l.width);
    const int height = int(qAbs(l.height));
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull() || !file.seek(l.dataOffset))
        return {};
    const qint64 rowBytes = paddedRow(l.width, l.bitsPerPixel);
    const bool bottomUp = l.height > 0;
    if (l.bitsPerPixel == 24 && rowBytes == image.bytesPerLine()) {
        const qint64 total = rowBytes * height;
        if (file.read(reinterpret_cast<char *>(image.bits()), total) != total)
            return {};
        if (bottomUp) {
            QByteArray spare(rowBytes, Qt::Uninitialized);
            for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
                std::memcpy(spare.data(), image.scanLine(top), size_t(rowBytes));
                std::memcpy(image.scanLine(top), image.scanLine(bottom), size_t(rowBytes));
                std::memcpy(image.scanLine(bottom), spare.constData(), size_t(rowBytes));
            }
        }
        return image;
    }
    const qint64 rowsPerChunk = std::max<qint64>(1, kChunkBytes / rowBytes);
    QByteArray chunk(rowsPerChunk * rowBytes, Qt::Uninitialized);
    for (int fileRow = 0; fileRow < height;) {
        const int rows = int(std::min<qint64>(rowsPerChunk, height - fileRow));
        if (file.read(chunk.data(), rows * rowBytes) != rows * rowBytes)
            return {};
        for (int r = 0; r < rows; ++r, ++fileRow) {
            const auto *src = reinterpret_cast<const uchar *>(chunk.constData()) + r * rowBytes;
            uchar *dst = image.scanLine(bottomUp ? height - 1 - fileRow : fileRow);
            if (l.bitsPerPixel == 24) {
                std::memcpy(dst, src, size_t(width) * 3);
            } else {
                for (int x = 0; x < width; ++x, src += 4, dst += 3) {
                    dst[0] = src[0];
                    dst[1] = src[1];
                    dst[2] = src[2];
                }
            }
        }
    }
    return image;
}

// One file row: blue, green, red per pixel, then zero padding.
void packRow(const QImage &image, int y, uchar *out, qint64 rowBytes)
{
    const int width = image.width();
    const uchar *src = image.constScanLine(y);
    if (image.format() == QImage::Format_BGR888) {
        std::memcpy(out, src, size_t(width) * 3);
    } else {
        // 32-bit pixels lie in memory as blue, green, red, alpha: four of
        // them become twelve bytes by dropping every fourth byte.
        int x = 0;
        uchar *o = out;
        for (; x + 4 <= width; x += 4, src += 16, o += 12) {
            quint32 p[4];
            std::memcpy(p, src, 16);
            const quint32 packed[3] = {(p[0] & 0xffffffu) | (p[1] << 24),
                                       ((p[1] >> 8) & 0xffffu) | (p[2] << 16),
                                       ((p[2] >> 16) & 0xffu) | (p[3] << 8)};
            std::memcpy(o, packed, 12);
        }
        for (; x < width; ++x, src += 4, o += 3) {
            o[0] = src[0];
            o[1] = src[1];
            o[2] = src[2];
        }
    }
    std::memset(out + qint64(width) * 3, 0, size_t(rowBytes - qint64(width) * 3));
}

} // namespace

bool writeBmpFile(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        return false;
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    // Pictures as loaded (32-bit) or as captured (24-bit) are written as they
    // are; anything else is converted first.
    QImage image = picture;
    if (image.format() != QImage::Format_BGR888 && image.format() != QImage::Format_RGB32 &&
        image.format() != QImage::Format_ARGB32)
        image = picture.convertToFormat(QImage::Format_BGR888);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowBytes = paddedRow(width, 24);
    const qint64 pixelBytes = rowBytes * height;
    const qint64 fileSize = kFileHeaderSize + kInfoHeaderSize + pixelBytes;
    if (fileSize > 0x7fffffff)
        return false;

    uchar header[kFileHeaderSize + kInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, quint32(fileSize));
    put32(header + 10, quint32(kFileHeaderSize + kInfoHeaderSize));
    uchar *h = header + kFileHeaderSize;
    put32(h, quint32(kInfoHeaderSize));
    put32(h + 4, quint32(width));
    put32(h + 8, quint32(height));
    put16(h + 12, 1);
    put16(h + 14, 24);
    put32(h + 20, quint32(pixelBytes));
    put32(h + 24, 3780); // 96 dpi, in pixels per metre
    put32(h + 28, 3780);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    bool written =
        file.write(reinterpret_cast<const char *>(header), sizeof header) == qint64(sizeof header);
    const qint64 rowsPerChunk = std::max<qint64>(1, kChunkBytes / rowBytes);
    QByteArray chunk(rowsPerChunk * rowBytes, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(chunk.data());
    // Bottom-up, the order every reader expects.
    for (qint64 y = height - 1; written && y >= 0;) {
        qint64 rows = 0;
        for (; rows < rowsPerChunk && y >= 0; ++rows, --y)
            packRow(image, int(y), out + rows * rowBytes, rowBytes);
        written = file.write(chunk.constData(), rows * rowBytes) == rows * rowBytes;
    }
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

QImage readBmpFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const qint64 size = file.size();
    uchar header[kFileHeaderSize + kInfoHeaderSize] = {};
    const qint64 headerBytes = file.read(reinterpret_cast<char *>(header), sizeof header);
    const BmpLayout layout = readLayout(header, std::max<qint64>(0, headerBytes));
    if (!layout.known || layout.width <= 0 || layout.height == 0 || layout.planes != 1 ||
        !validDepth(layout.bitsPerPixel) || layout.dataOffset > size ||
        !pixelsComplete(layout, size))
        return {};

    if (layout.compression == 0 && (layout.bitsPerPixel == 24 || layout.bitsPerPixel == 32))
        return readDirect(layout, file);

    // Palettes, 16-bit, bit fields and run-length data go through Qt's decoder.
    file.close();
    QImageReader reader(path, "bmp");
    reader.setAutoDetectImageFormat(false);
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return {};
    return decoded.convertToFormat(QImage::Format_BGR888);
}
