// A batch run over the demo collection (10 albums, 5 DVDs) against the
// retailer simulator, as the batch window runs it: "plain" loads pages through
// the page fetcher and downloads through the program-wide call with nothing
// recorded; "guarded" puts the request pacer (interval 0) in front of both and
// keeps the undo journal and the batch log. The two alternate, so a busy
// machine slows both alike; the ratio is guarded / plain over the medians.
// Built from a tree without the journal, only the plain run is measured.
#include "base/appfolder.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/samplecollection.h"

#if __has_include("batch/batchjournal.h")
#include "base/requestpacer.h"
#include "batch/batchjournal.h"
#include "batch/batchlog.h"
#define JACKETEER_HAS_JOURNAL 1
#endif

#include "simulatorprocess.h"

#include <QApplication>
#include <QDirIterator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace
{

QString g_cd;
QString g_dvd;
SiteEndpoints g_sites;

struct AllTicked : IBatchRunObserver {
    bool isTicked(int) override { return true; }
    void setRowStatus(int, const QString &) override {}
    void setLabel(BatchLabel, const QString &) override {}
    void setBarMaximum(BatchBar, int) override {}
    void setBarValue(BatchBar, int) override {}
    void addHitNode(const QString &, const QString &, const QString &, NodeImage, bool) override {}
    void setNodeImage(const QString &, NodeImage) override {}
};

BatchSettings settings()
{
    BatchSettings s;
    s.vantory = s.brinsell = true;
    s.genres[0] = s.genres[11] = true; // Rock, Pop
    s.templateName = QStringLiteral("@artist@ - @album@");
    return s;
}

// Every run starts from the collection as made: no pictures, no results files.
void resetCollection()
{
    for (const QString &root : {g_cd, g_dvd}) {
        QDirIterator it(root, {QStringLiteral("*.jpg"), QStringLiteral("batch.rlt")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::remove(it.next());
    }
}

double runOnce(bool guarded)
{
    resetCollection();
    const BatchTreeBuild cd = buildBatchTree(BatchType::CD, g_cd, {});
    const BatchTreeBuild dvd = buildBatchTree(BatchType::DVD, g_dvd, {});
    PageFetcher fetcher;
    AllTicked observer;
    BatchRunIo io;
    io.pages = &fetcher;
    io.observer = &observer;
    io.yield = [] { QCoreApplication::processEvents(); };
    io.stopRequested = [] { return false; };
#ifdef JACKETEER_HAS_JOURNAL
    RequestPacer pacer(0, &fetcher);
    BatchJournal journal;
    BatchLog log(appFile(QStringLiteral("batch-log.csv")));
    if (guarded) {
        io.pages = &pacer;
        io.download = pacer.downloadFunction();
        io.journal = &journal;
        log.start();
        io.entryDone = [&log](const BatchEntryResult &result) { log.add(result); };
    }
#else
    Q_UNUSED(guarded);
#endif
    const auto start = std::chrono::steady_clock::now();
    int searched = runBatch(BatchType::CD, cd.queue, settings(), g_sites, io).searched;
    searched += runBatch(BatchType::DVD, dvd.queue, settings(), g_sites, io).searched;
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (searched != int(cd.queue.size() + dvd.queue.size()))
        std::fprintf(stderr, "only %d entries searched\n", searched);
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_SampleBatchBeforeAfter(benchmark::State &state)
{
    std::vector<double> plain;
    std::vector<double> guarded;
    runOnce(false); // warms the connection pool and the simulator's picture cache
    for (auto _ : state) {
        plain.push_back(runOnce(false));
#ifdef JACKETEER_HAS_JOURNAL
        guarded.push_back(runOnce(true));
#endif
    }
    state.counters["plain_s"] = median(plain);
    state.counters["plain_min_s"] = *std::min_element(plain.begin(), plain.end());
    if (!guarded.empty()) {
        state.counters["guarded_s"] = median(guarded);
        state.counters["guarded_min_s"] = *std::min_element(guarded.begin(), guarded.end());
        state.counters["ratio"] = median(guarded) / median(plain);
    }
}

} // namespace

BENCHMARK(BM_SampleBatchBeforeAfter)->Unit(benchmark::kMillisecond)->Iterations(15);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/jacketeer-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("JACKETEER_APPDIR", dir.filePath(QStringLiteral("app")).toUtf8());
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM"))
        qputenv("JACKETEER_SIM", JACKETEER_SIM_PATH);
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM_CATALOGUE"))
        qputenv("JACKETEER_SIM_CATALOGUE", JACKETEER_SIM_CATALOGUE_PATH);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    SimulatorProcess sim;
    if (!sim.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        return 1;
    }
    Settings store;
    sim.configureSites(store);
    g_sites = store.sites();
    g_cd = dir.filePath(QStringLiteral("CD"));
    g_dvd = dir.filePath(QStringLiteral("DVD"));
    if (!makeDemoCollection(g_cd, g_dvd).ok())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
