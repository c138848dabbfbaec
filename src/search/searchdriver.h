#pragma once

#include "search/searchrequests.h"
#include "search/searchresults.h"

#include <QString>

#include <functional>

class IPageSource;
struct SiteEndpoints;

// What the main window keeps for its interactive search; renewed by every
// search and read afterwards by Quick Save and Compare.
struct SearchState {
    SearchResults results;    // hit counter and the three keyed lists
    QString currentArtist;    // the artist last cut from a page
    bool ParseActive = false; // a running parser goes on while this is true
};

// How a search reaches the rest of the program.
struct SearchIo {
    IPageSource *pages = nullptr;
    // Lets the event loop run; called after every page and every hit.
    std::function<void()> yield;
    // True once the user has cancelled (the Search button no longer reads
    // "Cancel"): no further genre is requested.
    std::function<bool()> cancelled;
    // True once the search is to end without loading anything more (its
    // window is closing): unlike a cancel, not even a pending Brinsell
    // request is made.
    std::function<bool()> abandoned;
    // The status line.
    std::function<void(const QString &)> status;
    // Shows the finished results page (its full path).
    std::function<void(const QString &)> show;
};

struct SearchOutcome {
    int total = 0;           // hits written
    bool pageWritten = true; // false when the results page could not be written
    QString error;           // why not
};

// Runs one interactive search: deletes "temp.html" and the old results page
// beside `resultsPath`, then runs a RetailerSearch over the criteria's
// requests with the results page as its hit sink, shows the page and reports
// "Results Found: N". A cancel (the caller clears state.ParseActive and makes
// `cancelled` true) ends the page being parsed after its current hit and stops
// further genres, but a Brinsell request still to come is made and parsed in
// full, as its parser starts afresh. Failed page loads give no hits.
SearchOutcome runSearch(const SearchCriteria &criteria, const SiteEndpoints &sites,
                        SearchState &state, const SearchIo &io, const QString &resultsPath);

// "Searching Rock..." and the like.
QString genreStatusText(int genreIndex);
