// The retailer simulator is what every search, batch and update test talks
// to: these tests check that its pages carry what the program's parsers need
// and that its failure behaviours really fail.

#include "base/downloadservice.h"
#include "base/pagefetcher.h"

#include "simulatorprocess.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

qsizetype countOf(const QString &text, const QString &marker)
{
    qsizetype n = 0;
    for (qsizetype at = text.indexOf(marker); at >= 0; at = text.indexOf(marker, at + 1))
        ++n;
    return n;
}

QString vantoryPath(const QString &text, int category)
{
    const int dept = category == 41938 ? 4096 : 4104;
    return QStringLiteral("/catalog/search-ng.gsp?dept=%1&search_query=%2&CATEGORY_ID=%3&cat=%3")
        .arg(dept)
        .arg(text)
        .arg(category);
}

QString brinsellPath(const QString &text, bool dvd)
{
    if (dvd)
        return QStringLiteral("/retail/searchresults.asp?querytype=video_dvd&qutype=&pagereq=2"
                              "&alpha2=&alpha=&search_store=4&searchid=&qu=") +
               text +
               QStringLiteral("&orderby=&mfgid=&deptid=&format=16&formatid=&systid=&nrecpage="
                              "&loc=322&mfgnm=&cscat=&ra=&cvsnid=&sbxs=");
    return QStringLiteral("/retail/searchresults.asp?querytype=music&qutype=&pagereq=1&alpha2="
                          "&alpha=&search_store=6&searchid=&qu=") +
           text +
           QStringLiteral("=&mfgid=&deptid=&format=&formatid=&systid=&nrecpage=&loc=109&mfgnm="
                          "&cscat=&ra=&cvsnid=");
}

} // namespace

class TestRetailerSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchPages_data();
    void searchPages();
    void brinsellArtistsLieWhereTheCuttersLook();
    void brinsellLayoutOrder();
    void largePicturesExistAtDerivedAddresses_data();
    void largePicturesExistAtDerivedAddresses();
    void redirects();
    void failingPages_data();
    void failingPages();
    void cookieRoundTrip();
    void pictures_data();
    void pictures();
    void updatePages_data();
    void updatePages();
    void badCatalogueDoesNotStart();

private:
    LoadedPage load(const QString &path)
    {
        PageFetcher fetcher;
        fetcher.setTimeoutMs(10000);
        return fetcher.load(m_sim.url(path));
    }

    QTemporaryDir m_dir;
    SimulatorProcess m_sim;
};

void TestRetailerSim::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
    qputenv("JACKETEER_APPDIR", QFile::encodeName(m_dir.filePath("app")));
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    QVERIFY(m_sim.port() > 0);
    QVERIFY(m_sim.url("/x").startsWith(QStringLiteral("http://127.0.0.1:")));
}

void TestRetailerSim::searchPages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("marker"); // counts the hits
    QTest::addColumn<int>("hits");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QString vantoryThumb = QStringLiteral("_60X60");
    QTest::newRow("Vantory Rock lists only Rock")
        << vantoryPath("Metallica", 4118) << vantoryThumb << 4
        << QStringList{"Black", "Lightning Room", "Live at the Harbour", "Garage Tapes"}
        << QStringList{"Symphonic Nights", "no matches found"};
    QTest::newRow("Vantory Classical") << vantoryPath("Metallica", 4108) << vantoryThumb << 1
                                       << QStringList{"Symphonic Nights"} << QStringList{"Black"};
    QTest::newRow("Vantory other genre has none")
        << vantoryPath("Metallica", 4115) << vantoryThumb << 0 << QStringList{"no matches found"}
        << QStringList{};
    QTest::newRow("ampersand in text")
        << vantoryPath("Marlow & Keys", 4116) << vantoryThumb << 1
        << QStringList{"Second Floor", "Marlow & Keys <"} << QStringList{};
    QTest::newRow("words in any order and case")
        << vantoryPath("black METALLICA", 4118) << vantoryThumb << 1 << QStringList{"Black"}
        << QStringList{"Garage Tapes"};
    QTest::newRow("non-ASCII text")
        << vantoryPath("%C3%85sa V%C3%A5rljus", 4111) << vantoryThumb << 1
        << QStringList{QStringLiteral("Åsa Nordström <")} << QStringList{};
    QTest::newRow("Compilation category") << vantoryPath("Harbour Hits", 51934) << vantoryThumb << 1
                                          << QStringList{"Harbour Hits 2004"} << QStringList{};
    QTest::newRow("Vantory DVD") << vantoryPath("Harbour Lights", 41938) << vantoryThumb << 2
                                 << QStringList{"Harbour Lights (Director's Cut)"}
                                 << QStringList{"Cold Creek"};
    QTest::newRow("upper-case hit markup")
        << vantoryPath("Size Test", 4118) << vantoryThumb << 6
        << QStringList{"<SPAN CLASS=TEXT2BOLD><A HREF=\"/catalog"} << QStringList{};
    QTest::newRow("empty text matches nothing") << vantoryPath("", 4118) << vantoryThumb << 0
                                                << QStringList{"no matches found"} << QStringList{};
    QTest::newRow("keywords are not matched")
        << vantoryPath("Metallica simslow10", 4118) << vantoryThumb << 4 << QStringList{}
        << QStringList{};
    QTest::newRow("bulk") << vantoryPath("simbulk50", 4124) << vantoryThumb << 50
                          << QStringList{"Bulk Album 50"} << QStringList{};

    const QString prod = QStringLiteral("/db_assets/prod_images/");
    const QString ad = QStringLiteral("/db_assets/ad_images/");
    QTest::newRow("Brinsell music heading layout")
        << brinsellPath("Metallica", false) << prod << 2
        << QStringList{"Black (Anniversary Edition)"} << QStringList{"Symphonic Nights"};
    QTest::newRow("Brinsell music link layout")
        << brinsellPath("Metallica", false) << ad << 3 << QStringList{} << QStringList{};
    QTest::newRow("Brinsell DVD") << brinsellPath("Cold Creek", true) << prod << 1
                                  << QStringList{"Cold Creek Trilogy"} << QStringList{};
    QTest::newRow("Brinsell ampersand") << brinsellPath("Marlow & Keys", false) << prod << 1
                                        << QStringList{"Second Floor"} << QStringList{};
    QTest::newRow("Brinsell empty text")
        << brinsellPath("", false) << prod << 0 << QStringList{"no matches found"} << QStringList{};
    QTest::newRow("Brinsell bulk")
        << brinsellPath("simbulk50", true) << prod << 25 << QStringList{} << QStringList{};
}

