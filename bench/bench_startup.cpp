// Start-up cost of the main window: time from process start to the window
// shown with its results view ready, and resident memory of the program and
// of its web engine helper processes once shown; then the same memory once a
// first results page is on show (where the web engine is needed at last), and
// the time that page took.
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
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace
{

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
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.websearch->waitForLoad(20000);
    const double shownMs = sinceProcessStart();
    QTest::qWait(1500); // let the helper processes settle
    const long shownMain = rssKb(int(getpid()));
    const long shownHelpers = descendantsRssKb(int(getpid()));

    // A results page as a search leaves it: a few hit tables, no pictures.
    QFile page(dir.filePath(QStringLiteral("results.html")));
    if (!page.open(QIODevice::WriteOnly))
        return 1;
    page.write("<html><body>");
    for (int i = 1; i <= 10; ++i)
        page.write(QStringLiteral("<form><table border=1><tr><td><input type=checkbox name=C1>"
                                  "</td><td>Artist %1</td><td>Album %1</td></tr><tr><td><a "
                                  "href=\"%1http://127.0.0.1:9/%1.jpg\">Quick Save</a></td></tr>"
                                  "</table></form>")
                       .arg(i, 4, 10, QLatin1Char('0'))
                       .toUtf8());
    page.write("</body></html>");
    page.close();
    QElapsedTimer pageTime;
    pageTime.start();
    window.websearch->Navigate2(page.fileName());
    if (!window.websearch->waitForLoad(20000))
        return 1;
    const double pageMs = double(pageTime.elapsed());
    QTest::qWait(1500);
    std::printf("%.1f %ld %ld %.1f %ld %ld\n", shownMs, shownMain, shownHelpers, pageMs,
                rssKb(int(getpid())), descendantsRssKb(int(getpid())));
    return 0;
}

} // namespace

struct Series {
    QList<double> values;
    double median() const { return values.value(values.size() / 2); }
    void sort() { std::sort(values.begin(), values.end()); }
};

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--once")
        return measureOnce(argc, argv);

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QCoreApplication core(argc, argv);
    // Per run: shown ms, program KiB, helpers KiB, page ms, program KiB, helpers KiB.
    std::array<Series, 6> series;
    std::array<Series, 2> together;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        p.waitForFinished(60000);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 6) {
            std::fprintf(stderr, "run %d failed\n", i);
            continue;
        }
        for (std::size_t k = 0; k < series.size(); ++k)
            series[k].values << f[qsizetype(k)].toDouble();
        together[0].values << (f[1].toDouble() + f[2].toDouble()) / 1024.0;
        together[1].values << (f[4].toDouble() + f[5].toDouble()) / 1024.0;
    }
    if (series[0].values.isEmpty())
        return 1;
    for (Series &s : series)
        s.sort();
    for (Series &s : together)
        s.sort();
    const auto mib = [&](std::size_t k) { return series[k].median() / 1024.0; };
    std::printf("runs: %lld\n", static_cast<long long>(series[0].values.size()));
    std::printf("start to main window shown (median): %.0f ms (min %.0f, max %.0f)\n",
                series[0].median(), series[0].values.first(), series[0].values.last());
    std::printf("resident memory once shown (median): program %.1f MiB, web engine helpers "
                "%.1f MiB, together %.1f MiB (min %.1f, max %.1f)\n",
                mib(1), mib(2), together[0].median(), together[0].values.first(),
                together[0].values.last());
    std::printf("first results page shown (median): %.0f ms (min %.0f, max %.0f)\n",
                series[3].median(), series[3].values.first(), series[3].values.last());
    std::printf("resident memory with the page (median): program %.1f MiB, web engine helpers "
                "%.1f MiB, together %.1f MiB (min %.1f, max %.1f)\n",
                mib(4), mib(5), together[1].median(), together[1].values.first(),
                together[1].values.last());
    return 0;
}
