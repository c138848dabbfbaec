#include "imaging/ijl.h"

#include "base/fileops.h"
#include "imaging/cdibsection.h"

#include <turbojpeg.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

int JpegPadBytes(int width, int channels)
{
    // Both the product and the padded length must stay 32-bit, as the row
    // length is handed on as one.
    const std::int64_t pixels = std::int64_t(width) * channels;
    const std::int64_t padded = (pixels + 3) & ~std::int64_t(3);
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    if (pixels < lo || pixels + 3 > hi)
        throw std::overflow_error("JPEG row length overflow");
    return int(padded - pixels);
}

JpegWriteSettings jpegWriteSettings(const cDIBSection &dib)
{
    JpegWriteSettings s;
    s.dibWidth = dib.dib_width();
    s.dibHeight = -dib.dib_height();
    s.dibChannels = dib.dib_channels();
    s.dibPadBytes = JpegPadBytes(s.dibWidth, s.dibChannels);
    s.pitch = s.dibWidth * s.dibChannels + s.dibPadBytes;
    // A 32-bit bitmap's fourth byte carries nothing worth keeping; a JPEG with
    // an alpha channel would not open in ordinary viewers.
    s.pixelFormat = s.dibChannels == 3 ? TJPF_BGR : TJPF_BGRX;
    s.jpgWidth = s.dibWidth;
    s.jpgHeight = dib.dib_height();
    s.subsampling = TJSAMP_420;
    s.quality = kJpegQuality;
    return s;
}

QByteArray encodeJpeg(const cDIBSection &dib)
{
    const uchar *bits = dib.DIBSectionBitsPtr();
    if (!bits || dib.dib_width() <= 0 || dib.dib_height() <= 0)
        return {};
    if (dib.dib_channels() != 3 && dib.dib_channels() != 4)
        return {};
    JpegWriteSettings s;
    try {
        s = jpegWriteSettings(dib);
    } catch (const std::overflow_error &) {
        return {};
    }
    if (s.pitch != dib.BytesPerScanLine())
        return {};

    const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), &tjDestroy);
    if (!encoder)
        return {};
    const unsigned long bound = tjBufSize(s.jpgWidth, s.jpgHeight, s.subsampling);
    if (bound == static_cast<unsigned long>(-1) ||
        bound > std::uint64_t(std::numeric_limits<int>::max()))
        return {};
    QByteArray jpeg(qsizetype(bound), Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(jpeg.data());
    unsigned long size = bound;
    const int flags = TJFLAG_NOREALLOC | (s.dibHeight > 0 ? TJFLAG_BOTTOMUP : 0);
    if (tjCompress2(encoder.get(), bits, s.dibWidth, s.pitch, s.jpgHeight, s.pixelFormat, &out,
                    &size, s.subsampling, s.quality, flags) != 0)
        return {};
    jpeg.truncate(qsizetype(size));
    return jpeg;
}

bool SaveJpeg(const cDIBSection &dib, const QString &path)
{
    const QByteArray jpeg = encodeJpeg(dib);
    return !jpeg.isEmpty() && FileOps::replaceWithData(path, jpeg);
}