void TestRetailerSim::searchPages()
{
    QFETCH(QString, path);
    QFETCH(QString, marker);
    QFETCH(int, hits);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    const LoadedPage page = load(path);
    QVERIFY(page.ok);
    // Brinsell hits are found by an address prefix that includes the image
    // host, so picture addresses must name the host the client used.
    const qsizetype found = marker.startsWith(QLatin1Char('/'))
                                ? countOf(page.body, m_sim.url(marker))
                                : countOf(page.body, marker);
    QCOMPARE(found, qsizetype(hits));
    for (const QString &text : present)
        QVERIFY2(page.body.contains(text), qPrintable(text));
    for (const QString &text : absent)
        QVERIFY2(!page.body.contains(text), qPrintable(text));
}

void TestRetailerSim::brinsellArtistsLieWhereTheCuttersLook()
{
    // The heading layout's artist is looked for from 250 characters after
    // the title start, the link layout's from 50: an artist placed closer
    // would be skipped and the next hit's taken instead.
    const LoadedPage page = load(brinsellPath("Metallica", false));
    QVERIFY(page.ok);
    const QString body = page.body;
    const QString upper = body.toUpper();
    int checked = 0;
    for (const auto &[prefix, titleMarker, distance] :
         {std::tuple{QStringLiteral("/db_assets/prod_images/"), QStringLiteral("PRODUCTTITLE"),
                     250},
          std::tuple{QStringLiteral("/db_assets/ad_images/"), QStringLiteral("<B>"), 50}}) {
        const QString address = m_sim.url(prefix);
        for (qsizetype p = body.indexOf(address); p >= 0; p = body.indexOf(address, p + 1)) {
            qsizetype titleStart;
            if (titleMarker == QLatin1String("PRODUCTTITLE")) {
                const qsizetype heading = upper.lastIndexOf(titleMarker, p);
                QVERIFY(heading >= 0);
                titleStart = body.indexOf(QLatin1Char('>'), heading) + 1;
            } else {
                titleStart = upper.indexOf(titleMarker, upper.indexOf("PRODUCT.ASP", p)) + 3;
            }
            const qsizetype artist = upper.indexOf(QStringLiteral("ARTIST:"), titleStart);
            QVERIFY(artist >= titleStart + distance);
            const qsizetype nextPicture = body.indexOf(m_sim.url("/db_assets/"), p + 1);
            QVERIFY(nextPicture < 0 || artist < nextPicture);
            QVERIFY(body.mid(artist, 200).contains(QLatin1String("Metallica")));
            ++checked;
        }
    }
    QCOMPARE(checked, 5);
}

