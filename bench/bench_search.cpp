// Parser and results page throughput on a generated 1 MiB page of 1,000 hits,
// against one plain pass of the same markers' substring search; and the wall
// time of a whole 19-page music search against the local retailer simulator.
//
//   ninja -C build-x bench_search retailer-sim && build-x/bench/bench_search

#include "base/appfolder.h"
#include "base/pagesource.h"
#include "base/pagefetcher.h"
#include "base/settingsstore.h"
#include "search/brinsellparser.h"
#include "search/resultspagewriter.h"
#include "search/searchdriver.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"
#include "search/vantoryparser.h"
#include "simulatorprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace SearchTexts;

namespace
{

constexpr int kHits = 1000;
constexpr qsizetype kPageSize = 1024 * 1024;
const QString kImageHost = QStringLiteral("images.brinsell.test");

// Pads a hit's markup to an exact length with a comment, as page noise.
QString padded(const QString &hit, qsizetype length)
{
    if (hit.size() + 7 >= length)
        return hit;
    return hit + QStringLiteral("<!--") + QString(length - hit.size() - 7, QLatin1Char('.')) +
           QStringLiteral("-->");
}

QString vantoryPage(int hitCount = kHits)
{
    QString page;
    page.reserve(kPageSize);
    for (int i = 0; i < hitCount; ++i) {
        const QString n = QString::number(i);
        const QString hit =
            QStringLiteral(
                "<tr><td><a href=\"/catalog/product.gsp?sku=%1\"><img "
                "src=\"http://img.vantory.test/"
                "images/V/bulk%1_60X60.gif\" width=60 height=60 border=0></a></td>\n"
                "<td>%2<a href=\"/catalog/product.gsp?sku=%1&dept=4104\">Album number %1"
                "</a></span><br>Artist number %1 <span class=text1>(Audio CD)</span></td></tr>\n")
                .arg(n, i % 3 == 2 ? QStringLiteral("<SPAN CLASS=TEXT2BOLD>")
                                   : QStringLiteral("<span class=text2bold>"));
        page += padded(hit, kPageSize / kHits);
    }
    return page;
}

QString brinsellPage(int hitCount = kHits)
{
    QString page;
    page.reserve(kPageSize);
    for (int i = 0; i < hitCount; ++i) {
        const QString n = QString::number(i);
        QString hit;
        if (i < hitCount / 2) {
            hit = QStringLiteral(
                      "<tr><td><b class=\"productTitle\">Album number %1</b></td></tr>"
                      "<tr><td><img src=\"http://%2/db_assets/prod_images/bulk%1.gif\"></td></tr>")
                      .arg(n, kImageHost) +
                  QString(260, QLatin1Char(' ')) +
                  QStringLiteral("<tr><td>Artist: <a href=\"/retail/artist.asp?id=%1\">Artist "
                                 "number %1</a></td></tr>\n")
                      .arg(n);
        } else {
            hit = QStringLiteral(
                      "<tr><td><img src=\"http://%2/db_assets/ad_images/bulk%1.jpg\"></td>"
                      "<td><a href=\"/retail/product.asp?sku=%1\"><B>Album number %1</B></a><br>")
                      .arg(n, kImageHost) +
                  QString(60, QLatin1Char(' ')) +
                  QStringLiteral("Artist: <B>Artist number %1</B></td></tr>\n").arg(n);
        }
        page += padded(hit, kPageSize / kHits);
    }
    return page;
}

// One forward pass over the page finding each hit's markers in order, with
// the case rules the parser uses, and nothing else.
qsizetype vantoryMarkerPass(QStringView page)
{
    qsizetype found = 0;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype p = page.indexOf(kVantoryThumbMarker, pos);
        if (p < 0)
            break;
        qsizetype q = page.lastIndexOf(kScheme, p);
        q = page.indexOf(QLatin1Char('"'), p);
        q = page.indexOf(kVantoryTitleMarker, p, Qt::CaseInsensitive);
        q = page.indexOf(kVantoryTitleOpen, q + kVantoryTitleSkip);
        q = page.indexOf(kVantoryTitleClose, q, Qt::CaseInsensitive);
        q = page.indexOf(kVantoryArtistMarker, q, Qt::CaseInsensitive);
        q = page.indexOf(kVantoryArtistEnd, q);
        found += q;
        pos = q + 1;
        ++found;
    }
    return found;
}

