#include "cover/coverfile.h"

#include "base/fileops.h"
#include "base/trimblanks.h"
#include "cover/covertexts.h"
#include "cover/jpegwriter.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <turbojpeg.h>

#include <array>
#include <memory>
#include <vector>

namespace CoverFile
{

QString cleanFileName(const QString &name)
{
    static constexpr std::array<char16_t, 9> kForbidden = {u'/', u'\\', u':', u'>', u'<',
                                                           u'*', u'?',  u'"', u'|'};
    QString out = name;
    for (const char16_t c : kForbidden)
        out.replace(QChar(c), QLatin1Char('-'));
    return out;
}

QString folderName(const QString &folderPath)
{
    QString path = folderPath;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString target(const QString &templateName, const QString &artist, const QString &album,
               const QString &folderPath)
{
    namespace T = CoverTexts;
    QString name = templateName + T::kJpg;
    name.replace(T::kArtistToken, artist, Qt::CaseSensitive);
    name.replace(T::kAlbumToken, album, Qt::CaseSensitive);
    name.replace(T::kFolderToken, folderName(folderPath), Qt::CaseSensitive);
    // Only blanks, not tabs or other white space, as the name has always been trimmed.
    name = trimBlanks(cleanFileName(name));
    QString folder = folderPath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + name;
}

namespace
{

constexpr qint64 kLargestPicture = qint64(16384) * 16384;
// What the largest picture takes decoded at four bytes a pixel: Qt's default
// would refuse a 6000 x 6000 one where the pixels are needed (crop, viewer).
constexpr int kAllocationLimitMiB = int(kLargestPicture * 4 / (1024 * 1024));

void prepare(QImageReader &reader)
{
    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    // The retailers' placeholders sometimes carry a misleading extension.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
}

bool turned(const QImageReader &reader)
{
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
}

QSize uprightSize(QImageReader &reader)
{
    const QSize size = reader.size();
    return turned(reader) ? size.transposed() : size;
}

bool isJpeg(const QByteArray &data)
{
    return data.startsWith("\xff\xd8\xff");
}

// Decodes the whole entropy-coded data at an eighth of the size: a warning
// (data cut short, a stray marker, no end-of-image marker) fails it.
QSize decodeJpegWhole(const QByteArray &data)
{
    const std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), &tjDestroy);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto length = static_cast<unsigned long>(data.size());
    int width = 0, height = 0, subsampling = 0, colours = 0;
    if (!decoder ||
        tjDecompressHeader3(decoder.get(), bytes, length, &width, &height, &subsampling,
                            &colours) != 0 ||
        qint64(width) * height > kLargestPicture)
        return {};
    const tjscalingfactor eighth{1, 8};
    const int w = TJSCALED(width, eighth);
    const int h = TJSCALED(height, eighth);
    const int format = colours == TJCS_GRAY                           ? TJPF_GRAY
                       : colours == TJCS_CMYK || colours == TJCS_YCCK ? TJPF_CMYK
                                                                      : TJPF_RGB;
    std::vector<unsigned char> pixels(std::size_t(w) * std::size_t(h) *
                                      std::size_t(tjPixelSize[format]));
    if (tjDecompress2(decoder.get(), bytes, length, pixels.data(), w, 0, h, format,
                      TJFLAG_STOPONWARNING) != 0)
        return {};
    return {width, height};
}

struct Inspection {
    PictureCheck check = PictureCheck::Unreadable;
    QSize size;     // upright
    QImage decoded; // upright; only for a picture that is no JPEG
};

Inspection inspect(const QString &path)
{
    Inspection result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QByteArray data = file.readAll();
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    prepare(reader);
    if (isJpeg(data)) {
        const QSize stored = decodeJpegWhole(data);
        result.size = turned(reader) ? stored.transposed() : stored;
    } else if (const QSize claimed = reader.size();
               qint64(claimed.width()) * claimed.height() <= kLargestPicture) {
        result.decoded = reader.read();
        result.size = result.decoded.size();
    }
    if (result.size.isEmpty())
        return result;
    result.check = result.size == QSize(1, 1) ? PictureCheck::Empty : PictureCheck::Ok;
    return result;
}

// The picture as a JPEG file in place of the original.
bool convertToJpeg(QImage picture, const QString &path)
{
    if (picture.hasAlphaChannel()) {
        // A transparent part shows on white, as on the retailer's page.
        QImage flat(picture.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, picture);
        picture = flat;
    }
    const QByteArray jpeg = encodeJpeg(picture, kConvertedQuality, true);
    return !jpeg.isEmpty() && FileOps::replaceWithData(path, jpeg);
}

} // namespace

PictureCheck check(const QString &path, QSize *size)
{
    const Inspection inspection = inspect(path);
    if (size)
        *size = inspection.size;
    return inspection.check;
}

QSize pictureSize(const QString &path)
{
    QImageReader reader(path);
    prepare(reader);
    return uprightSize(reader);
}

QImage readPicture(const QString &path, const QSize &fit)
{
    QImageReader reader(path);
    prepare(reader);
    const QSize size = uprightSize(reader);
    if (fit.isValid() && size.isValid() &&
        (size.width() > fit.width() || size.height() > fit.height())) {
        // The reader scales the picture as stored, before it is turned upright.
        const QSize scaled = size.scaled(fit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        reader.setScaledSize(turned(reader) ? scaled.transposed() : scaled);
    }
    return reader.read();
}

FetchResult fetch(const QString &url, const QString &scratch, const DownloadFunction &download)
{
    // A scratch picture left from before must never pass for this download.
    if (!QFile::remove(scratch) && QFile::exists(scratch))
        return FetchResult::DownloadFailed;
    const int status = download ? download(url, scratch) : URLDownloadToFile(url, scratch);
    FetchResult result = FetchResult::DownloadFailed;
    if (status == 0 && FileOps::isRegularFile(scratch)) {
        const Inspection inspection = inspect(scratch);
        switch (inspection.check) {
        case PictureCheck::Ok:
            if (inspection.decoded.isNull() || convertToJpeg(inspection.decoded, scratch))
                return FetchResult::Ok;
            result = FetchResult::NotAPicture;
            break;
        case PictureCheck::Empty:
            result = FetchResult::Empty;
            break;
        case PictureCheck::Unreadable:
            // A page of text where a picture should be: never a picture to save.
            result = FetchResult::NotAPicture;
            break;
        }
    }
    QFile::remove(scratch);
    return result;
}

PlaceResult place(const QString &picture, const QString &target, ReplacePolicy policy,
                  const ReplaceQuestion &ask)
{
    PlaceResult result;
    const bool existed = FileOps::isRegularFile(target);
    if (existed) {
        if (policy == ReplacePolicy::Never) {
            result.outcome = PlaceOutcome::KeptExisting;
            return result;
        }
        FileOps::makeNormal(target);
        if (policy == ReplacePolicy::Ask && !(ask && ask(target))) {
            result.outcome = PlaceOutcome::KeptExisting;
            return result;
        }
    }
    if (!FileOps::replaceWithCopy(target, picture, &result.error))
        return result;
    FileOps::makeNormal(target);
    result.outcome = existed ? PlaceOutcome::Replaced : PlaceOutcome::Saved;
    return result;
}

} // namespace CoverFile
