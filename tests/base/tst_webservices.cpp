// The page fetcher and the download service against the retailer simulator,
// and the simulator's own pages: every search, batch and update test talks
// to it, so its pages must carry what the program's parsers need.

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
        for (const char *column : {"bytes", "contentType", "text"})
            QTest::addColumn<QString>(column);
        for (const QStringList &r : TestFiles::table("page-text.tsv"))
            QTest::newRow(qPrintable(r[0])) << r[1] << r[2] << r[3];
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
        for (const char *column :
             {"path", "ok", "status", "lands", "lost", "marker", "hits", "present"})
            QTest::addColumn<QString>(column);
        for (const QStringList &r : TestFiles::table("page-loads.tsv"))
            QTest::newRow(qPrintable(r[0]))
                << r[1] << r[2] << r[3] << r[4] << r[5] << r[6] << r[7] << r[8];
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

    // The heading layout's artist is looked for from 250 characters after the
    // title start, the link layout's from 50. An artist placed closer would be
    // skipped for the next hit's, which a page of one artist's hits hides from
    // every comparison of whole results pages.
    void brinsellArtistsLieWhereTheCuttersLook()
    {
        PageFetcher fetcher;
        const QString body =
            fetcher
                .load(m_sim.url("/retail/searchresults.asp?querytype=music&qu=Metallica=&mfgid="))
                .body;
        const QString upper = body.toUpper();
        int checked = 0;
        for (const auto &[layout, distance] : {std::pair{"prod", 250}, std::pair{"ad", 50}}) {
            const QString address = m_sim.url(QStringLiteral("/db_assets/%1_images/").arg(layout));
            for (qsizetype p = body.indexOf(address); p >= 0; p = body.indexOf(address, p + 1)) {
                const qsizetype title =
                    distance == 250 ? body.indexOf('>', upper.lastIndexOf("PRODUCTTITLE", p)) + 1
                                    : upper.indexOf("<B>", upper.indexOf("PRODUCT.ASP", p)) + 3;
                const qsizetype artist = upper.indexOf("ARTIST:", title);
                const qsizetype next = body.indexOf(m_sim.url("/db_assets/"), p + 1);
                QVERIFY(artist >= title + distance && (next < 0 || artist < next));
                QVERIFY(body.mid(artist, 200).contains("Metallica"));
                ++checked;
            }
        }
        QCOMPARE(checked, 5);
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

    void downloadSucceeds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        // clang-format off
        QTest::newRow("500x500") << "/pic/500x500.jpg" << QSize(500, 500) << QByteArray("jpeg");
        QTest::newRow("placeholder") << "/pic/1x1.jpg" << QSize(1, 1) << QByteArray("jpeg");
        QTest::newRow("after a redirect") << "/pic/redirect-500x400.jpg" << QSize(500, 400) << QByteArray("jpeg");
        QTest::newRow("slow but complete") << "/pic/slow200-400x500.jpg" << QSize(400, 500) << QByteArray("jpeg");
        QTest::newRow("gif") << "/pic/100x100.gif" << QSize(100, 100) << QByteArray("gif");
        // clang-format on
    }

    void downloadSucceeds()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        const QString target = m_dir.path() + "/picture.jpg";
        QFile::remove(target);
        QCOMPARE(URLDownloadToFile(m_sim.url(path), target), 0);
        QImageReader reader(target);
        QCOMPARE(reader.format(), format);
        const QImage image = reader.read();
        QCOMPARE(image.size(), size);
        // A real picture, not a flat fill: the compare and crop tests tell
        // pictures apart by their pixels.
        if (size.width() > 1)
            QVERIFY(image.pixel(0, 0) != image.pixel(size.width() / 2, size.height() / 2));
        QCOMPARE(leftovers(), QStringList{"picture.jpg"});
    }

    void failedDownloadKeepsOldFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<int>("status");
        using S = DownloadResult::Status;
        const qint64 cap = 1 << 25;
        // clang-format off
        QTest::newRow("not found") << "/pic/missing.jpg" << 10000 << cap << int(S::HttpError);
        QTest::newRow("server error") << "/pic/error500.jpg" << 10000 << cap << int(S::HttpError);
        QTest::newRow("cut mid-body") << "/pic/drop.jpg" << 10000 << cap << int(S::NetworkError);
        QTest::newRow("closed unanswered") << "/pic/close-300x300.jpg" << 10000 << cap << int(S::NetworkError);
        QTest::newRow("time-out") << "/pic/slow4000.jpg" << 300 << cap << int(S::TimedOut);
        QTest::newRow("over the size cap") << "/pic/500x500.jpg" << 10000 << qint64(1000) << int(S::TooLarge);
        QTest::newRow("nothing listening") << "http://127.0.0.1:1/x.jpg" << 10000 << cap << int(S::NetworkError);
        // Only web addresses: a page must not make the program copy local files.
        QTest::newRow("local file") << "file:///etc/hostname" << 10000 << cap << int(S::NetworkError);
        QTest::newRow("data") << "data:image/gif;base64,R0lGODlhAQABAAAAACw=" << 10000 << cap << int(S::NetworkError);
        QTest::newRow("no scheme") << "127.0.0.1/pic/1x1.jpg" << 10000 << cap << int(S::NetworkError);
        // clang-format on
    }

    void failedDownloadKeepsOldFile()
    {
        QFETCH(QString, path);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, maxBytes);
        QFETCH(int, status);
        const QString target = m_dir.path() + "/existing.jpg";
        QFile::remove(m_dir.path() + "/picture.jpg");
        QVERIFY(TestFiles::writeFile(target, "the old picture"));
        DownloadService service;
        service.timeoutMs = timeoutMs;
        service.maxBytes = maxBytes;
        const QString url = path.startsWith("/pic/") ? m_sim.url(path) : path;
        QElapsedTimer clock;
        clock.start();
        const DownloadResult r = service.download(url, target);
        QCOMPARE(int(r.status), status);
        QVERIFY(!r.ok());
        QVERIFY(clock.elapsed() < 3500);
        QCOMPARE(TestFiles::readFile(target), "the old picture");
        QCOMPARE(leftovers(), QStringList{"existing.jpg"});

        // The program-wide call reports the same failure as non-zero.
        if (timeoutMs == 10000 && maxBytes > 1000)
            QVERIFY(URLDownloadToFile(url, m_dir.path() + "/fresh.jpg") != 0);
        QVERIFY(!QFile::exists(m_dir.path() + "/fresh.jpg"));
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

    void badCatalogueDoesNotStart()
    {
        const QString broken = m_dir.filePath(QStringLiteral("broken.json"));
        QVERIFY(
            TestFiles::writeFile(broken, R"([{"artist": "A", "album": "B", "genre": "Polka"}])"));
        SimulatorProcess other;
        QVERIFY(!other.start(broken));
        QVERIFY(!other.errorString().isEmpty());
        QVERIFY(!other.start(m_dir.filePath(QStringLiteral("absent.json"))));
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