qsizetype brinsellMarkerPass(QStringView page)
{
    const QString prod = QStringLiteral("http://") + kImageHost + kBrinsellProdPath;
    const QString ad = QStringLiteral("http://") + kImageHost + kBrinsellAdPath;
    qsizetype found = 0;
    qsizetype pos = 0;
    bool prodLeft = true;
    for (;;) {
        qsizetype p = prodLeft ? page.indexOf(prod, pos) : -1;
        if (p < 0) {
            prodLeft = false;
            p = page.indexOf(ad, pos);
        }
        if (p < 0)
            break;
        qsizetype q = page.indexOf(QLatin1Char('"'), p);
        if (prodLeft) {
            q = page.lastIndexOf(kBrinsellHeadingMarker, p, Qt::CaseInsensitive);
            q = page.indexOf(QLatin1Char('>'), q);
            q = page.indexOf(kBoldClose, q, Qt::CaseInsensitive);
            q = page.indexOf(kBrinsellArtistMarker, q + 250, Qt::CaseInsensitive);
            q = page.indexOf(kLinkClose, q, Qt::CaseInsensitive);
            q = page.lastIndexOf(QLatin1Char('>'), q);
        } else {
            q = page.indexOf(kBrinsellLinkMarker, p, Qt::CaseInsensitive);
            q = page.indexOf(kBoldOpen, q, Qt::CaseInsensitive);
            q = page.indexOf(kBoldClose, q, Qt::CaseInsensitive);
            q = page.indexOf(kBrinsellArtistMarker, q + 50, Qt::CaseInsensitive);
            q = page.indexOf(kBoldOpen, q, Qt::CaseInsensitive);
            q = page.indexOf(kBoldClose, q, Qt::CaseInsensitive);
        }
        found += q;
        pos = p + 1;
    }
    return found;
}

qsizetype utf8Size(const QString &page)
{
    return page.toUtf8().size();
}

void BM_VantoryMarkerPass(benchmark::State &state)
{
    const QString page = vantoryPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(vantoryMarkerPass(page));
    state.SetBytesProcessed(state.iterations() * utf8Size(page));
}

// Parses `page` into a fresh results page as a search does, and reports the
// time as a ratio to a plain pass over the same markers run beside it.
template <typename Parse, typename MarkerPass>
void parseAndWrite(benchmark::State &state, const QString &page, Parse parse,
                   MarkerPass markerPass)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.html"));
    using Clock = std::chrono::steady_clock;
    Clock::duration parsing{};
    Clock::duration plain{};
    int hits = 0;
    for (auto _ : state) {
        // The plain marker pass runs beside each parse, so both see the same
        // machine load; it is not counted in this benchmark's time.
        state.PauseTiming();
        const auto p0 = Clock::now();
        benchmark::DoNotOptimize(markerPass(page));
        plain += Clock::now() - p0;
        // As a search does: the old page is deleted, not truncated.
        QFile::remove(path);
        state.ResumeTiming();
        const auto t0 = Clock::now();
        SearchResults results;
        ResultsPageWriter writer(results);
        writer.open(path);
        hits = parse(writer);
        writer.finish();
        parsing += Clock::now() - t0;
    }
    state.SetBytesProcessed(state.iterations() * utf8Size(page));
    state.counters["hits"] = hits;
    state.counters["ratio_to_marker_pass"] = std::chrono::duration<double>(parsing).count() /
                                             std::chrono::duration<double>(plain).count();
}

void BM_ParseVantoryPageAndWrite(benchmark::State &state)
{
    const QString page = vantoryPage();
    parseAndWrite(
        state, page,
        [&](ResultsPageWriter &writer) {
            QString artist;
            return ParseVantoryPage(
                page, {}, [&](const PageHit &h) { writer.writeRow(h, "Rock"); }, artist);
        },
        vantoryMarkerPass);
}

void BM_BrinsellMarkerPass(benchmark::State &state)
{
    const QString page = brinsellPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(brinsellMarkerPass(page));
    state.SetBytesProcessed(state.iterations() * utf8Size(page));
}

