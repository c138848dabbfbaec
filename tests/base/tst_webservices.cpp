// The page fetcher and the download service against the retailer simulator.

#include "base/downloadservice.h"
#include "base/pagefetcher.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// The request shapes as far as the simulator reads them.
QString vantoryPath(const QString &text)
{
    return "/catalog/search-ng.gsp?dept=4104&search_query=" + text + "&CATEGORY_ID=4118&cat=4118";
}

} // namespace

class tst_WebServices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        QVERIFY(m_dir.isValid());
    }

    void pageText_data()
    {
        TestFiles::addTableRows("page-text.tsv", {"bytes", "contentType", "text"});
    }

    void pageText()
    {
        QFETCH(QString, bytes);
        QFETCH(QString, contentType);
        QTEST(
            PageFetcher::extractBody(PageFetcher::decode(bytes.toLatin1(), contentType.toLatin1())),
            "text");
    }

    void loads_data()
    {
        TestFiles::addTableRows("page-loads.tsv", {"path", "ok", "status", "lands", "lost",
                                                   "marker", "hits", "present"});
    }

    void loads()
    {
        QFETCH(QString, path);
        QFETCH(QString, lands);
        QFETCH(QString, lost);
        QFETCH(QString, marker);
        QFETCH(QString, hits);
        QFETCH(QString, present);
        PageFetcher fetcher;
        const LoadedPage page = fetcher.load(m_sim.url(path));
        QTEST(QVariant(page.ok).toString(), "ok");
        QTEST(QString::number(page.httpStatus), "status");
        QVERIFY(!fetcher.Busy());
        if (!page.ok)
            return;
        QVERIFY2(page.locationUrl.contains(lands), qPrintable(page.locationUrl));
        QVERIFY2(lost.isEmpty() || !page.locationUrl.contains(lost), qPrintable(page.locationUrl));
        QCOMPARE(fetcher.LocationURL(), page.locationUrl);
        // Only the body: neither the head nor the closing tags come along.
        QVERIFY(!page.body.contains("<head", Qt::CaseInsensitive));
        QVERIFY(!page.body.contains("</body>", Qt::CaseInsensitive));
        QCOMPARE(fetcher.BodyHtml(), page.body);
        // Brinsell hits are found by an address prefix that includes the image
        // host, so picture addresses must name the host the client used.
        const qsizetype found =
            page.body.count(marker.startsWith('/') ? m_sim.url(marker) : marker);
        QVERIFY2(hits.isEmpty() ? found > 0 : found == hits.toInt(),
                 qPrintable(QString::number(found)));
        for (const QString &text : present.split(';', Qt::SkipEmptyParts))
            QVERIFY2(page.body.contains(text), qPrintable(text));
    }

    void slowPageGivenUp_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("time-out") << false;
        QTest::newRow("cancel") << true;
    }

    void slowPageGivenUp()
    {
        QFETCH(bool, cancel);
        PageFetcher fetcher;
        fetcher.setTimeoutMs(cancel ? 10000 : 300);
        QElapsedTimer clock;
        clock.start();
        if (cancel)
            fetcher.setCancelTest([&clock] { return clock.elapsed() > 300; });
        const LoadedPage page = fetcher.load(vantoryRock("Metallica simslow4000"));
        QVERIFY(!page.ok);
        QVERIFY(page.body.isEmpty());
        // Only a time-out is worth another try.
        QCOMPARE(page.timedOut, !cancel);
        QVERIFY2(clock.elapsed() < 3000, "the wait must end at once, not with the page");
        QVERIFY(!fetcher.Busy());
        // The fetcher is usable again at once.
        fetcher.setTimeoutMs(10000);
        fetcher.setCancelTest({});
        QVERIFY(fetcher.load(vantoryRock("Metallica")).ok);
    }

    void downloads_data()
    {
        for (const char *column : {"path", "timeoutMs", "maxBytes", "status", "size", "format"})
            QTest::addColumn<QString>(column);
        for (QStringList r : TestFiles::table("downloads.tsv")) {
            r.resize(7);
            QTest::newRow(qPrintable(r[0])) << r[1] << r[2] << r[3] << r[4] << r[5] << r[6];
        }
    }

    void downloads()
    {
        QFETCH(QString, path);
        QFETCH(QString, timeoutMs);
        QFETCH(QString, maxBytes);
        QFETCH(QString, status);
        QFETCH(QString, size);
        const QString target = m_dir.filePath("existing.jpg");
        const QString fresh = m_dir.filePath("fresh.jpg");
        QFile::remove(fresh);
        QVERIFY(TestFiles::writeFile(target, "the old picture"));
        DownloadService service;
        service.timeoutMs = timeoutMs.toInt();
        service.maxBytes = maxBytes.toLongLong();
        const QString url = path.startsWith("/pic/") ? m_sim.url(path) : path;
        QElapsedTimer clock;
        clock.start();
        const DownloadResult r = service.download(url, target);
        const QStringList outcomes{"Ok", "NetworkError", "HttpError", "TimedOut", "TooLarge"};
        QCOMPARE(outcomes.value(int(r.status)), status);
        QVERIFY(clock.elapsed() < 3500);
        QCOMPARE(leftovers(), QStringList{"existing.jpg"});
        if (!r.ok()) {
            QCOMPARE(TestFiles::readFile(target), "the old picture");
        } else {
            QImageReader reader(target);
            QTEST(QString(reader.format()), "format");
            const QImage image = reader.read();
            QCOMPARE(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()), size);
            // A real picture, not a flat fill: the compare and crop tests tell
            // pictures apart by their pixels.
            if (image.width() > 1)
                QVERIFY(image.pixel(0, 0) != image.pixel(image.width() / 2, image.height() / 2));
        }
        // The program-wide call reports the same, as 0 for a picture that came.
        if (timeoutMs == "10000" && maxBytes != "1000") {
            QCOMPARE(URLDownloadToFile(url, fresh) == 0, r.ok());
            QCOMPARE(QFile::exists(fresh), r.ok());
        }
    }

    // A page and the pictures after it share one keep-alive connection.
    void oneConnectionPool()
    {
        SimulatorProcess sim; // its own: no connection yet
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        PageFetcher fetcher;
        QVERIFY(fetcher.load(sim.url(vantoryPath("Metallica"))).ok);
        for (const char *picture : {"/pic/300x300.jpg", "/pic/100x100.gif", "/pic/1x1.jpg"})
            QCOMPARE(URLDownloadToFile(sim.url(picture), m_dir.filePath("pooled.jpg")), 0);
        QCOMPARE(fetcher.load(sim.url("/sim/connections")).body, "1");
    }

    void downloadOverrideIsUsed()
    {
        QStringList calls;
        setDownloadFunction([&](const QString &url, const QString &path) {
            calls << url + " -> " + path;
            return 7;
        });
        QCOMPARE(URLDownloadToFile("http://a/b.jpg", "/tmp/c.jpg"), 7);
        // With its detail, as the pacer reads it: only an HTTP status is one.
        QCOMPARE(int(downloadToFile("http://a/b.jpg", "/tmp/c.jpg").status),
                 int(DownloadResult::Status::NetworkError));
        setDownloadFunction([](const QString &, const QString &) { return 503; });
        QCOMPARE(downloadToFile("http://a/b.jpg", "/tmp/c.jpg").httpStatus, 503);
        setDownloadFunction({});
        QCOMPARE(calls,
                 (QStringList{"http://a/b.jpg -> /tmp/c.jpg", "http://a/b.jpg -> /tmp/c.jpg"}));
        QVERIFY(URLDownloadToFile(m_sim.url("/pic/missing.jpg"), m_dir.path() + "/x.jpg") != 0);
    }

    void interruptedDownloadIsAFailure()
    {
        // Leaving the application ends every nested wait; a download cut short
        // that way must not count as complete.
        const QString target = m_dir.path() + "/keep.jpg";
        QVERIFY(TestFiles::writeFile(target, "the old picture"));
        QTimer::singleShot(300, [] { QCoreApplication::exit(0); });
        QVERIFY(URLDownloadToFile(m_sim.url("/pic/slow3000.jpg"), target) != 0);
        QCOMPARE(TestFiles::readFile(target), "the old picture");
    }

private:
    QString vantoryRock(const QString &text) const { return m_sim.url(vantoryPath(text)); }

    QStringList leftovers() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    }

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_WebServices)
#include "tst_webservices.moc"
