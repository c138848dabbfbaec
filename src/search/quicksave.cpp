#include "search/quicksave.h"

#include "base/messagebox.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"

#include <QUrl>

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

HitLookup lookupIn(const SearchResults &results)
{
    return [&results](int number) -> std::optional<ComparedHit> {
        if (!results.contains(number))
            return std::nullopt;
        return ComparedHit{number, results.artist(number), results.album(number),
                           results.picture(number)};
    };
}

bool ticksMatchResults(const QList<bool> &ticks, const QStringList &links, const HitLookup &hit)
{
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        if (!ticks[i])
            continue;
        if (i >= links.size() || !hit)
            return false;
        const std::optional<QuickSaveLink> link = parseQuickSaveLink(links[i]);
        const std::optional<ComparedHit> entry = hit(int(i) + 1);
        if (!link || !entry || link->hitNumber != i + 1 ||
            !sameAddress(link->address, entry->address))
            return false;
    }
    return true;
}

CoverSaveResult runQuickSave(const CoverSaveJob &job, const DownloadFunction &download,
                             IMessageBox &box, const CompareReplaceHook &compareFirst)
{
    const CoverSaveResult result = saveCover(job, download, box, compareFirst);
    switch (result.outcome) {
    case CoverSaveOutcome::NoFolder:
        box.show(CoverTexts::kNoTargetFolder, CoverTexts::kQuickSave, MsgButtons::OkOnly,
                 MsgIcon::Exclamation);
        break;
    case CoverSaveOutcome::EmptyPicture:
        box.show(SearchTexts::kEmptyPicture, CoverTexts::kDownloadErrorTitle, MsgButtons::OkOnly,
                 MsgIcon::Information);
        break;
    case CoverSaveOutcome::SaveFailed:
        showSaveFailed(result, box);
        break;
    case CoverSaveOutcome::Saved:
    case CoverSaveOutcome::Replaced:
    case CoverSaveOutcome::KeptExisting:
    case CoverSaveOutcome::DownloadFailed: // said by saveCover
        break;
    }
    return result;
}
