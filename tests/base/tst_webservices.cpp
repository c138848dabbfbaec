#include "base/downloadservice.h"
#include "base/pagefetcher.h"
#include "simulatorprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The page fetcher and the download service against the retailer simulator.
class tst_WebServices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void bodyExtraction_data();
    void bodyExtraction();
    void decoding_data();
    void decoding();

    void fetchesPageBody();
    void redirectChangesLocation();
    void failedLoads_data();
    void failedLoads();
    void timeOutEndsTheWait();
    void cookiesAreKept();
    void searchTextGoesOutAsTyped();

    void downloadSucceeds_data();
    void downloadSucceeds();
    void failedDownloadKeepsOldFile_data();
    void failedDownloadKeepsOldFile();
    void downloadOverrideIsUsed();
    void onlyWebAddressesAreDownloaded_data();
    void onlyWebAddressesAreDownloaded();
    void interruptedDownloadIsAFailure();

private:
    QString vantoryRock(const QString &text) const
    {
        return m_sim.url("/catalog/search-ng.gsp?dept=4104&search_query=" + text
                         + "&CATEGORY_ID=4118&cat=4118");
    }
    QStringList leftovers() const;

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
};

void tst_WebServices::initTestCase()
{
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    QVERIFY(m_dir.isValid());
}

void tst_WebServices::bodyExtraction_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("body");
    QTest::newRow("plain") << "<html><head><title>t</title></head><body>abc</body></html>"
                           << "abc";
    QTest::newRow("attributes and case") << "<HTML><BODY class=\"x\" onload='f()'>abc</BODY></HTML>"
                                         << "abc";
    QTest::newRow("last closing tag wins") << "<body>a</body>b</body>" << "a</body>b";
    QTest::newRow("no body tag") << "just text <b>bold</b>" << "just text <b>bold</b>";
    QTest::newRow("no closing tag") << "<body>to the end" << "to the end";
    QTest::newRow("bodyguard is not body") << "<bodyguard>x</bodyguard><body>y</body>" << "y";
}

void tst_WebServices::bodyExtraction()
{
    QFETCH(QString, html);
    QFETCH(QString, body);
    QCOMPARE(PageFetcher::extractBody(html), body);
}

void tst_WebServices::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8 without charset") << QByteArray("V\xc3\xa5rljus") << QByteArray("text/html")
                                          << QString::fromUtf8("Vårljus");
    QTest::newRow("not utf-8 falls back to 1252")
        << QByteArray("V\xe5rljus \x93q\x94") << QByteArray("text/html")
        << QString::fromUtf8("Vårljus “q”");
    QTest::newRow("declared latin-1") << QByteArray("\xe9t\xe9") << QByteArray("text/html; charset=ISO-8859-1")
                                      << QString::fromUtf8("été");
    QTest::newRow("declared utf-8 quoted") << QByteArray("\xc3\xa9") << QByteArray("text/html; charset=\"utf-8\"")
                                           << QString::fromUtf8("é");
}

void tst_WebServices::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, text);
    QCOMPARE(PageFetcher::decode(bytes, contentType), text);
}

void tst_WebServices::fetchesPageBody()
{
    PageFetcher fetcher;
    const LoadedPage page = fetcher.load(vantoryRock("Metallica"));
    QVERIFY(page.ok);
    QCOMPARE(page.httpStatus, 200);
    QVERIFY(!fetcher.Busy());
    QVERIFY(page.body.contains("_500X500") || page.body.contains("_60X60"));
    QVERIFY(page.body.contains("Metallica"));
    // Only the body: neither the head nor the closing tags come along.
    QVERIFY(!page.body.contains("<head", Qt::CaseInsensitive));
    QVERIFY(!page.body.contains("</body>", Qt::CaseInsensitive));
    QCOMPARE(page.locationUrl, vantoryRock("Metallica"));
    QCOMPARE(fetcher.BodyHtml(), page.body);
}

