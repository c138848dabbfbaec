#include "search/quicksave.h"

#include "base/fileops.h"
#include "base/messagebox.h"
#include "search/quicksavetexts.h"
#include "search/searchresults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

#include <array>

namespace T = QuickSaveTexts;

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

namespace
{

// Only blanks, not tabs or other white space, as the name has always been trimmed.
QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString quickSaveTarget(const QString &templateName, const QString &artist, const QString &album,
                        const QString &folderPath)
{
    QString name = templateName + T::jpgSuffix;
    name.replace(T::artistToken, artist, Qt::CaseSensitive);
    name.replace(T::albumToken, album, Qt::CaseSensitive);
    name.replace(T::folderToken, folderName(folderPath), Qt::CaseSensitive);
    name = trimBlanks(cleanFileName(name));
    QString folder = folderPath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + name;
}

bool isQuickSaveClick(const QString &target)
{
    // Comparisons by character code, never by locale.
    if (target.left(5) == QLatin1String("http:") || target.left(5) == QLatin1String("about"))
        return false;
    const QString head = target.left(2).toUpper();
    return QString::compare(head, QLatin1String("A:"), Qt::CaseSensitive) < 0 ||
           QString::compare(head, QLatin1String("Z:"), Qt::CaseSensitive) > 0;
}

std::optional<QuickSaveLink> parseQuickSaveLink(const QString &target)
{
    qsizetype digits = 0;
    while (digits < target.size() && target[digits] >= QLatin1Char('0') &&
           target[digits] <= QLatin1Char('9'))
        ++digits;
    if (digits == 0)
        return std::nullopt;
    QuickSaveLink link;
    // A number too long for any hit counter is no hit; keep it out of int range trouble.
    bool ok = false;
    const qlonglong n = digits <= 9 ? target.left(digits).toLongLong(&ok) : -1;
    link.hitNumber = ok ? static_cast<int>(n) : -1;
    link.address = target.mid(digits);
    return link;
}

bool sameAddress(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QUrl ua(a, QUrl::TolerantMode);
    const QUrl ub(b, QUrl::TolerantMode);
    // The view resolves a link's "." and ".." segments on the way, as any browser does.
    const auto form = QUrl::FullyEncoded | QUrl::NormalizePathSegments;
    return ua.isValid() && ub.isValid() && ua.toString(form) == ub.toString(form);
}

QuickSaveHit resolveQuickSaveLink(const QString &target, const SearchResults &results)
{
    QuickSaveHit hit;
    const std::optional<QuickSaveLink> link = parseQuickSaveLink(target);
    if (!link)
        return hit;
    hit.number = link->hitNumber;
    hit.address = link->address;
    if (!results.contains(link->hitNumber) ||
        !sameAddress(link->address, results.picture(link->hitNumber)))
        return hit;
    hit.known = true;
    // The lists keep the address exactly as the retailer gave it; the view may
    // have decoded escapes in the link on the way.
    hit.address = results.picture(link->hitNumber);
    hit.artist = results.artist(link->hitNumber);
    hit.album = results.album(link->hitNumber);
    return hit;
}

bool isEmptyPicture(const QImage &picture)
{
    return picture.width() == 1 && picture.height() == 1;
}

PictureCheck checkPicture(const QString &path)
{
    QImageReader reader(path);
    // The retailers' placeholders sometimes carry a misleading extension.
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        return PictureCheck::Unreadable;
    return isEmptyPicture(picture) ? PictureCheck::Empty : PictureCheck::Ok;
}

PlaceResult placePicture(const QString &candidate, const QString &target, const QString &appDir,
                         IMessageBox &box, const CompareReplaceHook &compareFirst)
{
    PlaceResult result;
    const bool existed = FileOps::isRegularFile(target);
    if (existed) {
        FileOps::makeNormal(target);
        const MsgAnswer answer =
            box.show(T::replaceQuestion, T::replaceTitle, MsgButtons::YesNo, MsgIcon::Question);
        if (answer == MsgAnswer::Yes) {
            const QString existingCopy = QDir(appDir).filePath(T::compare1File);
            QFile::remove(existingCopy);
            QFile::copy(target, existingCopy);
            const bool keep = compareFirst ? compareFirst(existingCopy, candidate) : true;
            if (keep) {
                result.outcome = PlaceOutcome::KeptExisting;
                return result;
            }
        }
    }
    if (!FileOps::replaceWithCopy(target, candidate, &result.error))
        return result;
    FileOps::makeNormal(target);
    result.outcome = existed ? PlaceOutcome::Replaced : PlaceOutcome::Saved;
    return result;
}

QuickSaveResult runQuickSave(const QuickSaveJob &job, const DownloadFunction &download,
                             IMessageBox &box, const CompareReplaceHook &compareFirst)
{
    QuickSaveResult result;
    if (job.folder.isEmpty() || !QFileInfo(job.folder).isDir()) {
        box.show(T::noTargetFolder, T::quickSaveTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::NoFolder;
        return result;
    }
    result.target = quickSaveTarget(job.templateName, job.artist, job.album, job.folder);

    const QString scratch = QDir(job.appDir).filePath(T::compare2File);
    QFile::remove(scratch);
    const int status =
        download ? download(job.address, scratch) : URLDownloadToFile(job.address, scratch);
    const PictureCheck check = status == 0 ? checkPicture(scratch) : PictureCheck::Unreadable;
    if (check == PictureCheck::Unreadable) {
        // A page of text where a picture should be is a failed download, never a picture to save.
        QFile::remove(scratch);
        box.show(T::downloadFailed, T::downloadErrorTitle, MsgButtons::OkOnly,
                 MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::DownloadFailed;
        return result;
    }
    if (check == PictureCheck::Empty) {
        QFile::remove(scratch);
        box.show(T::emptyPicture, T::downloadErrorTitle, MsgButtons::OkOnly, MsgIcon::Information);
        result.outcome = QuickSaveOutcome::EmptyPicture;
        return result;
    }

    const PlaceResult placed = placePicture(scratch, result.target, job.appDir, box, compareFirst);
    switch (placed.outcome) {
    case PlaceOutcome::Saved:
        result.outcome = QuickSaveOutcome::Saved;
        break;
    case PlaceOutcome::Replaced:
        result.outcome = QuickSaveOutcome::Replaced;
        break;
    case PlaceOutcome::KeptExisting:
        result.outcome = QuickSaveOutcome::KeptExisting;
        break;
    case PlaceOutcome::Failed:
        box.show(T::saveFailed + result.target + QStringLiteral("\n\n") + placed.error,
                 T::saveFailedTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::SaveFailed;
        break;
    }
    return result;
}
