#include "imaging/bmpfile.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <sys/uio.h>

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

// Moves every byte the pieces describe between the file and memory at
// `offset`, in as few calls as the system allows; pieces are consumed.
// False on an error or when the file ends first.
template <typename Op> bool transferAll(Op op, int fd, std::vector<iovec> &pieces, qint64 offset)
{
    size_t first = 0;
    while (first < pieces.size()) {
        const int count = int(std::min<size_t>(pieces.size() - first, IOV_MAX));
        const ssize_t done = op(fd, pieces.data() + first, count, off_t(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        offset += done;
        for (size_t left = size_t(done); left > 0;) {
            iovec &piece = pieces[first];
            const size_t step = std::min(left, piece.iov_len);
            piece.iov_base = static_cast<char *>(piece.iov_base) + step;
            piece.iov_len -= step;
            left -= step;
            if (piece.iov_len == 0)
                ++first;
        }
        while (first < pieces.size() && pieces[first].iov_len == 0)
            ++first;
    }
    return true;
}

// Rows that need converting go through bands of about this size.
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
        // Each file row lands in its own place, so bottom-up files need no
        // second pass to turn them over.
        std::vector<iovec> rows(static_cast<size_t>(height));
        for (int fileRow = 0; fileRow < height; ++fileRow)
            rows[size_t(fileRow)] = {image.scanLine(bottomUp ? height - 1 - fileRow : fileRow),
                                     size_t(rowBytes)};
        if (!transferAll(::preadv, file.handle(), rows, l.dataOffset))
            return {};
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

} // namespace

bool writeBmpFile(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        return false;
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    // Pictures as loaded (32-bit) are converted band by band below, pictures as
    // captured (24-bit) written as they are; anything else is converted first.
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
    // Bottom-up, the order every reader expects. Rows already in the file's
    // byte order go out straight from the picture; others are converted a
    // band at a time, so no second copy of the whole picture is made.
    static const char zeros[4] = {};
    const size_t padding = size_t(rowBytes - width * 3);
    const bool direct = image.format() == QImage::Format_BGR888;
    const int band = direct ? int(height) : int(std::max<qint64>(1, kChunkBytes / rowBytes));
    std::vector<iovec> pieces;
    pieces.reserve(size_t(std::min<qint64>(band, height)) * 2 + 1);
    pieces.push_back({header, sizeof header});
    qint64 offset = 0;
    bool written = true;
    for (int bottom = int(height); written && bottom > 0; bottom -= band) {
        const int top = std::max(0, bottom - band);
        QImage converted;
        if (!direct) {
            const QImage rows(image.constScanLine(top), int(width), bottom - top,
                              image.bytesPerLine(), image.format());
            converted = rows.convertToFormat(QImage::Format_BGR888);
            if (converted.isNull())
                written = false;
        }
        for (int y = bottom - 1; written && y >= top; --y) {
            const uchar *row = direct ? image.constScanLine(y) : converted.constScanLine(y - top);
            pieces.push_back({const_cast<uchar *>(row), size_t(width) * 3});
            if (padding > 0)
                pieces.push_back({const_cast<char *>(zeros), padding});
        }
        qint64 bytes = 0;
        for (const iovec &piece : pieces)
            bytes += qint64(piece.iov_len);
        written = written && transferAll(::pwritev, file.handle(), pieces, offset);
        offset += bytes;
        pieces.clear();
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
