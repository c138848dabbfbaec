// Body-extract, parse-and-write time, results page size and peak memory on
// the page shapes that once cost the square of their size (hostilepages.h),
// each at 1 MiB and 16 MiB, taken as a fetched page is: its body cut out
// first, then parsed. Memory is the growth of the process's peak
// resident size from before the page is built, so it counts the page's own
// text (two bytes a character) as well as the parse. Time is the best of
// several parse-and-write rounds over the same page, each from cold caches.
//
//   ninja -C build bench_hostilepages && build/bench/bench_hostilepages
//   build/bench/bench_hostilepages --write DIR   (the small regression inputs)
//   build/bench/bench_hostilepages --case PATTERN SIZE [ROUNDS]   (one case)

#include "hostilepages.h"

#include "base/pagefetcher.h"
#include "search/brinsellparser.h"
#include "search/resultspagewriter.h"
#include "search/searchresults.h"
#include "search/vantoryparser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

using namespace HostilePages;

struct Pattern {
    const char *name;
    QString (*build)(qsizetype size);
    bool vantory;
};

const Pattern kPatterns[] = {
    {"vantory-far-scheme", vantoryFarScheme, true},
    {"brinsell-unclosed", brinsellUnclosed, false},
    {"brinsell-far-artist", brinsellFarArtist, false},
    {"body-unclosed", bodyUnclosed, true},
};

// A /proc/self/status figure in KiB.
qint64 statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

int parseAndWrite(const Pattern &pattern, const QString &html, const QString &path)
{
    const QString page = PageFetcher::extractBody(html);
    SearchResults results;
    ResultsPageWriter writer(results);
    writer.open(path);
    QString artist;
    const auto sink = [&](const PageHit &hit) {
        writer.writeRow(hit, pattern.vantory ? QStringLiteral("Rock") : QStringLiteral("N/A"));
    };
    const int hits = pattern.vantory ? ParseVantoryPage(page, {}, sink, artist)
                                     : ParseBrinsellPage(page, kImageHost, false, {}, sink, artist);
    writer.finish();
    return hits;
}

struct Figures {
    double seconds = 0;
    qint64 resultsBytes = 0;
    qint64 peakBytes = 0;
    int hits = 0;
};

// One pattern at one size, in a process of its own so that no earlier case's
// freed memory hides this one's peak: the first round's peak, the best time
// of all rounds.
Figures measure(const Pattern &pattern, qsizetype size, const QString &path, int rounds)
{
    Figures f;
    // Every round starts with the processor's caches filled with other data,
    // as a page arriving while the rest of the program runs finds them; a
    // 1 MiB page would otherwise stay cached between rounds and a 16 MiB one
    // not, and the two times would compare cache sizes, not the parsers.
    std::vector<char> other(size_t(128) << 20, 1);
    const qint64 before = statusKiB("VmRSS:");
    resetPeak();
    const QString page = pattern.build(size);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(path);
        for (size_t i = 0; i < other.size(); i += 64)
            other[i] = char(other[i] + 1);
        const auto t0 = std::chrono::steady_clock::now();
        f.hits = parseAndWrite(pattern, page, path);
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (round == 0)
            f.peakBytes = (statusKiB("VmHWM:") - before) * 1024;
    }
    // The best round: the machine's other work only ever adds time.
    f.seconds = *std::min_element(times.begin(), times.end());
    f.resultsBytes = QFileInfo(path).size();
    return f;
}

int writeRegressions(const QString &folder)
{
    for (const Pattern &pattern : kPatterns) {
        // The page-body target reads a Content-Type line before the page.
        const bool body = pattern.build == bodyUnclosed;
        const QString dir = folder + (body              ? QStringLiteral("/pagebody")
                                      : pattern.vantory ? QStringLiteral("/vantory")
                                                        : QStringLiteral("/brinsell"));
        QDir().mkpath(dir);
        QFile file(dir + QLatin1Char('/') + QLatin1String(pattern.name) + QStringLiteral(".html"));
        const QByteArray bytes =
            (body ? QByteArray("text/html\n") : QByteArray()) + pattern.build(6 * kUnit).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0)
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--write"))
        return writeRegressions(args.at(2));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.html"));
    // --case PATTERN SIZE [ROUNDS]: one case in this process (ROUNDS 1 times
    // a build whose parsers are too slow for the usual rounds).
    if (args.size() >= 4 && args.at(1) == QLatin1String("--case")) {
        const Pattern &pattern = kPatterns[args.at(2).toInt()];
        const qsizetype size = args.at(3).toLongLong();
        const int rounds = args.size() > 4 ? args.at(4).toInt() : size > (4 << 20) ? 5 : 20;
        const Figures f = measure(pattern, size, path, qMax(1, rounds));
        std::printf("%s %d %.6f %lld %lld\n", pattern.name, f.hits, f.seconds,
                    qlonglong(f.resultsBytes), qlonglong(f.peakBytes));
        return 0;
    }

    const qsizetype sizes[] = {1024 * 1024, 16 * 1024 * 1024};
    std::printf("%-20s %4s %7s %9s %9s %7s %9s %7s\n", "pattern", "MiB", "hits", "seconds",
                "results", "x page", "peak", "x page");
    for (int p = 0; p < int(std::size(kPatterns)); ++p) {
        double small = 0;
        for (const qsizetype size : sizes) {
            QProcess child;
            child.start(app.applicationFilePath(),
                        {QStringLiteral("--case"), QString::number(p), QString::number(size)});
            child.waitForFinished(-1);
            const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
            if (out.size() != 5) {
                std::printf("%s: case failed\n", kPatterns[p].name);
                return 1;
            }
            const double seconds = out[2].toDouble();
            const double results = out[3].toDouble();
            const double peak = out[4].toDouble();
            std::printf("%-20s %4lld %7s %9.3f %8.1fM %7.2f %8.1fM %7.2f\n", kPatterns[p].name,
                        qlonglong(size >> 20), out[1].constData(), seconds, results / 1048576,
                        results / double(size), peak / 1048576, peak / double(size));
            if (size == sizes[0])
                small = seconds;
            else
                std::printf("%-20s 16 MiB takes %.1f times the 1 MiB time\n", kPatterns[p].name,
                            seconds / small);
        }
    }
    return 0;
}
