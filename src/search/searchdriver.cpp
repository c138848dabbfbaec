#include "search/searchdriver.h"

#include "base/pagesource.h"
#include "search/resultspagewriter.h"
#include "search/retailersearch.h"
#include "search/searchtexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace SearchTexts;

QString genreStatusText(int genreIndex)
{
    return kStatusSearchingPrefix + genreCaption(genreIndex) + kStatusSearchingSuffix;
}

SearchOutcome runSearch(const SearchCriteria &criteria, const SiteEndpoints &sites,
                        SearchState &state, const SearchIo &io, const QString &resultsPath)
{
    const auto status = [&io](const QString &text) {
        if (io.status)
            io.status(text);
    };
    state.results.clear();
    status(kStatusSearching);
    const QDir folder = QFileInfo(resultsPath).absoluteDir();
    QFile::remove(folder.filePath(kTempFile));
    QFile::remove(resultsPath);
    state.ParseActive = true;

    SearchOutcome outcome;
    ResultsPageWriter writer(state.results);
    if (!writer.open(resultsPath)) {
        outcome.pageWritten = false;
        outcome.error = writer.errorString();
    }

    ScanHooks hooks;
    hooks.keepGoing = [&state] { return state.ParseActive; };
    hooks.yield = io.yield;
    RetailerSearch search(sites, io.pages, hooks, state.currentArtist);
    for (const SearchRequest &request : search.plan(criteria)) {
        // No genre is requested for DVDs or on Brinsell, so their genre cell says so.
        QString genreText(kNotApplicable);
        if (request.site == RetailerSite::Brinsell) {
            status(kStatusSearchingBrinsell);
        } else if (request.type == SearchType::Music) {
            // A cancel stops further genres only: a Brinsell request still to
            // come is made and parsed in full.
            if (io.cancelled && io.cancelled())
                continue;
            status(genreStatusText(request.genreIndex));
            genreText = genreCaption(request.genreIndex);
        }
        if (io.abandoned && io.abandoned())
            continue;
        const LoadedPage page = search.load(request);
        if (!RetailerSearch::accepted(request, page))
            continue;
        // Each page's parser starts afresh, as a cancel during the load ends no page.
        state.ParseActive = true;
        outcome.total += search.parse(request, page.body,
                                      [&](const PageHit &hit) { writer.writeRow(hit, genreText); });
    }

    if (!writer.finish() && outcome.pageWritten) {
        outcome.pageWritten = false;
        outcome.error = writer.errorString();
    }
    if (outcome.pageWritten && io.show)
        io.show(resultsPath);
    status(kStatusFoundPrefix + QString::number(outcome.total));
    return outcome;
}
