#include "search/quicksave.h"

#include "base/messagebox.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"
#include "search/searchresults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace T = QuickSaveTexts;

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

QuickSaveResult runQuickSave(const QuickSaveJob &job, const DownloadFunction &download,
                             IMessageBox &box, const CompareReplaceHook &compareFirst)
{
    QuickSaveResult result;
    if (job.folder.isEmpty() || !QFileInfo(job.folder).isDir()) {
        box.show(T::noTargetFolder, T::quickSave, MsgButtons::OkOnly, MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::NoFolder;
        return result;
    }
    result.target = CoverFile::target(job.templateName, job.artist, job.album, job.folder);

    const QString scratch = QDir(job.appDir).filePath(T::compare2File);
    switch (CoverFile::fetch(job.address, scratch, download)) {
    case CoverFile::FetchResult::Ok:
        break;
    case CoverFile::FetchResult::Empty:
        box.show(T::emptyPicture, T::downloadErrorTitle, MsgButtons::OkOnly, MsgIcon::Information);
        result.outcome = QuickSaveOutcome::EmptyPicture;
        return result;
    case CoverFile::FetchResult::DownloadFailed:
    case CoverFile::FetchResult::NotAPicture:
        box.show(T::downloadFailed, T::downloadErrorTitle, MsgButtons::OkOnly,
                 MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::DownloadFailed;
        return result;
    }

    const auto replace = [&](const QString &target) {
        const MsgAnswer answer =
            box.show(T::replaceQuestion, T::replaceTitle, MsgButtons::YesNo, MsgIcon::Question);
        if (answer != MsgAnswer::Yes)
            return true;
        const QString existingCopy = QDir(job.appDir).filePath(T::compare1File);
        QFile::remove(existingCopy);
        QFile::copy(target, existingCopy);
        return compareFirst && !compareFirst(existingCopy, scratch);
    };
    const CoverFile::PlaceResult placed =
        CoverFile::place(scratch, result.target, CoverFile::ReplacePolicy::Ask, replace);
    switch (placed.outcome) {
    case CoverFile::PlaceOutcome::Saved:
        result.outcome = QuickSaveOutcome::Saved;
        break;
    case CoverFile::PlaceOutcome::Replaced:
        result.outcome = QuickSaveOutcome::Replaced;
        break;
    case CoverFile::PlaceOutcome::KeptExisting:
        result.outcome = QuickSaveOutcome::KeptExisting;
        break;
    case CoverFile::PlaceOutcome::Failed:
        box.show(T::saveFailed + result.target + QStringLiteral("\n\n") + placed.error,
                 T::saveFailedTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        result.outcome = QuickSaveOutcome::SaveFailed;
        break;
    }
    return result;
}
