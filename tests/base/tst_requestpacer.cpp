// The pacer on a fake clock: which failures are asked for again, after how
// long, how requests to one host are spaced, and that a cancel ends a wait;
// then around the real page fetcher and download service, against the
// simulator, whose request log tells when each request arrived.

#include "base/pagefetcher.h"
#include "base/requestpacer.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <QTest>

namespace
{

// Answers each attempt from a script of "200", "503", "429|5" (with
// Retry-After), "reset" or "timeout", 100 ms of fake time each; notes when
// each attempt started.
struct Script : IPageSource {
    QStringList answers;
    qint64 now = 0;
    QStringList starts;

    DownloadResult next()
    {
        starts << QString::number(now);
        now += 100;
        const QStringList parts =
            answers.isEmpty() ? QStringList{"200"} : answers.takeFirst().split('|');
        DownloadResult r;
        r.httpStatus = parts[0].toInt();
        r.status = r.httpStatus == 200     ? DownloadResult::Status::Ok
                   : parts[0] == "timeout" ? DownloadResult::Status::TimedOut
                                           : DownloadResult::Status::HttpError;
        r.retryAfter = parts.value(1).toLatin1();
        r.connectionReset = parts[0] == "reset";
        return r;
    }
    LoadedPage load(const QString &) override
    {
        const DownloadResult r = next();
        const bool late = r.status == DownloadResult::Status::TimedOut;
        return {r.ok(), {}, {}, r.httpStatus, r.retryAfter, r.connectionReset, late};
    }
};

// Arrival times (ms) of the logged requests whose target contains `part`.
QList<qint64> arrivals(const QString &log, const QString &part)
{
    QFile f(log);
    QList<qint64> times;
    for (const QByteArray &line :
         f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QByteArrayList()) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 3 && fields[2].contains(part.toUtf8()))
            times << fields[0].toLongLong();
    }
    return times;
}

QString vantory(const SimulatorProcess &sim, QString text)
{
    return sim.url("/catalog/search-ng.gsp?dept=4104&search_query=" + text.replace(' ', "%20") +
                   "&CATEGORY_ID=4118");
}

} // namespace

class tst_RequestPacer : public QObject
{
    Q_OBJECT
private slots:
    void script_data()
    {
        TestFiles::addTableRows("pacer-script.tsv",
                                {"intervalMs", "urls", "answers", "cancelAt", "starts", "lastOk"});
    }

    void script()
    {
        QFETCH(QString, intervalMs);
        QFETCH(QString, urls);
        QFETCH(QString, answers);
        QFETCH(QString, cancelAt);
        QFETCH(QString, starts);
        // Each row runs as pages, then with every request a picture download.
        for (const bool pictures : {false, true}) {
            Script script;
            script.answers = answers.split(';', Qt::SkipEmptyParts);
            RequestPacer pacer(intervalMs.toInt(), &script);
            pacer.setDownload(
                [&script](const QString &, const QString &) { return script.next(); });
            int waits = 0;
            pacer.setClock([&script] { return script.now; },
                           [&](qint64 ms, const std::function<bool()> &) {
                               if (++waits >= cancelAt.toInt() && cancelAt != "0")
                                   return false;
                               script.now += ms;
                               return true;
                           });
            bool ok = false;
            for (QString url : urls.split(';')) {
                const bool picture = pictures || url.startsWith("pic:");
                url = "http://" + url.remove("pic:");
                ok = picture ? pacer.download(url, "/nowhere") == 0 : pacer.load(url).ok;
            }
            QCOMPARE(script.starts.join(';'), starts);
            QTEST(QVariant(ok).toString(), "lastOk");
        }
    }

    void intervalSpacesArrivals()
    {
        // Against a server that turns away a second request within 300 ms.
        SimulatorProcess sim;
        const QString log = m_dir.filePath("limited.log");
        QVERIFY2(sim.start(qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"),
                           {"--rate-limit", "300", "--log", log}),
                 qPrintable(sim.errorString()));
        PageFetcher fetcher;
        RequestPacer polite(350, &fetcher);
        // Pages and pictures alternate: both kinds wait for the host's turn.
        QVERIFY(polite.load(vantory(sim, "Metallica spaced")).ok);
        QCOMPARE(polite.download(sim.url("/pic/spaced-300x300.jpg"), m_dir.filePath("a.jpg")), 0);
        QVERIFY(polite.load(vantory(sim, "Black spaced")).ok);
        QCOMPARE(polite.download(sim.url("/pic/spaced-1x1.jpg"), m_dir.filePath("b.jpg")), 0);
        const QList<qint64> at = arrivals(log, "spaced");
        QCOMPARE(at.size(), 4); // none turned away
        // Arrivals jitter by some milliseconds on a busy machine.
        for (int i = 1; i < at.size(); ++i)
            QVERIFY2(at[i] - at[i - 1] >= 300, qPrintable(QString::number(at[i] - at[i - 1])));
    }

    void failures_data()
    {
        TestFiles::addTableRows("pacer-failures.tsv", {"path", "comes", "requests", "waits"});
    }

    void failures()
    {
        QFETCH(QString, path);
        QFETCH(QString, comes);
        QFETCH(QString, requests);
        const bool ok = comes == "true";
        SimulatorProcess sim;
        const QString log = m_dir.filePath(QTest::currentDataTag() + QString(".log"));
        QVERIFY2(sim.start(qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"), {"--log", log}),
                 qPrintable(sim.errorString()));
        PageFetcher fetcher;
        fetcher.setTimeoutMs(500);
        RequestPacer pacer(0, &fetcher);
        QList<qint64> waited;
        pacer.setClock([] { return 0; },
                       [&waited](qint64 ms, const std::function<bool()> &) {
                           waited << ms;
                           return true;
                       });
        const QString target = m_dir.filePath(QTest::currentDataTag() + QString(".jpg"));
        if (path.startsWith("/pic/")) {
            QCOMPARE(pacer.download(sim.url(path), target) == 0, ok);
            QCOMPARE(QFile::exists(target), ok);
        } else {
            QCOMPARE(pacer.load(vantory(sim, path)).ok, ok);
        }
        QStringList waits;
        for (const qint64 ms : waited)
            waits << QString::number(ms);
        QTEST(waits.join(';'), "waits");
        QVERIFY(arrivals(log, "/").size() >= requests.toInt());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_RequestPacer)
#include "tst_requestpacer.moc"
