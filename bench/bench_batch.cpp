// Batch scan, window fill and restore over a generated collection of 10,000
// album folders (10 files with ID3v1 tags each) and 2,000 DVD folders, and
// the scan of 10,000 album folders of ID3v2-only MP3, FLAC and M4A files
// (copies of the tag fixtures). The collections are built under /tmp once
// per run and removed afterwards. Run one benchmark per process
// (--benchmark_filter) to read each one's peak resident memory.
#include "base/modjacketeer.h"
#include "batch/batchresultsfile.h"
#include "batch/batchscan.h"
#include "batch/batchtexts.h"
#include "batch/frmbatch.h"
#include "batch/id3v1.h"
#include "batch/samplecollection.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <vector>

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

// The album folders without ID3v1 tags, with one file each or with tracks.
QString mixedRoot(int tracks)
{
    return g_base + QStringLiteral("/mixed-%1").arg(tracks);
}

// Album folders whose files carry no ID3v1 tag, in turn ID3v2-only MP3, FLAC
// and M4A, each file a copy of a tag fixture.
bool makeMixedCollection(const QString &root, int albums, int tracks)
{
    const char *fixtures[][2] = {
        {"v23-latin1.mp3", "mp3"}, {"flac-albumartist.flac", "flac"}, {"m4a.m4a", "m4a"}};
    QByteArray bytes[3];
    for (int f = 0; f < 3; ++f) {
        QFile file(QStringLiteral(JACKETEER_TAG_FIXTURES "/") + QLatin1String(fixtures[f][0]));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        bytes[f] = file.readAll();
    }
    for (int a = 0; a < albums; ++a) {
        const QString folder = QStringLiteral("%1/Artist %2/Album %3")
                                   .arg(root)
                                   .arg(a / 10 + 1, 4, 10, QLatin1Char('0'))
                                   .arg(a + 1, 5, 10, QLatin1Char('0'));
        if (!QDir().mkpath(folder))
            return false;
        for (int t = 1; t <= tracks; ++t) {
            QFile file(QStringLiteral("%1/%2 - Track.%3")
                           .arg(folder)
                           .arg(t, 2, 10, QLatin1Char('0'))
                           .arg(QLatin1String(fixtures[a % 3][1])));
            if (!file.exists() && (!file.open(QIODevice::WriteOnly) ||
                                   file.write(bytes[a % 3]) != bytes[a % 3].size()))
                return false;
        }
    }
    return true;
}

// The CD scan as it was before it read other tags than ID3v1: the same walk,
// passing only the four ID3v1 names, and the ID3v1 tag alone. The baseline
// of today's ID3v1 scan.
size_t id3v1OnlyScan(const QString &root)
{
    FolderTree tree;
    std::vector<QueueEntry> queue;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &path, const QString &name) {
        return tree.add(parent, path, name, NodeImage::MusicFolder);
    };
    visitor.leaf = [&](const WalkLeaf &leaf) {
        for (const std::string &name : leaf.files) {
            const auto tag = readId3v1TagAt(leaf.folderFd, name.c_str());
            if (!tag || (tag->artist.isEmpty() && tag->album.isEmpty()))
                continue;
            queue.push_back({tag->artist, tag->album, leaf.path,
                             QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
            return;
        }
    };
    const auto filter = [](const char *name, size_t length) {
        return isTaggableAudioName(std::string_view(name, length));
    };
    walkFolders(root, tree.add(0, root, root, NodeImage::Root), filter, visitor);
    return queue.size();
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

// The processor time of f, user and system, of every thread of the process:
// work the scan hands to other threads counts. Unlike the time on the
// clock, other work on the machine hardly changes it.
template <typename F> double cpuSeconds(F &&f)
{
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

// The scan of album folders without ID3v1 tags, one file per folder read
// by TagLib, against the bare walks of the same folders: the time on the
// clock from the start of the scan to its last queue row, and the processor
// time of the whole process. With one file per folder that is the only file
// read; with ten, the last 128 bytes of every MP3 are read first, as the
// ID3v1 rule asks. Medians of the iterations, each walking and scanning in
// turn, so that a busy moment of the machine does not decide the figure.
void BM_MixedScanVersusWalk(benchmark::State &state)
{
    const QString mixed = mixedRoot(static_cast<int>(state.range(0)));
    const std::string root = mixed.toStdString();
    std::vector<double> scanTime;
    std::vector<double> fsTime;
    std::vector<double> readdirTime;
    std::vector<double> scanCpu;
    std::vector<double> fsCpu;
    size_t rows = 0;
    for (auto _ : state) {
        fsTime.push_back(seconds([&] {
            fsCpu.push_back(cpuSeconds([&] { benchmark::DoNotOptimize(filesystemWalk(root)); }));
        }));
        readdirTime.push_back(seconds([&] { benchmark::DoNotOptimize(readdirWalk(root)); }));
        scanTime.push_back(seconds([&] {
            scanCpu.push_back(
                cpuSeconds([&] { rows = buildBatchTree(BatchType::CD, mixed, {}).queue.size(); }));
        }));
    }
    state.counters["scan_s"] = median(scanTime);
    state.counters["fs_walk_s"] = median(fsTime);
    state.counters["readdir_walk_s"] = median(readdirTime);
    state.counters["scan_cpu_s"] = median(scanCpu);
    state.counters["fs_walk_cpu_s"] = median(fsCpu);
    state.counters["ratio_fs"] = median(scanTime) / median(fsTime);
    state.counters["ratio_fs_cpu"] = median(scanCpu) / median(fsCpu);
    state.counters["ratio_readdir"] = median(scanTime) / median(readdirTime);
    state.counters["queued"] = static_cast<double>(rows);
}

// Today's ID3v1 scan before and after the other tag formats, in turns (each
// side first every other time) so that both see the same machine; medians
// of the processor time (user and system) each took.
void BM_Id3v1ScanBeforeAfter(benchmark::State &state)
{
    std::vector<double> before;
    std::vector<double> after;
    size_t rowsBefore = 0;
    size_t rowsAfter = 0;
    for (auto _ : state) {
        const bool beforeFirst = before.size() % 2 == 0;
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == beforeFirst)
                before.push_back(cpuSeconds([&] { rowsBefore = id3v1OnlyScan(cdRoot()); }));
            else
                after.push_back(cpuSeconds(
                    [&] { rowsAfter = buildBatchTree(BatchType::CD, cdRoot(), {}).queue.size(); }));
        }
    }
    if (rowsBefore != rowsAfter)
        state.SkipWithError("the two scans queued different folders");
    state.counters["before_cpu_s"] = median(before);
    state.counters["after_cpu_s"] = median(after);
    state.counters["ratio"] = median(after) / median(before);
    state.counters["queued"] = static_cast<double>(rowsAfter);
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
BENCHMARK(BM_MixedScanVersusWalk)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(9)
    ->Arg(1)
    ->Arg(kTracks);
BENCHMARK(BM_Id3v1ScanBeforeAfter)->Unit(benchmark::kMillisecond)->Iterations(30);
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
        if (!report.ok() || !makeMixedCollection(mixedRoot(1), kAlbums, 1) ||
            !makeMixedCollection(mixedRoot(kTracks), kAlbums, kTracks))
            std::abort();
    });
    std::fprintf(stderr, "collection made in %.1f s\n", made);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0; // a temporary collection goes with its QTemporaryDir
}
