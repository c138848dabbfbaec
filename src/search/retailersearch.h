#pragma once

#include "base/settings.h"
#include "search/pagehit.h"
#include "search/searchrequests.h"

#include <QList>
#include <QString>

class IPageSource;
struct LoadedPage;

// One search text on the retailers' sites: the requests to make, each page
// loaded through the page source, the test that a page is the one asked for,
// and the site's parser handing every hit to the caller's sink. The batch run
// drives it one request at a time with its own checks between requests; the
// interactive search loads its pages side by side and hands them to the same
// page test and parsers in order.
class RetailerSearch
{
public:
    // The hooks serve every page of the search. The current artist is the
    // caller's: the cutters carry it from one hit (and page) to the next.
    RetailerSearch(const SiteEndpoints &sites, IPageSource *pages, ScanHooks hooks,
                   QString &currentArtist, PageRules rules = PageRules::Interactive);

    // The requests for the criteria, in order (planRequests).
    QList<SearchRequest> plan(const SearchCriteria &criteria) const;

    // Loads the request's page (without a page source, a failed load), then
    // lets the event loop run once.
    LoadedPage load(const SearchRequest &request) const;
    // Whether a loaded page is parsed: it loaded, and a Vantory page still
    // names the category asked for (the site drops it when it sends a search
    // elsewhere, and such a page lists unrelated products).
    static bool accepted(const SearchRequest &request, const LoadedPage &page);
    // Runs the request's site parser over a page body; returns the hits.
    int parse(const SearchRequest &request, QStringView body, const HitSink &sink);

private:
    SiteEndpoints m_sites;
    IPageSource *m_pages = nullptr;
    ScanHooks m_hooks;
    QString &m_currentArtist;
    PageRules m_rules;
};
