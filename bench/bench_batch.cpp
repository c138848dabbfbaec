// Batch scan, window fill and restore over a generated collection of 10,000
// album folders (10 tagged files each) and 2,000 DVD folders. The collection
// is built under /tmp once per run and removed afterwards. Run one benchmark
// per process (--benchmark_filter) to read each one's peak resident memory.
#include "base/modjacketeer.h"
#include "batch/batchresultsfile.h"
#include "batch/batchscan.h"
#include "batch/frmbatch.h"
#include "batch/samplecollection.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <sys/resource.h>

namespace
{

constexpr int kAlbums = 10'000;
constexpr int kTracks = 10;
constexpr int kDvds = 2'000;
constexpr int kRecordsPerFile = 10;

QString g_base;

QString cdRoot()
{
    return g_base + QStringLiteral("/cd");
}

QString dvdRoot()
{
    return g_base + QStringLiteral("/dvd");
}

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
}

// The walk every scan must at least do: std::filesystem's recursive walk.
long long filesystemWalk(const std::string &root)
{
    long long entries = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(root);
         it != std::filesystem::recursive_directory_iterator(); ++it)
        ++entries;
    return entries;
}

// The smallest walk there is: readdir and the entry type, nothing else.
long long readdirWalk(const std::string &path)
{
    long long entries = 0;
    DIR *dir = opendir(path.c_str());
    if (!dir)
        return 0;
    while (const dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
            continue;
        ++entries;
        if (e->d_type == DT_DIR)
            entries += readdirWalk(path + '/' + e->d_name);
    }
    closedir(dir);
    return entries;
}

size_t coreScan()
{
    const BatchTreeBuild cd = buildBatchTree(BatchType::CD, cdRoot(), {});
    const BatchTreeBuild dvd = buildBatchTree(BatchType::DVD, dvdRoot(), {});
    return cd.queue.size() + dvd.queue.size();
}

template <typename F> double seconds(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void setRoots()
{
    modJacketeer().batchCDPath = cdRoot();
    modJacketeer().batchDVDPath = dvdRoot();
    modJacketeer().batchDVDFolder = 1;
}

void BM_ScanVersusWalk(benchmark::State &state)
{
    const std::string cd = cdRoot().toStdString();
    const std::string dvd = dvdRoot().toStdString();
    double scanTime = 0;
    double fsTime = 0;
    double readdirTime = 0;
    size_t rows = 0;
    for (auto _ : state) {
        fsTime +=
            seconds([&] { benchmark::DoNotOptimize(filesystemWalk(cd) + filesystemWalk(dvd)); });
        readdirTime +=
            seconds([&] { benchmark::DoNotOptimize(readdirWalk(cd) + readdirWalk(dvd)); });
        scanTime += seconds([&] { rows = coreScan(); });
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["scan_s"] = scanTime / n;
    state.counters["fs_walk_s"] = fsTime / n;
    state.counters["readdir_walk_s"] = readdirTime / n;
    state.counters["ratio_fs"] = scanTime / fsTime;
    state.counters["ratio_readdir"] = scanTime / readdirTime;
    state.counters["queued"] = static_cast<double>(rows);
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void BM_CoreScan(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state)
        rows = coreScan();
    state.counters["queued"] = static_cast<double>(rows);
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void BM_FillWindow(benchmark::State &state)
{
    setRoots();
    int rows = 0;
    for (auto _ : state) {
        auto window = std::make_unique<frmBatch>();
        rows = window->queueRowCount(0) + window->queueRowCount(1);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["queued"] = rows;
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void BM_RestoreLastBatch(benchmark::State &state)
{
    setRoots();
    // Ten records in every album folder's results file.
    BatchResultsFile writer;
    const QString cd = cdRoot();
    for (const QString &artist : QDir(cd).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &album :
             QDir(cd + '/' + artist).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            writer.create(cd + '/' + artist + '/' + album + "/batch.rlt");
            for (int r = 1; r <= kRecordsPerFile; ++r)
                writer.writeRecord(r, {artist, album + QStringLiteral(" (hit %1)").arg(r),
                                       QStringLiteral("http://127.0.0.1/p/%1.jpg").arg(r)});
            writer.close();
        }
    }
    frmBatch window;
    int nodes = 0;
    for (auto _ : state) {
        window.RestoreLastBatch();
        nodes = window.nodeCount(0) + window.nodeCount(1);
    }
    state.counters["nodes"] = nodes;
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void BM_CheckAll(benchmark::State &state)
{
    setRoots();
    frmBatch window;
    window.RestoreLastBatch();
    for (auto _ : state) {
        window.cmdCheckAll_Click();
        window.cmdUncheckAll_Click();
    }
    state.counters["nodes"] = window.nodeCount(0);
}

} // namespace

BENCHMARK(BM_ScanVersusWalk)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CoreScan)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillWindow)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RestoreLastBatch)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CheckAll)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/jacketeer-bench-XXXXXX"));
    g_base = qEnvironmentVariable("JACKETEER_BENCH_DIR");
    if (g_base.isEmpty()) {
        if (!dir.isValid())
            return 1;
        g_base = dir.path();
    } else {
        dir.remove();
    }
    const auto made = seconds([&] {
        const SampleCollectionReport report =
            makeGeneratedCollection(cdRoot(), dvdRoot(), kAlbums, kTracks, kDvds);
        if (!report.ok())
            std::abort();
    });
    std::fprintf(stderr, "collection made in %.1f s\n", made);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0; // a temporary collection goes with its QTemporaryDir
}
