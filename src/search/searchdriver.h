#pragma once

#include "base/settings.h"
#include "search/searchrequests.h"
#include "search/searchresults.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class IAsyncPageSource;
class ResultsPageWriter;
class RetailerSearch;
struct LoadedPage;

// What the main window keeps for its interactive search; renewed by every
// search and read afterwards by Quick Save and Compare.
struct SearchState {
    SearchResults results;    // hit counter and the three keyed lists
    QString currentArtist;    // the artist last cut from a page
    bool ParseActive = false; // a running parser goes on while this is true
};

struct SearchOutcome {
    int total = 0;           // hits written
    bool pageWritten = true; // false when the results page could not be written
    QString error;           // why not
};

// How a search reaches the rest of the program.
struct SearchIo {
    IAsyncPageSource *pages = nullptr;
    // The status line.
    std::function<void(const QString &)> status;
    // Shows the finished results page (its full path).
    std::function<void(const QString &)> show;
    // The search has ended (not called for an abandoned one).
    std::function<void(const SearchOutcome &)> finished;
};

// One interactive search, run as a chain of page callbacks: nothing waits and
// no event loop is spun inside it. start() deletes "temp.html" and the old
// results page beside `resultsPath`, writes the first line and requests the
// criteria's pages in their order, up to `concurrency` at a time from one
// host (1: one page after the other, in all). Each page is parsed as soon as
// it and every page before it are in, so the rows, their numbers and the
// status texts ("Searching Rock...") come in the same order however the pages
// arrive. When the last page is parsed the page is finished and shown, with
// "Results Found: N". A page that failed to load, or a Vantory page that no
// longer names its category, gives no hits.
class SearchDriver
{
public:
    explicit SearchDriver(SearchState &state);
    ~SearchDriver();
    SearchDriver(const SearchDriver &) = delete;
    SearchDriver &operator=(const SearchDriver &) = delete;

    void start(const SearchCriteria &criteria, const SiteEndpoints &sites, const SearchIo &io,
               const QString &resultsPath, int concurrency);
    // Gives up every page not yet loaded at once and ends the search with the
    // rows of the pages already parsed: "Search Aborted", then the page is
    // shown with "Results Found: N".
    void cancel();
    // As cancel, but nothing is shown or reported (the window is closing).
    void abandon();
    bool running() const { return m_running; }

private:
    struct Page;
    void advance();
    void startMore();
    void arrived(int index, const LoadedPage &page);
    void stopLoads();
    // Cancel (reported as aborted) or abandon (said nothing of).
    void stop(bool report);
    void finish(bool report);
    void status(const QString &text) const;

    SearchState &m_state;
    SearchIo m_io;
    QString m_resultsPath;
    int m_concurrency = 1;
    std::unique_ptr<RetailerSearch> m_search;
    std::unique_ptr<ResultsPageWriter> m_writer;
    QList<Page> m_pages;
    int m_nextToStart = 0;
    int m_nextToParse = 0;
    SearchOutcome m_outcome;
    bool m_running = false;
};

// "Searching Rock..." and the like.
QString genreStatusText(int genreIndex);
