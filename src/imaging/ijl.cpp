#include "imaging/ijl.h"

#include "imaging/cdibsection.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <turbojpeg.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>
#include <system_error>

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
    return !jpeg.isEmpty() && replaceFileContents(path, jpeg);
}

bool replaceFileContents(const QString &path, const QByteArray &data)
{
    const QFileInfo target(path);
    if (path.isEmpty() || target.fileName().isEmpty())
        return false;

    // A dot name keeps the half-written file out of folder listings.
    QFile temp;
    bool opened = false;
    for (int attempt = 0; attempt < 8 && !opened; ++attempt) {
        temp.setFileName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".") +
                         QString::number(QRandomGenerator::global()->generate(), 36));
        opened = temp.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!opened)
        return false;

    bool ok = temp.write(data) == data.size() && temp.flush();
    temp.close();
    ok = ok && temp.error() == QFileDevice::NoError;
    if (ok && target.exists())
        ok = temp.setPermissions(target.permissions() | QFileDevice::ReadOwner |
                                 QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                 QFileDevice::WriteUser);
    if (ok) {
        std::error_code error;
        std::filesystem::rename(
            std::filesystem::path(QFile::encodeName(temp.fileName()).constData()),
            std::filesystem::path(QFile::encodeName(path).constData()), error);
        ok = !error;
    }
    if (!ok)
        temp.remove();
    return ok;
}
