#include "cover/jpegwriter.h"

#include "base/fileops.h"

#include <QImage>
#include <QSysInfo>

#include <turbojpeg.h>

#include <cstdint>
#include <limits>
#include <memory>

QByteArray encodeJpeg(const QImage &picture, int quality, bool fullColour)
{
    if (picture.isNull())
        return {};
    // 32-bit words, whose bytes lie in memory as blue, green, red, unused on a
    // little-endian machine.
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    constexpr int format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    const int subsampling = fullColour ? TJSAMP_444 : TJSAMP_420;

    const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), &tjDestroy);
    if (!encoder)
        return {};
    const unsigned long bound = tjBufSize(pixels.width(), pixels.height(), subsampling);
    if (bound == static_cast<unsigned long>(-1) ||
        bound > std::uint64_t(std::numeric_limits<int>::max()))
        return {};
    QByteArray jpeg(qsizetype(bound), Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(jpeg.data());
    unsigned long size = bound;
    if (tjCompress2(encoder.get(), pixels.constBits(), pixels.width(), int(pixels.bytesPerLine()),
                    pixels.height(), format, &out, &size, subsampling, quality,
                    TJFLAG_NOREALLOC) != 0)
        return {};
    jpeg.truncate(qsizetype(size));
    return jpeg;
}

bool SaveJpeg(const QImage &picture, const QString &path)
{
    const QByteArray jpeg = encodeJpeg(picture);
    return !jpeg.isEmpty() && FileOps::replaceWithData(path, jpeg);
}