void TestRetailerSim::brinsellLayoutOrder()
{
    // Heading-layout hits come first unless the test asks for the partners'
    // offers first (an "ad_images" hit before a "prod_images" one).
    const QString prod = m_sim.url("/db_assets/prod_images/");
    const QString ad = m_sim.url("/db_assets/ad_images/");
    const LoadedPage normal = load(brinsellPath("Size Test", false));
    QVERIFY(normal.ok);
    QVERIFY(normal.body.lastIndexOf(prod) < normal.body.indexOf(ad));
    const LoadedPage swapped = load(brinsellPath("Size Test simadfirst", false));
    QVERIFY(swapped.ok);
    QVERIFY(swapped.body.lastIndexOf(ad) < swapped.body.indexOf(prod));
    QCOMPARE(countOf(swapped.body, ad), 3);
    QCOMPARE(countOf(swapped.body, prod), 3);
}

void TestRetailerSim::largePicturesExistAtDerivedAddresses_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("sizes"); // in page order, "WxH" or "fail"
    QTest::newRow("Vantory") << vantoryPath("Size Test", 4118)
                             << QStringList{"500x500", "300x300", "500x400",
                                            "400x500", "1x1",     "fail"};
    QTest::newRow("Brinsell") << brinsellPath("Size Test", false)
                              << QStringList{"500x500", "500x400", "1x1",
                                             "300x300", "400x500", "fail"};
}

void TestRetailerSim::largePicturesExistAtDerivedAddresses()
{
    QFETCH(QString, path);
    QFETCH(QStringList, sizes);
    const LoadedPage page = load(path);
    QVERIFY(page.ok);

    // The program derives the large address from the thumbnail: Vantory
    // "_60X60" -> "_500X500", Brinsell "prod_images"/"ad_images" ->
    // "large_images", ".gif" -> ".jpg" for both.
    static const QRegularExpression thumbRe(
        QStringLiteral("\"(http://[^\"]*(_60X60[^\"]*|/db_assets/(prod|ad)_images/[^\"]*))\""));
    QStringList large;
    for (const QRegularExpressionMatch &m : thumbRe.globalMatch(page.body)) {
        if (!m.captured(1).startsWith(m_sim.url(QString())))
            continue;
        QString url = m.captured(1);
        url.replace("_60X60", "_500X500")
            .replace("ad_images", "large_images")
            .replace("prod_images", "large_images")
            .replace(".gif", ".jpg");
        large.append(url);
    }
    QCOMPARE(large.size(), sizes.size());
    for (qsizetype i = 0; i < large.size(); ++i) {
        const QString file = m_dir.filePath(QStringLiteral("large%1.jpg").arg(i));
        const int rc = URLDownloadToFile(large.at(i), file);
        if (sizes.at(i) == QLatin1String("fail")) {
            QVERIFY2(rc != 0, qPrintable(large.at(i)));
            QVERIFY(!QFile::exists(file));
            continue;
        }
        QVERIFY2(rc == 0, qPrintable(large.at(i)));
        QImageReader reader(file);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage img = reader.read();
        QCOMPARE(QStringLiteral("%1x%2").arg(img.width()).arg(img.height()), sizes.at(i));
    }
}

void TestRetailerSim::redirects()
{
    // A Vantory page moved to an address without the category must not
    // pass for that genre's page: the program checks the loaded address.
    const LoadedPage moved = load(vantoryPath("Metallica simredirect", 4118));
    QVERIFY(moved.ok);
    QVERIFY(!moved.locationUrl.contains(QLatin1String("4118")));
    QVERIFY(moved.locationUrl.contains(QLatin1String("/catalog/moved.gsp")));
    QVERIFY(moved.body.contains(QLatin1String("_60X60")));

    const LoadedPage kept = load(vantoryPath("Metallica simredirectkeep", 4118));
    QVERIFY(kept.ok);
    QVERIFY(kept.locationUrl.contains(QLatin1String("CATEGORY_ID=4118")));
    QVERIFY(kept.locationUrl.endsWith(QLatin1String("&redirected=1")));
    QCOMPARE(countOf(kept.body, QStringLiteral("_60X60")), 4);

    const LoadedPage brinsell = load(brinsellPath("Metallica simredirect", false));
    QVERIFY(brinsell.ok);
    QVERIFY(brinsell.locationUrl.contains(QLatin1String("/retail/moved.asp")));
    QVERIFY(brinsell.body.contains(m_sim.url("/db_assets/prod_images/")));
}

void TestRetailerSim::failingPages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("500") << vantoryPath("Metallica simerror500", 4118) << 500;
    QTest::newRow("404") << brinsellPath("Metallica simerror404", false) << 404;
    QTest::newRow("dropped") << vantoryPath("Metallica simdrop", 4118) << 0;
    QTest::newRow("dropped Brinsell") << brinsellPath("simdrop Metallica", true) << 0;
    QTest::newRow("cut mid-body") << vantoryPath("Metallica simdropbody", 4118) << -1;
    QTest::newRow("no such page") << QStringLiteral("/catalog/other.gsp") << 404;
}

void TestRetailerSim::failingPages()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    const LoadedPage page = load(path);
    QVERIFY(!page.ok);
    if (status >= 0)
        QCOMPARE(page.httpStatus, status);
}

