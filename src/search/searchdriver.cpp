#include "search/searchdriver.h"

#include "base/appfolder.h"
#include "base/pagesource.h"
#include "search/brinsellparser.h"
#include "search/resultspagewriter.h"
#include "search/searchtexts.h"
#include "search/vantoryparser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace SearchTexts;

QString genreStatusText(int genreIndex)
{
    return kStatusSearchingPrefix + genreCaption(genreIndex) + kStatusSearchingSuffix;
}

namespace
{

class Search
{
public:
    Search(const SearchCriteria &criteria, const SiteEndpoints &sites, SearchState &state,
           const SearchIo &io)
        : m_criteria(criteria), m_sites(sites), m_state(state), m_io(io), m_writer(state.results)
    {
        m_hooks.keepGoing = [this] { return m_state.ParseActive; };
        m_hooks.yield = [this] { yield(); };
    }

    SearchOutcome run(const QString &resultsPath);

private:
    void status(const QString &text) const
    {
        if (m_io.status)
            m_io.status(text);
    }
    void yield() const
    {
        if (m_io.yield)
            m_io.yield();
    }
    bool cancelled() const { return m_io.cancelled && m_io.cancelled(); }
    bool abandoned() const { return m_io.abandoned && m_io.abandoned(); }
    // Loads a page; an empty, unusable page when the load failed.
    LoadedPage load(const QString &url) const;
    void parseVantory(const LoadedPage &page, const QString &genreText);
    void parseBrinsell(const LoadedPage &page);

    const SearchCriteria &m_criteria;
    const SiteEndpoints &m_sites;
    SearchState &m_state;
    const SearchIo &m_io;
    ResultsPageWriter m_writer;
    ScanHooks m_hooks;
    int m_total = 0;
};

LoadedPage Search::load(const QString &url) const
{
    LoadedPage page;
    if (abandoned())
        return page;
    if (m_io.pages)
        page = m_io.pages->load(url);
    yield();
    return page;
}

void Search::parseVantory(const LoadedPage &page, const QString &genreText)
{
    if (!page.ok)
        return;
    m_state.ParseActive = true;
    m_total += ParseVantoryPage(
        page.body, m_hooks, [&](const PageHit &hit) { m_writer.writeRow(hit, genreText); },
        m_state.currentArtist);
}

void Search::parseBrinsell(const LoadedPage &page)
{
    if (!page.ok)
        return;
    m_state.ParseActive = true;
    const QString genreText(kGenreNone);
    m_total += ParseBrinsellPage(
        page.body, m_sites.brinsellImageHost, m_criteria.type == SearchType::DVD, m_hooks,
        [&](const PageHit &hit) { m_writer.writeRow(hit, genreText); }, m_state.currentArtist);
}

SearchOutcome Search::run(const QString &resultsPath)
{
    m_state.results.clear();
    status(kStatusSearching);
    const QDir folder = QFileInfo(resultsPath).absoluteDir();
    QFile::remove(folder.filePath(kTempFile));
    QFile::remove(resultsPath);
    m_state.ParseActive = true;

    SearchOutcome outcome;
    if (!m_writer.open(resultsPath)) {
        outcome.pageWritten = false;
        outcome.error = m_writer.errorString();
    }

    if (m_criteria.type == SearchType::DVD) {
        if (m_criteria.vantory) {
            const LoadedPage page = load(vantoryDvdUrl(m_sites.vantoryHost, m_criteria.text));
            // No genre is requested for DVDs, so their genre cell says so.
            if (vantoryPageAccepted(page.locationUrl, kVantoryDvdCategory))
                parseVantory(page, QString(kGenreNone));
        }
        if (m_criteria.brinsell) {
            status(kStatusSearchingBrinsell);
            parseBrinsell(load(brinsellDvdUrl(m_sites.brinsellHost, m_criteria.text)));
        }
    } else {
        if (m_criteria.vantory) {
            for (int g = 0; g < kGenreCount; ++g) {
                m_state.currentGenre = g;
                if (!m_criteria.genres[std::size_t(g)] || cancelled())
                    continue;
                status(genreStatusText(g));
                const int32_t category = GenreCategoryId[std::size_t(g)];
                const LoadedPage page =
                    load(vantoryMusicUrl(m_sites.vantoryHost, m_criteria.text, category));
                if (vantoryPageAccepted(page.locationUrl, category))
                    parseVantory(page, genreCaption(g));
            }
        }
        if (m_criteria.brinsell) {
            status(kStatusSearchingBrinsell);
            parseBrinsell(load(brinsellMusicUrl(m_sites.brinsellHost, m_criteria.text)));
        }
    }

    if (!m_writer.finish() && outcome.pageWritten) {
        outcome.pageWritten = false;
        outcome.error = m_writer.errorString();
    }
    if (outcome.pageWritten && m_io.show)
        m_io.show(resultsPath);
    outcome.total = m_total;
    status(kStatusFoundPrefix + QString::number(m_total));
    return outcome;
}

} // namespace

SearchOutcome runSearch(const SearchCriteria &criteria, const SiteEndpoints &sites,
                        SearchState &state, const SearchIo &io, const QString &resultsPath)
{
    Search search(criteria, sites, state, io);
    return search.run(resultsPath);
}
