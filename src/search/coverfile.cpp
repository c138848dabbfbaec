#include "search/coverfile.h"

#include "base/fileops.h"
#include "base/trimblanks.h"
#include "search/quicksavetexts.h"
#include "search/searchtexts.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <array>

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
    namespace T = QuickSaveTexts;
    QString name = templateName + SearchTexts::kJpg;
    name.replace(T::artistToken, artist, Qt::CaseSensitive);
    name.replace(T::albumToken, album, Qt::CaseSensitive);
    name.replace(T::folderToken, folderName(folderPath), Qt::CaseSensitive);
    // Only blanks, not tabs or other white space, as the name has always been trimmed.
    name = trimBlanks(cleanFileName(name));
    QString folder = folderPath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + name;
}

PictureCheck check(const QString &path)
{
    QImageReader reader(path);
    // The retailers' placeholders sometimes carry a misleading extension.
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        return PictureCheck::Unreadable;
    return picture.width() == 1 && picture.height() == 1 ? PictureCheck::Empty : PictureCheck::Ok;
}

FetchResult fetch(const QString &url, const QString &scratch, const DownloadFunction &download)
{
    // A scratch picture left from before must never pass for this download.
    if (!QFile::remove(scratch) && QFile::exists(scratch))
        return FetchResult::DownloadFailed;
    const int status = download ? download(url, scratch) : URLDownloadToFile(url, scratch);
    FetchResult result = FetchResult::DownloadFailed;
    if (status == 0 && FileOps::isRegularFile(scratch)) {
        switch (check(scratch)) {
        case PictureCheck::Ok:
            return FetchResult::Ok;
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
