#include "search/retailersearch.h"

#include "base/pagesource.h"
#include "search/brinsellparser.h"
#include "search/vantoryparser.h"

RetailerSearch::RetailerSearch(const SiteEndpoints &sites, IPageSource *pages, ScanHooks hooks,
                               QString &currentArtist, PageRules rules)
    : m_sites(sites), m_pages(pages), m_hooks(std::move(hooks)), m_currentArtist(currentArtist),
      m_rules(rules)
{
}

QList<SearchRequest> RetailerSearch::plan(const SearchCriteria &criteria) const
{
    return planRequests(criteria, m_sites);
}

LoadedPage RetailerSearch::load(const SearchRequest &request) const
{
    LoadedPage page;
    if (m_pages)
        page = m_pages->load(request.url);
    m_hooks.yieldNow();
    return page;
}

bool RetailerSearch::accepted(const SearchRequest &request, const LoadedPage &page)
{
    if (!page.ok)
        return false;
    if (request.site != RetailerSite::Vantory)
        return true;
    const int32_t category = request.type == SearchType::DVD
                                 ? kVantoryDvdCategory
                                 : GenreCategoryId.at(std::size_t(request.genreIndex));
    return vantoryPageAccepted(page.locationUrl, category);
}

int RetailerSearch::parse(const SearchRequest &request, QStringView body, const HitSink &sink)
{
    if (request.site == RetailerSite::Vantory)
        return ParseVantoryPage(body, m_hooks, sink, m_currentArtist);
    if (request.site != RetailerSite::Brinsell)
        return 0;
    return ParseBrinsellPage(body, m_sites.brinsellImageHost, request.type == SearchType::DVD,
                             m_hooks, sink, m_currentArtist, m_rules);
}
