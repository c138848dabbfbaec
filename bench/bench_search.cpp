// Parser and results page throughput on a generated 1 MiB page of 1,000 hits,
// against one plain pass of the same markers' substring search; the wall
// time of a whole 19-page music search against the local retailer simulator;
// and searches through the main window against the simulator with latency,
// from the Search click to "Results Found", each in a fresh process so that
// every run includes the web engine's first start, then once more with the
// engine running (medians of 5 runs, with the longest event-loop stalls).
//
//   ninja -C build-x bench_search retailer-sim && build-x/bench/bench_search
//   build-x/bench/bench_search --benchmark_filter=Window   (the window searches)

#include "app/frmjacketeer.h"
#include "app/websearchview.h"
#include "base/appfolder.h"
#include "base/pagesource.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "search/brinsellparser.h"
#include "search/resultspagewriter.h"
#include "search/searchdriver.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"
#include "search/vantoryparser.h"
#include "simulatorprocess.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

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
void parseAndWrite(benchmark::State &state, const QString &page, Parse parse, MarkerPass markerPass)
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

QString simulatorCatalogue()
{
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM"))
        qputenv("JACKETEER_SIM", JACKETEER_SIM_PATH);
    return qEnvironmentVariableIsEmpty("JACKETEER_SIM_CATALOGUE")
               ? QStringLiteral(JACKETEER_SIM_CATALOGUE_PATH)
               : qEnvironmentVariable("JACKETEER_SIM_CATALOGUE");
}

// Runs one search to its end with the event loop running; returns the hits
// and counts the status texts in `statuses`.
int searchToEnd(IAsyncPageSource *pages, const SearchCriteria &criteria, const SiteEndpoints &sites,
                const QString &path, int *statuses = nullptr)
{
    SearchState state;
    SearchDriver driver(state);
    QEventLoop loop;
    int total = 0;
    SearchIo io;
    io.pages = pages;
    io.status = [statuses](const QString &) {
        if (statuses)
            ++*statuses;
    };
    io.finished = [&](const SearchOutcome &outcome) {
        total = outcome.total;
        loop.quit();
    };
    driver.start(criteria, sites, io, path, 4);
    if (driver.running())
        loop.exec();
    return total;
}

// A music search over all 18 genres and Brinsell, each page with 50 hits.
void BM_SimulatorSearch19Pages(benchmark::State &state)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", config.path().toUtf8());
    SimulatorProcess sim;
    if (!sim.start(simulatorCatalogue())) {
        state.SkipWithError(qPrintable(sim.errorString()));
        return;
    }
    Settings store;
    sim.configureSites(store);
    const SiteEndpoints sites = store.sites();
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
        pages = 0;
        total =
            searchToEnd(&fetcher, criteria, sites, appFile(QStringLiteral("results.html")), &pages);
    }
    state.counters["hits"] = total;
    state.counters["pages"] = pages - 2; // less "Searching..." and "Results Found"
}

// The same 19-page search with the pages served from memory on the next turn
// of the event loop: the search's own cost without the network.
class MemoryPages : public IAsyncPageSource
{
public:
    quint64 start(const QString &url, Done done) override
    {
        LoadedPage page;
        page.ok = true;
        page.httpStatus = 200;
        page.locationUrl = url;
        page.body = url.contains(QLatin1String("searchresults.asp")) ? brinsell : vantory;
        QTimer::singleShot(0, [page, done] { done(page); });
        return 0;
    }
    void abort(quint64) override {}
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
    for (auto _ : state)
        total = searchToEnd(&pages, criteria, sites, dir.filePath(QStringLiteral("results.html")));
    state.counters["hits"] = total;
}

// Searches through the main window in this process: Vantory with `genres`
// genres and Brinsell, against a simulator answering after `latencyMs`. The
// first search starts the web engine; a second one follows with the engine
// running. Prints, for each, the time from the click to "Results Found" and
// the longest gap between two ticks of a 1 ms timer in that time, in ms.
int windowSearchOnce(int argc, char **argv, int genres, int latencyMs)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", config.path().toUtf8());
    SimulatorProcess sim;
    if (!sim.start(simulatorCatalogue(), {QStringLiteral("--latency"), QString::number(latencyMs)}))
        return 1;
    Settings store;
    sim.configureSites(store);
    frmJacketeer window(&store);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.optSearch[0]->setChecked(true);
    window.chkSite[0]->setChecked(true);
    window.chkSite[1]->setChecked(true);
    for (int g = 0; g < kGenreCount; ++g)
        window.chkMusicG[std::size_t(g)]->setChecked(g < genres);
    window.txtSearch->setText(QStringLiteral("simbulk50"));

    for (int search = 0; search < 2; ++search) {
        window.lblResults->clear();
        QElapsedTimer clock;
        double foundMs = -1;
        qint64 lastTick = 0;
        qint64 stallNs = 0;
        QEventLoop done;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            stallNs = std::max(stallNs, now - lastTick);
            lastTick = now;
            if (foundMs < 0 && window.lblResults->text().startsWith(kStatusFoundPrefix)) {
                foundMs = double(now) / 1e6;
                done.quit();
            }
        });
        QTimer::singleShot(0, [&] {
            clock.start();
            tick.start(1);
            window.cmdSearch->click();
        });
        QTimer::singleShot(60000, &done, &QEventLoop::quit);
        done.exec();
        if (foundMs < 0)
            return 1;
        std::printf("%.1f %.1f ", foundMs, double(stallNs) / 1e6);
        QTest::qWait(500);
    }
    std::printf("\n");
    return 0;
}

// The window searches of windowSearchOnce, five times, each in a new process:
// the median time of the first search to "Results Found" is the benchmark's
// time; the counters hold the same of the second search, and the longest
// stall of all runs of each.
void BM_WindowSearch(benchmark::State &state)
{
    const int genres = int(state.range(0));
    const int latencyMs = int(state.range(1));
    simulatorCatalogue();
    for (auto _ : state) {
        std::vector<double> first;
        std::vector<double> second;
        double firstStall = 0;
        double secondStall = 0;
        for (int run = 0; run < 5; ++run) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
            env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                       QStringLiteral("--disable-gpu --no-sandbox"));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--window-once"), QString::number(genres),
                         QString::number(latencyMs)});
            child.waitForFinished(180000);
            const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
            if (child.exitCode() != 0 || f.size() != 4) {
                state.SkipWithError("a window search failed");
                return;
            }
            first.push_back(f[0].toDouble());
            firstStall = std::max(firstStall, f[1].toDouble());
            second.push_back(f[2].toDouble());
            secondStall = std::max(secondStall, f[3].toDouble());
        }
        std::sort(first.begin(), first.end());
        std::sort(second.begin(), second.end());
        state.SetIterationTime(first[2] / 1000);
        state.counters["pages"] = genres + 1;
        state.counters["first_min_ms"] = first.front();
        state.counters["first_max_ms"] = first.back();
        state.counters["first_stall_ms"] = firstStall;
        state.counters["second_ms"] = second[2];
        state.counters["second_stall_ms"] = secondStall;
    }
}

} // namespace

BENCHMARK(BM_WindowSearch)
    ->ArgNames({"genres", "latency"})
    ->Args({18, 300})
    ->Args({2, 300})
    ->Args({18, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
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
    if (argc == 4 && QByteArray(argv[1]) == "--window-once")
        return windowSearchOnce(argc, argv, atoi(argv[2]), atoi(argv[3]));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