void BM_ParseBrinsellPageAndWrite(benchmark::State &state)
{
    const QString page = brinsellPage();
    parseAndWrite(
        state, page,
        [&](ResultsPageWriter &writer) {
            QString artist;
            return ParseBrinsellPage(
                page, kImageHost, false, {}, [&](const PageHit &h) { writer.writeRow(h, "N/A"); },
                artist);
        },
        brinsellMarkerPass);
}

// A music search over all 18 genres and Brinsell, each page with 50 hits.
void BM_SimulatorSearch19Pages(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM")) {
        const QString sim = QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../tools/retailer-sim/retailer-sim");
        qputenv("JACKETEER_SIM", QFileInfo(sim).absoluteFilePath().toUtf8());
    }
    const QString catalogue = QFileInfo(QString::fromUtf8(__FILE__))
                                  .absoluteDir()
                                  .filePath(QStringLiteral("../tools/retailer-sim/catalogue.json"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", config.path().toUtf8());
    SimulatorProcess sim;
    if (!sim.start(QDir::cleanPath(catalogue))) {
        state.SkipWithError(qPrintable(sim.errorString()));
        return;
    }
    SettingsStore store;
    sim.configureSites(store);
    const SiteEndpoints sites = readSiteEndpoints(store);
    SearchCriteria criteria;
    criteria.text = QStringLiteral("simbulk50");
    criteria.vantory = true;
    criteria.brinsell = true;
    criteria.genres.fill(true);
    int total = 0;
    int pages = 0;
    if (state.range(0) == 1) {
        // One page load alone, for comparison.
        PageFetcher fetcher;
        const QString url = vantoryMusicUrl(sites.vantoryHost, criteria.text, 4118);
        for (auto _ : state)
            total = int(fetcher.load(url).body.size());
        state.counters["body_chars"] = total;
        return;
    }
    for (auto _ : state) {
        PageFetcher fetcher;
        SearchState search;
        SearchIo io;
        io.pages = &fetcher;
        io.yield = [] { QCoreApplication::processEvents(); };
        pages = 0;
        io.status = [&](const QString &) { ++pages; };
        total =
            runSearch(criteria, sites, search, io, appFile(QStringLiteral("results.html"))).total;
    }
    state.counters["hits"] = total;
    state.counters["pages"] = pages - 2; // less "Searching..." and "Results Found"
}

// The same 19-page search with the pages served from memory at once: the
// search's own cost without the network.
class MemoryPages : public IPageSource
{
public:
    LoadedPage load(const QString &url) override
    {
        LoadedPage page;
        page.ok = true;
        page.httpStatus = 200;
        page.locationUrl = url;
        page.body = url.contains(QLatin1String("searchresults.asp")) ? brinsell : vantory;
        return page;
    }
    QString vantory = vantoryPage(50);
    QString brinsell = brinsellPage(50);
};

void BM_MemorySearch19Pages(benchmark::State &state)
{
    QTemporaryDir dir;
    SiteEndpoints sites;
    sites.vantoryHost = QStringLiteral("vantory.test");
    sites.brinsellHost = QStringLiteral("brinsell.test");
    sites.brinsellImageHost = kImageHost;
    SearchCriteria criteria;
    criteria.text = QStringLiteral("simbulk50");
    criteria.vantory = true;
    criteria.brinsell = true;
    criteria.genres.fill(true);
    MemoryPages pages;
    int total = 0;
    for (auto _ : state) {
        SearchState search;
        SearchIo io;
        io.pages = &pages;
        io.yield = [] { QCoreApplication::processEvents(); };
        total = runSearch(criteria, sites, search, io, dir.filePath(QStringLiteral("results.html")))
                    .total;
    }
    state.counters["hits"] = total;
}

} // namespace

BENCHMARK(BM_MemorySearch19Pages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VantoryMarkerPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseVantoryPageAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BrinsellMarkerPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBrinsellPageAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SimulatorSearch19Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Arg(0);
BENCHMARK(BM_SimulatorSearch19Pages)
    ->Name("BM_SimulatorOnePageLoad")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Arg(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