void TestRetailerSim::cookieRoundTrip()
{
    // The fetcher keeps cookies as a browser does; without them the page
    // would redirect to itself until the redirect limit.
    const LoadedPage page = load(vantoryPath("Metallica simcookie", 4118));
    QVERIFY(page.ok);
    QCOMPARE(countOf(page.body, QStringLiteral("_60X60")), 4);
}

void TestRetailerSim::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("size"); // "" = the download must fail
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("placeholder") << "/pic/1x1.jpg"
                                 << "1x1" << QByteArray("jpeg");
    QTest::newRow("wide") << "/pic/500x400.jpg"
                          << "500x400" << QByteArray("jpeg");
    QTest::newRow("gif") << "/pic/100x100.gif"
                         << "100x100" << QByteArray("gif");
    QTest::newRow("Vantory gif thumbnail") << "/images/V/metallica-black_60X60.gif"
                                           << "60x60" << QByteArray("gif");
    QTest::newRow("Brinsell gif thumbnail") << "/db_assets/prod_images/metallica-black.gif"
                                            << "100x100" << QByteArray("gif");
    QTest::newRow("redirected") << "/pic/redirect-300x300.jpg"
                                << "300x300" << QByteArray("jpeg");
    QTest::newRow("slow but complete") << "/pic/slow200-400x500.jpg"
                                       << "400x500" << QByteArray("jpeg");
    QTest::newRow("missing") << "/pic/missing.jpg"
                             << "" << QByteArray();
    QTest::newRow("server error") << "/pic/error500.jpg"
                                  << "" << QByteArray();
    QTest::newRow("cut mid-body") << "/pic/drop-500x500.jpg"
                                  << "" << QByteArray();
    QTest::newRow("closed unanswered") << "/pic/close-300x300.jpg"
                                       << "" << QByteArray();
    QTest::newRow("catalogue drop") << "/db_assets/large_images/trouble-drop.jpg"
                                    << "" << QByteArray();
    QTest::newRow("unknown id") << "/images/V/nobody_500X500.jpg"
                                << "" << QByteArray();
}

void TestRetailerSim::pictures()
{
    QFETCH(QString, path);
    QFETCH(QString, size);
    QFETCH(QByteArray, format);
    const QString file = m_dir.filePath(QStringLiteral("picture"));
    QFile::remove(file);
    const int rc = URLDownloadToFile(m_sim.url(path), file);
    if (size.isEmpty()) {
        QVERIFY(rc != 0);
        QVERIFY(!QFile::exists(file));
        return;
    }
    QCOMPARE(rc, 0);
    QImageReader reader(file);
    QCOMPARE(reader.format(), format);
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(QStringLiteral("%1x%2").arg(img.width()).arg(img.height()), size);
    if (img.width() > 1) {
        // A real picture, not a flat fill: the corner and the middle differ.
        QVERIFY(img.pixel(0, 0) != img.pixel(img.width() / 2, img.height() / 2));
    }
}

void TestRetailerSim::updatePages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // "" = the download must fail
    QTest::newRow("3.0") << "/update/3.0/version.html"
                         << "<body>3.0</body>";
    QTest::newRow("suffix") << "/update/3.1-beta/version.html"
                            << "<body>3.1-beta</body>";
    QTest::newRow("blanks") << "/update/%203.1%20-Y/version.html"
                            << "<body> 3.1 -Y</body>";
    QTest::newRow("no end tag") << "/update/nobody/version.html"
                                << "<body>3.1\r\n</html>";
    QTest::newRow("missing") << "/update/missing/version.html"
                             << "";
    QTest::newRow("download page") << "/download.html"
                                   << "Download Jacketeer";
}

void TestRetailerSim::updatePages()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QString file = m_dir.filePath(QStringLiteral("version.jkv"));
    QFile::remove(file);
    const int rc = URLDownloadToFile(m_sim.url(path), file);
    if (expected.isEmpty()) {
        QVERIFY(rc != 0);
        return;
    }
    QCOMPARE(rc, 0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY2(text.contains(expected), qPrintable(text));
    if (path.contains(QLatin1String("nobody")))
        QVERIFY(!text.contains(QLatin1String("</body>")));
}

void TestRetailerSim::badCatalogueDoesNotStart()
{
    const QString broken = m_dir.filePath(QStringLiteral("broken.json"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"([{"artist": "A", "album": "B", "genre": "Polka"}])");
    f.close();
    SimulatorProcess other;
    QVERIFY(!other.start(broken));
    QVERIFY(!other.errorString().isEmpty());
    QVERIFY(!other.start(m_dir.filePath(QStringLiteral("absent.json"))));
}

QTEST_GUILESS_MAIN(TestRetailerSim)
#include "tst_retailersim.moc"
