#include "search/searchdriver.h"

#include "base/pagefetcher.h"
#include "base/pagesource.h"
#include "search/resultspagewriter.h"
#include "search/retailersearch.h"
#include "search/searchtexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace SearchTexts;

// One request of the search and, once it is in, its page.
struct SearchDriver::Page {
    SearchRequest request;
    QString host;
    quint64 load = 0;
    bool started = false;
    bool done = false;
    bool announced = false;
    LoadedPage page;
};

QString genreStatusText(int genreIndex)
{
    return kStatusSearchingPrefix + genreCaption(genreIndex) + kStatusSearchingSuffix;
}

SearchDriver::SearchDriver(SearchState &state) : m_state(state) {}

SearchDriver::~SearchDriver()
{
    abandon();
}

void SearchDriver::status(const QString &text) const
{
    if (m_io.status)
        m_io.status(text);
}

void SearchDriver::start(const SearchCriteria &criteria, const SiteEndpoints &sites,
                         const SearchIo &io, const QString &resultsPath, int concurrency)
{
    abandon();
    m_io = io;
    m_resultsPath = resultsPath;
    m_concurrency = qMax(1, concurrency);
    m_outcome = SearchOutcome();
    m_state.results.clear();
    status(kStatusSearching);
    const QDir folder = QFileInfo(resultsPath).absoluteDir();
    QFile::remove(folder.filePath(kTempFile));
    QFile::remove(resultsPath);
    m_state.ParseActive = true;

    m_writer = std::make_unique<ResultsPageWriter>(m_state.results);
    if (!m_writer->open(resultsPath)) {
        m_outcome.pageWritten = false;
        m_outcome.error = m_writer->errorString();
    }
    ScanHooks hooks;
    hooks.keepGoing = [this] { return m_state.ParseActive; };
    m_search = std::make_unique<RetailerSearch>(sites, nullptr, hooks, m_state.currentArtist);
    m_pages.clear();
    for (const SearchRequest &request : m_search->plan(criteria)) {
        const QUrl url = PageFetcher::toRequestUrl(request.url);
        Page &page = m_pages.emplace_back();
        page.request = request;
        page.host = url.host() + QLatin1Char(':') + QString::number(url.port());
        // Without a page source every load fails.
        page.done = !io.pages;
    }
    m_nextToStart = 0;
    m_nextToParse = 0;
    m_running = true;
    advance();
}

void SearchDriver::advance()
{
    while (m_running && m_nextToParse < m_pages.size()) {
        Page &next = m_pages[m_nextToParse];
        // The status names the page the search waits for, as each page in
        // turn becomes that page.
        if (!next.announced) {
            next.announced = true;
            if (next.request.site == RetailerSite::Brinsell)
                status(kStatusSearchingBrinsell);
            else if (next.request.type == SearchType::Music)
                status(genreStatusText(next.request.genreIndex));
        }
        if (!next.done) {
            startMore();
            return;
        }
        const LoadedPage page = std::move(next.page);
        next.page = LoadedPage();
        ++m_nextToParse;
        if (!RetailerSearch::accepted(next.request, page))
            continue;
        // No genre is requested for DVDs or on Brinsell, so their genre cell says so.
        const QString genreText =
            next.request.site == RetailerSite::Vantory && next.request.type == SearchType::Music
                ? genreCaption(next.request.genreIndex)
                : QString(kNotApplicable);
        m_state.ParseActive = true;
        m_outcome.total += m_search->parse(next.request, page.body, [&](const PageHit &hit) {
            m_writer->writeRow(hit, genreText);
        });
    }
    if (m_running)
        finish(true);
}

void SearchDriver::startMore()
{
    // Requests go out in their order: one whose host is busy holds back
    // those after it.
    while (m_nextToStart < m_pages.size()) {
        Page &next = m_pages[m_nextToStart];
        int busy = 0;
        for (int i = m_nextToParse; i < m_nextToStart; ++i) {
            const Page &p = m_pages.at(i);
            if (p.started && !p.done && (m_concurrency == 1 || p.host == next.host))
                ++busy;
        }
        if (busy >= m_concurrency)
            return;
        next.started = true;
        const int index = m_nextToStart++;
        next.load = m_io.pages->start(
            next.request.url, [this, index](const LoadedPage &page) { arrived(index, page); });
    }
}

void SearchDriver::arrived(int index, const LoadedPage &page)
{
    if (!m_running || index >= m_pages.size())
        return;
    Page &p = m_pages[index];
    p.done = true;
    p.load = 0;
    p.page = page;
    // A page that came before those ahead of it waits for them; its place on
    // the wire goes to the next request.
    if (index == m_nextToParse)
        advance();
    else
        startMore();
}

void SearchDriver::stopLoads()
{
    for (Page &p : m_pages) {
        if (p.started && !p.done)
            m_io.pages->abort(p.load);
        p.done = true;
    }
}

void SearchDriver::cancel()
{
    stop(true);
}

void SearchDriver::abandon()
{
    stop(false);
}

void SearchDriver::stop(bool report)
{
    if (!m_running)
        return;
    m_state.ParseActive = false;
    stopLoads();
    if (report)
        status(kStatusAborted);
    finish(report);
}

void SearchDriver::finish(bool report)
{
    m_running = false;
    m_pages.clear();
    if (!m_writer->finish() && m_outcome.pageWritten) {
        m_outcome.pageWritten = false;
        m_outcome.error = m_writer->errorString();
    }
    if (!report)
        return;
    if (m_outcome.pageWritten && m_io.show)
        m_io.show(m_resultsPath);
    status(kStatusFoundPrefix + QString::number(m_outcome.total));
    if (m_io.finished)
        m_io.finished(m_outcome);
}
