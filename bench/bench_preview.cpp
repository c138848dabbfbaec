// The batch window's hit preview against the local retailer simulator: the
// time from a click on a hit of a 500x500 picture to the picture shown with
// its size, resolution and site, through the real window (offscreen); and
// the picture's download alone, for comparison.
//
//   ninja -C build bench_preview retailer-sim && build/bench/bench_preview

#include "base/downloadservice.h"
#include "base/modjacketeer.h"
#include "base/settings.h"
#include "batch/batchresultsfile.h"
#include "batch/frmbatch.h"
#include "simulatorprocess.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace
{

constexpr int kHits = 20; // clicked in turn, so every click fetches anew

SimulatorProcess *g_sim = nullptr;
QString g_folder;

void BM_PreviewClick(benchmark::State &state)
{
    frmBatch window;
    window.show();
    window.RestoreLastBatch();
    QTreeWidget *tree = window.tvBatch(0);
    QTreeWidgetItem *folder = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (window.model().node(BatchType::CD, window.nodeIndex(*it))->key == g_folder)
            folder = *it;
    }
    if (!folder || folder->childCount() != kHits) {
        state.SkipWithError("the restored hits are missing");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        QTreeWidgetItem *hit = folder->child(n++ % kHits);
        tree->scrollToItem(hit);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(hit).center());
        if (window.lblStatusRight()->text() != QLatin1String("Preview Complete")) {
            state.SkipWithError("the preview failed");
            return;
        }
    }
    state.counters["shown_px"] = window.findChild<QLabel *>("imgPreview")->pixmap().width();
}

void BM_DownloadOnly(benchmark::State &state)
{
    QTemporaryDir dir;
    int n = 0;
    for (auto _ : state) {
        const QString url = g_sim->url(QStringLiteral("/pic/500x500-h%1.jpg").arg(n++ % kHits));
        if (URLDownloadToFile(url, dir.filePath(QStringLiteral("p.jpg"))) != 0) {
            state.SkipWithError("the download failed");
            return;
        }
    }
}

} // namespace

BENCHMARK(BM_PreviewClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_DownloadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("JACKETEER_SIM"))
        qputenv("JACKETEER_SIM", QFileInfo(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/../tools/retailer-sim/retailer-sim"))
                                     .absoluteFilePath()
                                     .toUtf8());
    const QString catalogue = QFileInfo(QString::fromUtf8(__FILE__))
                                  .absoluteDir()
                                  .filePath(QStringLiteral("../tools/retailer-sim/catalogue.json"));
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("JACKETEER_APPDIR", dir.filePath(QStringLiteral("app")).toUtf8());
    SimulatorProcess sim;
    if (!sim.start(QDir::cleanPath(catalogue))) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        return 1;
    }
    g_sim = &sim;
    Settings store;
    sim.configureSites(store);
    const QString root = dir.filePath(QStringLiteral("cd"));
    g_folder = root + QStringLiteral("/Metallica/Black");
    QDir().mkpath(g_folder);
    BatchResultsFile results;
    results.create(g_folder + QStringLiteral("/batch.rlt"));
    for (int i = 0; i < kHits; ++i)
        results.writeRecord(i + 1,
                            {QStringLiteral("Metallica"), QStringLiteral("Black"),
                             sim.url(QStringLiteral("/pic/500x500-vantory-h%1.jpg").arg(i))});
    results.close();
    store.setText(Keys::BatchCDPath, root);
    store.setText(Keys::BatchDVDPath, QStringLiteral("None"));
    modJacketeer().read(store);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
