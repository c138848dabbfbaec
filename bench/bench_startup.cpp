// Start-up cost of the main window: time from process start to the window
// shown with its results view loaded, and resident memory of the program and
// of its web engine helper processes once shown.
//
//   QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a build/bench/bench_startup [runs]
//
// Each run is a fresh process (the program starts once per process), so the
// program re-executes itself for every run and prints the median.

#include "app/frmjacketeer.h"
#include "app/websearchview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since this process was started by the kernel.
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 overall
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowMs = boot.tv_sec * 1000.0 + boot.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long rssKb(int pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Resident memory of every descendant process (the web engine helpers).
long descendantsRssKb(int root)
{
    long total = 0;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &p : pids) {
        bool isNumber = false;
        const int pid = p.toInt(&isNumber);
        if (!isNumber || pid == root)
            continue;
        // Walk up the parent chain to see whether it descends from root.
        int cur = pid;
        for (int depth = 0; depth < 8 && cur > 1; ++depth) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(cur));
            if (!stat.open(QIODevice::ReadOnly))
                break;
            const QByteArray line = stat.readAll();
            cur = line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toInt();
            if (cur == root) {
                total += rssKb(pid);
                break;
            }
        }
    }
    return total;
}

int measureOnce(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("JACKETEER_APPDIR", dir.path().toLocal8Bit());
    frmJacketeer window;
    window.show();
    QTest::qWaitForWindowExposed(&window);
    window.websearch->waitForLoad(20000);
    const double shownMs = sinceProcessStart();
    QTest::qWait(1500); // let the helper processes settle
    std::printf("%.1f %ld %ld\n", shownMs, rssKb(int(getpid())),
                descendantsRssKb(int(getpid())));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--once")
        return measureOnce(argc, argv);

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QCoreApplication core(argc, argv);
    QList<double> ms;
    QList<long> mainKb, helperKb;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        p.waitForFinished(60000);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 3) {
            std::fprintf(stderr, "run %d failed\n", i);
            continue;
        }
        ms << f[0].toDouble();
        mainKb << f[1].toLong();
        helperKb << f[2].toLong();
    }
    if (ms.isEmpty())
        return 1;
    std::sort(ms.begin(), ms.end());
    std::sort(mainKb.begin(), mainKb.end());
    std::sort(helperKb.begin(), helperKb.end());
    const auto mid = ms.size() / 2;
    std::printf("runs: %lld\n", static_cast<long long>(ms.size()));
    std::printf("start to main window shown (median): %.0f ms (min %.0f, max %.0f)\n", ms[mid],
                ms.first(), ms.last());
    std::printf("resident memory once shown (median): program %.1f MiB, web engine helpers "
                "%.1f MiB, together %.1f MiB\n",
                mainKb[mid] / 1024.0, helperKb[mid] / 1024.0,
                (mainKb[mid] + helperKb[mid]) / 1024.0);
    return 0;
}
