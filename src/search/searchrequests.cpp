#include "search/searchrequests.h"

#include "base/settings.h"
#include "search/searchtexts.h"

const std::array<int32_t, kGenreCount> GenreCategoryId = {4118, 4105, 4109, 4110, 4107, 4112,
                                                          4116, 4120, 4111, 4114, 4124, 4115,
                                                          4108, 4113, 4106, 4117, 4119, 51934};

namespace
{

// The search text as it goes into an address: surrounding blanks dropped and
// nothing escaped, except "#", which would end the address there and lose the
// category and every later parameter.
QString queryText(const QString &text)
{
    return text.trimmed().replace(QLatin1Char('#'), QLatin1String("%23"));
}

QString address(const QString &host, QLatin1StringView head, const QString &text,
                const QString &tail)
{
    return QStringLiteral("http://") + host + head + queryText(text) + tail;
}

} // namespace

QString vantoryMusicUrl(const QString &host, const QString &text, int32_t categoryId)
{
    return address(host, SearchTexts::kVantoryMusicHead, text,
                   QString(SearchTexts::kVantoryMusicTail).arg(categoryId));
}

QString vantoryDvdUrl(const QString &host, const QString &text)
{
    return address(host, SearchTexts::kVantoryDvdHead, text, SearchTexts::kVantoryDvdTail);
}

QString brinsellMusicUrl(const QString &host, const QString &text)
{
    return address(host, SearchTexts::kBrinsellMusicHead, text, SearchTexts::kBrinsellMusicTail);
}

QString brinsellDvdUrl(const QString &host, const QString &text)
{
    return address(host, SearchTexts::kBrinsellDvdHead, text, SearchTexts::kBrinsellDvdTail);
}

QList<SearchRequest> planRequests(const SearchCriteria &criteria, const SiteEndpoints &sites)
{
    QList<SearchRequest> requests;
    if (criteria.type == SearchType::DVD) {
        if (criteria.vantory)
            requests.append({RetailerSite::Vantory, SearchType::DVD, -1,
                             vantoryDvdUrl(sites.vantoryHost, criteria.text)});
        if (criteria.brinsell)
            requests.append({RetailerSite::Brinsell, SearchType::DVD, -1,
                             brinsellDvdUrl(sites.brinsellHost, criteria.text)});
        return requests;
    }
    if (criteria.vantory) {
        for (int g = 0; g < kGenreCount; ++g) {
            if (criteria.genres[static_cast<std::size_t>(g)])
                requests.append({RetailerSite::Vantory, SearchType::Music, g,
                                 vantoryMusicUrl(sites.vantoryHost, criteria.text,
                                                 GenreCategoryId[static_cast<std::size_t>(g)])});
        }
    }
    if (criteria.brinsell)
        requests.append({RetailerSite::Brinsell, SearchType::Music, -1,
                         brinsellMusicUrl(sites.brinsellHost, criteria.text)});
    return requests;
}

bool vantoryPageAccepted(const QString &loadedUrl, int32_t categoryId)
{
    return loadedUrl.contains(QString::number(categoryId));
}