void tst_WebServices::redirectChangesLocation()
{
    PageFetcher fetcher;
    const LoadedPage moved = fetcher.load(vantoryRock("Metallica simredirect"));
    QVERIFY(moved.ok);
    QVERIFY2(!moved.locationUrl.contains("4118"), qPrintable(moved.locationUrl));
    QCOMPARE(fetcher.LocationURL(), moved.locationUrl);

    const LoadedPage kept = fetcher.load(vantoryRock("Metallica simredirectkeep"));
    QVERIFY(kept.ok);
    QVERIFY(kept.locationUrl.contains("redirected=1"));
    QVERIFY(kept.locationUrl.contains("4118"));
}

void tst_WebServices::failedLoads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::newRow("server error") << "Metallica simerror500" << 500;
    QTest::newRow("not found") << "Metallica simerror404" << 404;
    QTest::newRow("dropped connection") << "Metallica simdrop" << 0;
    QTest::newRow("cut mid-body") << "Metallica simdropbody" << 200;
}

void tst_WebServices::failedLoads()
{
    QFETCH(QString, text);
    QFETCH(int, status);
    PageFetcher fetcher;
    const LoadedPage page = fetcher.load(vantoryRock(text));
    QVERIFY(!page.ok);
    QCOMPARE(page.httpStatus, status);
    QVERIFY(!fetcher.Busy());
}

void tst_WebServices::timeOutEndsTheWait()
{
    PageFetcher fetcher;
    fetcher.setTimeoutMs(300);
    QElapsedTimer clock;
    clock.start();
    const LoadedPage page = fetcher.load(vantoryRock("Metallica simslow4000"));
    QVERIFY(!page.ok);
    QVERIFY(page.body.isEmpty());
    QVERIFY2(clock.elapsed() < 3000, "the wait must end at the time-out, not with the page");
    QVERIFY(!fetcher.Busy());
    // The fetcher is usable again at once.
    fetcher.setTimeoutMs(10000);
    QVERIFY(fetcher.load(vantoryRock("Metallica")).ok);
}

void tst_WebServices::cookiesAreKept()
{
    PageFetcher fetcher;
    const LoadedPage page = fetcher.load(vantoryRock("Metallica simcookie"));
    QVERIFY(page.ok);
    QVERIFY(page.body.contains("Metallica"));
}

void tst_WebServices::searchTextGoesOutAsTyped()
{
    PageFetcher fetcher;
    // A blank and a bare "&" inside the search text.
    const LoadedPage page = fetcher.load(
        m_sim.url("/retail/searchresults.asp?querytype=music&qutype=&pagereq=1&alpha2=&alpha=&"
                  "search_store=6&searchid=&qu=Marlow & Keys=&mfgid=&deptid=&format=&formatid=&"
                  "systid=&nrecpage=&loc=109&mfgnm=&cscat=&ra=&cvsnid="));
    QVERIFY(page.ok);
    QVERIFY2(page.body.contains("Second Floor"), "the whole search text must reach the site");
}

QStringList tst_WebServices::leftovers() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
}

void tst_WebServices::downloadSucceeds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("500x500") << "/pic/500x500.jpg" << QSize(500, 500);
    QTest::newRow("placeholder") << "/pic/1x1.jpg" << QSize(1, 1);
    QTest::newRow("after a redirect") << "/pic/redirect-500x400.jpg" << QSize(500, 400);
    QTest::newRow("gif") << "/pic/100x100.gif" << QSize(100, 100);
}

void tst_WebServices::downloadSucceeds()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QString target = m_dir.path() + "/picture.jpg";
    QFile::remove(target);
    QCOMPARE(URLDownloadToFile(m_sim.url(path), target), 0);
    QCOMPARE(QImage(target).size(), size);
    QCOMPARE(leftovers(), QStringList{"picture.jpg"});
    // Downloading again replaces it.
    QCOMPARE(URLDownloadToFile(m_sim.url("/pic/300x300.jpg"), target), 0);
    QCOMPARE(QImage(target).size(), QSize(300, 300));
}

