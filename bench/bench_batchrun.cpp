// A whole batch run against the retailer simulator on 127.0.0.1: 1,000 CD
// entries (Rock, Pop and Brinsell: 3,000 pages) and 200 DVD entries (Vantory
// and Brinsell: 400 pages), every entry with one hit that matches it, so every
// entry downloads and saves one picture. Prints the wall time, our own time
// per entry beyond the page and picture waits, the longest stall of the event
// loop (a 10 ms timer) and the peak resident memory; first through the core
// run, then through the batch window itself.
//
//   ninja -C build bench_batchrun retailer-sim && build/bench/bench_batchrun

#include "base/appfolder.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/frmbatch.h"
#include "batch/samplecollection.h"
#include "simulatorprocess.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace
{

constexpr int kAlbums = 1000;
constexpr int kDvds = 200;

// CPU time of the calling (user-interface) thread: the run's own work, as
// waiting for a page or a picture takes none.
double threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One catalogue entry per generated album (Rock, Vantory only) and per DVD:
// each entry's search finds exactly its own hit.
QByteArray catalogue()
{
    QJsonArray entries;
    for (int a = 0; a < kAlbums; ++a)
        entries.append(QJsonObject{
            {"id", QStringLiteral("a%1").arg(a + 1)},
            {"artist", QStringLiteral("Artist %1").arg(a / 10 + 1, 4, 10, QLatin1Char('0'))},
            {"album", QStringLiteral("Album %1").arg(a + 1, 5, 10, QLatin1Char('0'))},
            {"genre", "Rock"},
            {"sites", QJsonArray{"vantory"}}});
    for (int d = 0; d < kDvds; ++d)
        entries.append(
            QJsonObject{{"id", QStringLiteral("d%1").arg(d + 1)},
                        {"title", QStringLiteral("Title %1").arg(d + 1, 5, 10, QLatin1Char('0'))},
                        {"sites", QJsonArray{"vantory"}}});
    return QJsonDocument(QJsonObject{{"entries", entries}}).toJson();
}

// The longest gap between two turns of a 10 ms timer while it runs.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// Pages through the real fetcher, with the time spent waiting for them.
class TimedPages : public IPageSource
{
public:
    LoadedPage load(const QString &url) override
    {
        QElapsedTimer t;
        t.start();
        LoadedPage page = m_fetcher.load(url);
        waitNs += t.nsecsElapsed();
        ++pages;
        return page;
    }
    qint64 waitNs = 0;
    int pages = 0;

private:
    PageFetcher m_fetcher;
};

class CountingView : public IBatchRunObserver
{
public:
    bool isTicked(int) override { return true; }
    void setRowStatus(int, const QString &) override {}
    void setLabel(BatchLabel, const QString &) override {}
    void setBarMaximum(BatchBar, int) override {}
    void setBarValue(BatchBar, int) override {}
    void addHitNode(const QString &, const QString &, const QString &, NodeImage, bool) override
    {
        ++hits;
    }
    void setNodeImage(const QString &, NodeImage) override { ++saved; }
    int hits = 0;
    int saved = 0;
};

struct Collection {
    std::vector<QueueEntry> cd;
    std::vector<QueueEntry> dvd;
};

Collection makeCollection(const QString &base)
{
    makeGeneratedCollection(base + "/cd", base + "/dvd", kAlbums, 1, kDvds);
    return {buildBatchTree(BatchType::CD, base + "/cd", {}).queue,
            buildBatchTree(BatchType::DVD, base + "/dvd", {}).queue};
}

void coreRun(const QString &base, const SiteEndpoints &sites)
{
    const Collection c = makeCollection(base);
    TimedPages pages;
    CountingView view;
    qint64 downloadNs = 0;
    BatchRunIo io;
    io.pages = &pages;
    io.observer = &view;
    io.yield = [] { QCoreApplication::processEvents(); };
    io.download = [&](const QString &url, const QString &path) {
        QElapsedTimer t;
        t.start();
        const DownloadResult result = downloadToFile(url, path);
        downloadNs += t.nsecsElapsed();
        return result;
    };
    BatchSettings settings = BatchSettings::fromShared(modJacketeer());
    StallMeter stalls;
    const double cpu0 = threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    const BatchRunOutcome cd = runBatch(BatchType::CD, c.cd, settings, sites, io);
    const BatchRunOutcome dvd = runBatch(BatchType::DVD, c.dvd, settings, sites, io);
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const int entries = cd.searched + dvd.searched;
    const double ownMs =
        static_cast<double>(wall.nsecsElapsed() - pages.waitNs - downloadNs) / 1e6 / entries;
    std::printf("core run:   %d entries, %d pages, %d hits, %d saved\n", entries, pages.pages,
                view.hits, view.saved);
    std::printf("  wall %.2f s (pages %.2f s, pictures %.2f s), own %.3f ms/entry "
                "(CPU %.3f ms/entry), longest stall %lld ms, peak RSS %.1f MiB\n",
                seconds, static_cast<double>(pages.waitNs) / 1e9,
                static_cast<double>(downloadNs) / 1e9, ownMs, (threadCpuMs() - cpu0) / entries,
                static_cast<long long>(stalls.longestMs()), peakRssMiB());
}

void windowRun(const QString &base)
{
    makeCollection(base);
    modJacketeer().batchCDPath = base + "/cd";
    modJacketeer().batchDVDPath = base + "/dvd";
    frmBatch window;
    window.show();
    double seconds = 0;
    double cpuMs = 0;
    qint64 stall = 0;
    int saved = 0;
    for (int t = 0; t < 2; ++t) {
        window.findChild<QRadioButton *>(t == 0 ? "optType(0)" : "optType(1)")->click();
        window.cmdCheckAll_Click();
        StallMeter stalls;
        const double cpu0 = threadCpuMs();
        QElapsedTimer wall;
        wall.start();
        window.cmdStart_Click();
        seconds += static_cast<double>(wall.nsecsElapsed()) / 1e9;
        cpuMs += threadCpuMs() - cpu0;
        stall = std::max(stall, stalls.longestMs());
        window.cmdNew_Click();
    }
    for (QDirIterator it(base, {"folder.jpg"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++saved;
    std::printf("window run: %d pictures saved, wall %.2f s, CPU %.3f ms/entry, "
                "longest stall %lld ms, peak RSS %.1f MiB\n",
                saved, seconds, cpuMs / (kAlbums + kDvds), static_cast<long long>(stall),
                peakRssMiB());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM"))
        qputenv("JACKETEER_SIM", QFileInfo(QCoreApplication::applicationDirPath() +
                                           "/../tools/retailer-sim/retailer-sim")
                                     .absoluteFilePath()
                                     .toUtf8());
    QTemporaryDir dir(QDir::tempPath() + "/jacketeer-bench-XXXXXX");
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    qputenv("JACKETEER_APPDIR", dir.filePath("app").toUtf8());
    QFile file(dir.filePath("catalogue.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(catalogue()) <= 0)
        return 1;
    file.close();
    SimulatorProcess sim;
    if (!sim.start(file.fileName())) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        return 1;
    }
    Settings store;
    sim.configureSites(store);
    for (const SettingKey &key :
         {Keys::BatchVantory, Keys::BatchBrinsell, Keys::batchGenre(0), Keys::batchGenre(11)})
        store.setOn(key, true);
    store.sync();
    modJacketeer().read(store);
    // "core" or "window" runs only that one.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only != "window")
        coreRun(dir.filePath("core"), store.sites());
    if (only != "core")
        windowRun(dir.filePath("window"));
    return 0;
}
