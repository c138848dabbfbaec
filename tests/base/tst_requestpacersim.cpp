// The pacer around the real page fetcher and download service, against the
// simulator, whose request log tells when each request arrived.

#include "base/pagefetcher.h"
#include "base/requestpacer.h"

#include "simulatorprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

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

class tst_RequestPacerSim : public QObject
{
    Q_OBJECT
private slots:
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
        for (int i = 1; i < at.size(); ++i)
            QVERIFY2(at[i] - at[i - 1] >= 335, qPrintable(QString::number(at[i] - at[i - 1])));

        // Unpaced, the next request is answered 429 with "Retry-After: 1"; after
        // waiting that second the page comes.
        RequestPacer eager(0, &fetcher);
        QVERIFY(eager.load(vantory(sim, "Metallica eager")).ok);
        const QList<qint64> eagerAt = arrivals(log, "eager");
        QCOMPARE(eagerAt.size(), 2);
        QVERIFY2(eagerAt[1] - eagerAt[0] >= 980,
                 qPrintable(QString::number(eagerAt[1] - eagerAt[0])));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("path"); // a picture, or the text of a Vantory search
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("requests"); // at least: Qt itself re-sends after some resets
        QTest::addColumn<QList<qint64>>("waits");
        // How many failures make a failure is the fake clock's test.
        // clang-format off
        QTest::newRow("503 twice then success") << "/pic/fail2-error503-f1.jpg" << true << 3 << QList<qint64>{2000, 8000};
        QTest::newRow("429 with Retry-After") << "/pic/fail1-error429-retryafter3-f2.jpg" << true << 2 << QList<qint64>{3000};
        QTest::newRow("page reset every time") << "Metallica simreset" << false << 3 << QList<qint64>{2000, 8000};
        QTest::newRow("page time-out then success") << "Metallica simfail1 simslow2000" << true << 2 << QList<qint64>{2000};
        // clang-format on
    }

    void failures()
    {
        QFETCH(QString, path);
        QFETCH(bool, ok);
        QFETCH(int, requests);
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
        QTEST(waited, "waits");
        QVERIFY(arrivals(log, "/").size() >= requests);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_RequestPacerSim)
#include "tst_requestpacersim.moc"