void tst_WebServices::failedDownloadKeepsOldFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<int>("status");
    using S = DownloadResult::Status;
    QTest::newRow("not found") << "/pic/missing.jpg" << 10000 << qint64(1 << 25) << int(S::HttpError);
    QTest::newRow("server error") << "/pic/error500.jpg" << 10000 << qint64(1 << 25) << int(S::HttpError);
    QTest::newRow("cut mid-body") << "/pic/drop.jpg" << 10000 << qint64(1 << 25) << int(S::NetworkError);
    QTest::newRow("time-out") << "/pic/slow4000.jpg" << 300 << qint64(1 << 25) << int(S::TimedOut);
    QTest::newRow("over the size cap") << "/pic/500x500.jpg" << 10000 << qint64(1000) << int(S::TooLarge);
    QTest::newRow("nothing listening") << "CLOSED" << 10000 << qint64(1 << 25) << int(S::NetworkError);
}

void tst_WebServices::failedDownloadKeepsOldFile()
{
    QFETCH(QString, path);
    QFETCH(int, timeoutMs);
    QFETCH(qint64, maxBytes);
    QFETCH(int, status);
    const QString target = m_dir.path() + "/existing.jpg";
    QFile::remove(target);
    QFile::remove(m_dir.path() + "/picture.jpg");
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("the old picture");
    }
    DownloadService service;
    service.timeoutMs = timeoutMs;
    service.maxBytes = maxBytes;
    const QString url = path == "CLOSED" ? QString("http://127.0.0.1:1/x.jpg") : m_sim.url(path);
    QElapsedTimer clock;
    clock.start();
    const DownloadResult r = service.download(url, target);
    QCOMPARE(int(r.status), status);
    QVERIFY(!r.ok());
    QVERIFY(clock.elapsed() < 3500);
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("the old picture"));
    QCOMPARE(leftovers(), QStringList{"existing.jpg"});

    // The program-wide call reports the same failure as non-zero.
    if (timeoutMs == 10000 && maxBytes > 1000)
        QVERIFY(URLDownloadToFile(url, m_dir.path() + "/fresh.jpg") != 0);
    QVERIFY(!QFile::exists(m_dir.path() + "/fresh.jpg"));
}

void tst_WebServices::downloadOverrideIsUsed()
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
    QCOMPARE(calls, (QStringList{"http://a/b.jpg -> /tmp/c.jpg", "http://a/b.jpg -> /tmp/c.jpg"}));
    QVERIFY(URLDownloadToFile(m_sim.url("/pic/missing.jpg"), m_dir.path() + "/x.jpg") != 0);
}

void tst_WebServices::onlyWebAddressesAreDownloaded_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("local file") << "file:///etc/hostname";
    QTest::newRow("data") << "data:image/gif;base64,R0lGODlhAQABAAAAACw=";
    QTest::newRow("no scheme") << "127.0.0.1/pic/1x1.jpg";
}

void tst_WebServices::onlyWebAddressesAreDownloaded()
{
    QFETCH(QString, url);
    const QString target = m_dir.path() + "/copied.jpg";
    QVERIFY(URLDownloadToFile(url, target) != 0);
    QVERIFY(!QFile::exists(target));
}

void tst_WebServices::interruptedDownloadIsAFailure()
{
    // Leaving the application ends every nested wait; a download cut short
    // that way must not count as complete.
    const QString target = m_dir.path() + "/keep.jpg";
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("the old picture");
    }
    QTimer::singleShot(300, [] { QCoreApplication::exit(0); });
    QVERIFY(URLDownloadToFile(m_sim.url("/pic/slow3000.jpg"), target) != 0);
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("the old picture"));
}

QTEST_GUILESS_MAIN(tst_WebServices)
#include "tst_webservices.moc"
