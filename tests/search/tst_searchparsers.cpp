#include "search/brinsellparser.h"
#include "search/pagetext.h"
#include "search/searchtexts.h"
#include "search/vantoryparser.h"
#include "searchpages.h"

#include <QRandomGenerator>
#include <QTest>

using namespace SearchPages;

namespace
{

struct Collected {
    QList<PageHit> hits;
    QString currentArtist;
    int yields = 0;
    int count = 0;
};

Collected parseVantory(const QString &body, int stopAfter = -1)
{
    Collected c;
    ScanHooks hooks;
    hooks.keepGoing = [&] { return stopAfter < 0 || c.hits.size() < stopAfter; };
    hooks.yield = [&] { ++c.yields; };
    c.count = ParseVantoryPage(
        body, hooks, [&](const PageHit &h) { c.hits.append(h); }, c.currentArtist);
    return c;
}

Collected parseBrinsell(const QString &body, bool dvd)
{
    Collected c;
    ScanHooks hooks;
    hooks.yield = [&] { ++c.yields; };
    c.count = ParseBrinsellPage(
        body, kBrinsellImageHost, dvd, hooks, [&](const PageHit &h) { c.hits.append(h); },
        c.currentArtist);
    return c;
}

} // namespace

class SearchParsersTest : public QObject
{
    Q_OBJECT
private slots:
    void pageTextMatchesPlainSearch();
    void extractUrlAt_data();
    void extractUrlAt();

    void vantoryHits_data();
    void vantoryHits();
    void vantoryLargeUrl_data();
    void vantoryLargeUrl();
    void vantorySkipsPicturesBeforeTheArtist();
    void vantoryStopTestEndsAfterTheCurrentHit();

    void brinsellHits_data();
    void brinsellHits();
    void brinsellLargeUrl_data();
    void brinsellLargeUrl();
    void brinsellArtistWindow();
};

// The remembered searches must give exactly what a fresh search gives, in any
// order of queries.
void SearchParsersTest::pageTextMatchesPlainSearch()
{
    QRandomGenerator rng(20261206);
    const QLatin1StringView markers[] = {QLatin1StringView("ab"), QLatin1StringView("b"),
                                         QLatin1StringView("aBa"), QLatin1StringView("cab")};
    for (int round = 0; round < 200; ++round) {
        QString text;
        const int length = int(rng.bounded(1, 120));
        for (int i = 0; i < length; ++i)
            text += QLatin1Char("abcAB"[rng.bounded(5)]);
        PageText page(text);
        for (int q = 0; q < 60; ++q) {
            const QLatin1StringView marker = markers[rng.bounded(4)];
            const Qt::CaseSensitivity cs = rng.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
            const qsizetype from = qsizetype(rng.bounded(length + 3)) - 1;
            if (rng.bounded(2)) {
                const qsizetype expected =
                    from >= length
                        ? -1
                        : QStringView(text).indexOf(marker, qMax<qsizetype>(0, from), cs);
                QCOMPARE(page.find(marker, from, cs), expected);
            } else {
                qsizetype expected = -1;
                for (qsizetype s = qMin<qsizetype>(from, length - marker.size());
                     s >= 0 && from >= 0; --s) {
                    if (QStringView(text).sliced(s, marker.size()).compare(marker, cs) == 0) {
                        expected = s;
                        break;
                    }
                }
                QCOMPARE(page.findBack(marker, from, cs), expected);
            }
        }
    }
}

void SearchParsersTest::extractUrlAt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("expected");
    const QString url = QStringLiteral("http://i.test/a_60X60.jpg");
    QTest::newRow("inside a quoted address")
        << QStringLiteral("<img src=\"%1\">").arg(url) << QStringLiteral("_60X60") << url;
    QTest::newRow("single quotes run on to the next double quote")
        << QStringLiteral("<img src='http://i.test/a_60X60.jpg'><a href=\"x\">")
        << QStringLiteral("_60X60") << QStringLiteral("http://i.test/a_60X60.jpg'><a href=");
    QTest::newRow("nearest scheme wins")
        << QStringLiteral("<a href=\"http://shop.test/\">x</a><img src=\"%1\">").arg(url)
        << QStringLiteral("_60X60") << url;
    QTest::newRow("no scheme before the position gives nothing")
        << QStringLiteral("<img src=\"/covers/a_60X60.jpg\">") << QStringLiteral("_60X60")
        << QString();
    QTest::newRow("https is not the scheme prefix")
        << QStringLiteral("<img src=\"https://i.test/a_60X60.jpg\">") << QStringLiteral("_60X60")
        << QString();
    // 2,083 characters is the longest address there is; past it the "address"
    // is the markup between a far "http:" and a far quote.
    const QString longest = QStringLiteral("http://i.test/") +
                            QString(2083 - 24, QLatin1Char('a')) + QStringLiteral("_60X60.jpg");
    QTest::newRow("address of 2083 characters is kept")
        << QStringLiteral("<img src=\"%1\">").arg(longest) << QStringLiteral("_60X60") << longest;
    QTest::newRow("address of 2084 characters is none")
        << QStringLiteral("<img src=\"%1\">").arg(longest + QLatin1Char('g'))
        << QStringLiteral("_60X60") << QString();
}

void SearchParsersTest::extractUrlAt()
{
    QFETCH(QString, text);
    QFETCH(QString, at);
    QFETCH(QString, expected);
    PageText page(text);
    QCOMPARE(ExtractUrlAt(page, text.indexOf(at)), expected);
}

void SearchParsersTest::vantoryHits_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("artists");
    QTest::addColumn<QStringList>("thumbs");

    const QString t1 = vantoryThumb(QStringLiteral("black"));
    const QString t2 = vantoryThumb(QStringLiteral("lantern"), QStringLiteral(".gif"));
    const QString t3 = vantoryThumb(QStringLiteral("meridian"));
    QTest::newRow("three hits in page order")
        << vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica")) +
               vantoryHit(t2, QStringLiteral("Lantern Season"),
                          QStringLiteral("The Quiet Harbours")) +
               vantoryHit(t3, QStringLiteral("Blue Meridian"), QStringLiteral("Ada Lindqvist Trio"))
        << QStringList{"Black", "Lantern Season", "Blue Meridian"}
        << QStringList{"Metallica", "The Quiet Harbours", "Ada Lindqvist Trio"}
        << QStringList{t1, t2, t3};
    QTest::newRow("title marker in upper case")
        << vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica"),
                      QStringLiteral("<SPAN CLASS=TEXT2BOLD>"))
               .replace(QStringLiteral("<a href=\"/catalog/product"),
                        QStringLiteral("<A HREF=\"/CATALOG/product"))
        << QStringList{"Black"} << QStringList{"Metallica"} << QStringList{t1};
    // The six characters after "/catalog" are taken as part of the link
    // address, even when the link closes there.
    QTest::newRow("title search starts six characters past the marker")
        << QStringLiteral("<img src=\"%1\"><span class=text2bold><a href=\"/catalog\">Wrong</a>"
                          "<a href=\"/x\">Right</a></span><br>Metallica <i>")
               .arg(t1)
        << QStringList{"Right"} << QStringList{"Metallica"} << QStringList{t1};
    QTest::newRow("empty title") << vantoryHit(t1, QString(), QStringLiteral("Metallica"))
                                 << QStringList{QString()} << QStringList{"Metallica"}
                                 << QStringList{t1};
    QTest::newRow("texts are kept as written")
        << vantoryHit(t1, QStringLiteral("Live &amp; Loud <i>"), QStringLiteral("  AC/DC"))
        << QStringList{"Live &amp; Loud <i>"} << QStringList{"  AC/DC"} << QStringList{t1};
    QTest::newRow("artist without a blank before its tag runs on")
        << QStringLiteral("<img src=\"%1\"><span class=text2bold><a "
                          "href=\"/catalog/p.gsp?id=1\">Black</a></span><br>Metallica<i>x</i> <b>")
               .arg(t1)
        << QStringList{"Black"} << QStringList{"Metallica<i>x</i>"} << QStringList{t1};
    QTest::newRow("lower-case marker is no hit")
        << vantoryHit(kVantoryImages + QStringLiteral("black_60x60.jpg"), QStringLiteral("Black"),
                      QStringLiteral("Metallica"))
        << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("no matches found wins over pictures")
        << QStringLiteral("<p>Sorry, no matches found.</p>") +
               vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica"))
        << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("No Matches Found in other case is not the marker")
        << QStringLiteral("<p>No Matches Found</p>") +
               vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica"))
        << QStringList{"Black"} << QStringList{"Metallica"} << QStringList{t1};
    QTest::newRow("the same picture twice gives two hits")
        << vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica")) +
               vantoryHit(t1, QStringLiteral("Black (Remaster)"), QStringLiteral("Metallica"))
        << QStringList{"Black", "Black (Remaster)"} << QStringList{"Metallica", "Metallica"}
        << QStringList{t1, t1};
    QTest::newRow("empty page") << QString() << QStringList{} << QStringList{} << QStringList{};
    // A hit whose texts are missing is recorded with empty texts, not with the
    // previous hit's artist.
    const QString first = vantoryHit(t1, QStringLiteral("Black"), QStringLiteral("Metallica"));
    const QString pic = QStringLiteral("<img src=\"%1\">").arg(t3);
    const QString link = QStringLiteral("<span class=text2bold><a href=\"/catalog/p.gsp?id=2");
    const auto missing = [&](const char *name, const QString &tail, const QString &title) {
        QTest::newRow(name) << first + tail << QStringList{"Black", title}
                            << QStringList{"Metallica", QString()} << QStringList{t1, t3};
    };
    missing("page ends right after a picture", pic, QString());
    missing("no closing quote of the link", pic + link, QString());
    missing("no end of the title", pic + link + QStringLiteral("\">Dust Roads"), QString());
    missing("no line break before the artist", pic + link + QStringLiteral("\">Dust Roads</a>"),
            QStringLiteral("Dust Roads"));
    missing("artist runs to the end of the page",
            pic + link + QStringLiteral("\">Dust Roads</a><br>Copper Valley"),
            QStringLiteral("Dust Roads"));
    QTest::newRow("picture address never closed")
        << first + QStringLiteral("<img src=\"http://i.test/c_60X60.jpg")
        << QStringList{"Black", QString()} << QStringList{"Metallica", QString()}
        << QStringList{t1, QString()};
    // A picture whose "address" runs back past 2,083 characters to the page's
    // only "http:" is still a hit, without an address.
    QTest::newRow("address too long: hit kept without an address")
        << QStringLiteral("<a href=\"http://shop.test/\">") + filler(2100) +
               vantoryHit(QStringLiteral("/covers/far_60X60.jpg"), QStringLiteral("Far"),
                          QStringLiteral("Away"))
        << QStringList{"Far"} << QStringList{"Away"} << QStringList{QString()};
}

void SearchParsersTest::vantoryHits()
{
    QFETCH(QString, body);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, artists);
    QFETCH(QStringList, thumbs);
    const Collected c = parseVantory(body);
    QCOMPARE(c.count, titles.size());
    QCOMPARE(c.hits.size(), titles.size());
    for (int i = 0; i < c.hits.size(); ++i) {
        const PageHit &h = c.hits.at(i);
        QCOMPARE(h.site, RetailerSite::Vantory);
        QCOMPARE(h.title, titles.at(i));
        QCOMPARE(h.artist, artists.at(i));
        QCOMPARE(h.thumbnailUrl, thumbs.at(i));
        QCOMPARE(h.pictureMarkup, QStringLiteral("<a href=\"%1\"><img border=\"0\" src=\"%2\"")
                                      .arg(h.largeUrl, h.thumbnailUrl));
    }
    if (!c.hits.isEmpty())
        QCOMPARE(c.currentArtist, artists.last());
    // Every hit and the end of the page give the event loop a turn, unless
    // the page said it had nothing.
    if (!body.contains(QStringLiteral("no matches found")))
        QCOMPARE(c.yields, c.hits.size() + 1);
}

void SearchParsersTest::vantoryLargeUrl_data()
{
    QTest::addColumn<QString>("thumb");
    QTest::addColumn<QString>("large");
    QTest::newRow("jpg keeps its extension") << "http://i.test/a_60X60.jpg"
                                             << "http://i.test/a_500X500.jpg";
    QTest::newRow("gif becomes jpg") << "http://i.test/a_60X60.gif"
                                     << "http://i.test/a_500X500.jpg";
    QTest::newRow("every occurrence") << "http://i.test/_60X60/a_60X60.gif.gif"
                                      << "http://i.test/_500X500/a_500X500.jpg.jpg";
    QTest::newRow("exact case only") << "http://i.test/a_60X60.GIF"
                                     << "http://i.test/a_500X500.GIF";
}

void SearchParsersTest::vantoryLargeUrl()
{
    QFETCH(QString, thumb);
    QFETCH(QString, large);
    QCOMPARE(::vantoryLargeUrl(thumb), large);
}

void SearchParsersTest::vantorySkipsPicturesBeforeTheArtist()
{
    // A second thumbnail between a picture and its artist line belongs to the
    // first hit's cell and is not a hit of its own.
    const QString t1 = vantoryThumb(QStringLiteral("one"));
    const QString body =
        QStringLiteral(
            "<img src=\"%1\"><span class=text2bold><a href=\"/catalog/p.gsp?id=1\">One</a></span>"
            "<img src=\"%2\"><br>Artist One <i>")
            .arg(t1, vantoryThumb(QStringLiteral("badge"))) +
        vantoryHit(vantoryThumb(QStringLiteral("two")), QStringLiteral("Two"),
                   QStringLiteral("Artist Two"));
    const Collected c = parseVantory(body);
    QCOMPARE(c.count, 2);
    QCOMPARE(c.hits.at(0).title, QStringLiteral("One"));
    QCOMPARE(c.hits.at(0).artist, QStringLiteral("Artist One"));
    QCOMPARE(c.hits.at(1).title, QStringLiteral("Two"));
}

void SearchParsersTest::vantoryStopTestEndsAfterTheCurrentHit()
{
    QString body;
    for (int i = 0; i < 5; ++i)
        body += vantoryHit(vantoryThumb(QString::number(i)), QStringLiteral("T%1").arg(i),
                           QStringLiteral("A%1").arg(i));
    const Collected c = parseVantory(body, 2);
    QCOMPARE(c.count, 2);
    QCOMPARE(c.hits.size(), 2);
    // Texts are cut whole: a stop never leaves a half-cut hit.
    QCOMPARE(c.hits.at(1).title, QStringLiteral("T1"));
    QCOMPARE(c.hits.at(1).artist, QStringLiteral("A1"));
}

void SearchParsersTest::brinsellHits_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("dvd");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("artists");
    QTest::addColumn<QStringList>("larges");

    const QString prodA = brinsellPicture(QStringLiteral("prod_images"), QStringLiteral("a.jpg"));
    const QString prodB = brinsellPicture(QStringLiteral("prod_images"), QStringLiteral("b.gif"));
    const QString adC = brinsellPicture(QStringLiteral("ad_images"), QStringLiteral("c.gif"));
    const QString adD = brinsellPicture(QStringLiteral("ad_images"), QStringLiteral("d.jpg"));
    const QString largeA = brinsellPicture(QStringLiteral("large_images"), QStringLiteral("a.jpg"));
    const QString largeB = brinsellPicture(QStringLiteral("large_images"), QStringLiteral("b.jpg"));
    const QString largeC = brinsellPicture(QStringLiteral("large_images"), QStringLiteral("c.jpg"));
    const QString largeD = brinsellPicture(QStringLiteral("large_images"), QStringLiteral("d.jpg"));

    QTest::newRow("two prod then two ad: four hits in page order")
        << brinsellProdHit(prodA, QStringLiteral("A"), QStringLiteral("AA")) +
               brinsellProdHit(prodB, QStringLiteral("B"), QStringLiteral("BB")) +
               brinsellAdHit(adC, QStringLiteral("C"), QStringLiteral("CC")) +
               brinsellAdHit(adD, QStringLiteral("D"), QStringLiteral("DD"))
        << false << QStringList{"A", "B", "C", "D"} << QStringList{"AA", "BB", "CC", "DD"}
        << QStringList{largeA, largeB, largeC, largeD};
    QTest::newRow("prod hits are all taken before the ad ones")
        << brinsellProdHit(prodA, QStringLiteral("A"), QStringLiteral("AA")) +
               brinsellAdHit(adC, QStringLiteral("C"), QStringLiteral("CC")) +
               brinsellProdHit(prodB, QStringLiteral("B"), QStringLiteral("BB")) +
               brinsellAdHit(adD, QStringLiteral("D"), QStringLiteral("DD"))
        << false << QStringList{"A", "B", "D"} << QStringList{"AA", "BB", "DD"}
        << QStringList{largeA, largeB, largeD};
    QTest::newRow("DVD: the artist is the title, no ARTIST marker needed")
        << QStringLiteral("<img src=\"%2\"><a href=\"/retail/Product.asp?x\"><b>Cold Creek</b></a>"
                          "<b class=\"producttitle\">Harbour Lights</b><img src=\"%1\">")
               .arg(prodA, adC)
        << true << QStringList{"Harbour Lights"} << QStringList{"Harbour Lights"}
        << QStringList{largeA};
    QTest::newRow("DVD ad layout")
        << brinsellAdHit(adD, QStringLiteral("Cold Creek"), QStringLiteral("ignored")) << true
        << QStringList{"Cold Creek"} << QStringList{"Cold Creek"} << QStringList{largeD};
    QTest::newRow("the same picture twice gives two hits")
        << brinsellProdHit(prodA, QStringLiteral("A"), QStringLiteral("AA")) +
               QStringLiteral("<img src=\"%1\">").arg(prodA)
        << false << QStringList{"A", "A"} << QStringList{"AA", "AA"} << QStringList{largeA, largeA};
    QTest::newRow("another host is no hit")
        << brinsellProdHit(brinsellPicture(QStringLiteral("prod_images"), QStringLiteral("a.jpg"),
                                           QStringLiteral("cdn.other.test")),
                           QStringLiteral("A"), QStringLiteral("AA"))
        << false << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("upper-case path is no hit")
        << brinsellProdHit(brinsellPicture(QStringLiteral("PROD_IMAGES"), QStringLiteral("a.jpg")),
                           QStringLiteral("A"), QStringLiteral("AA"))
        << false << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("no matches found")
        << QStringLiteral("no matches found") +
               brinsellProdHit(prodA, QStringLiteral("A"), QStringLiteral("AA"))
        << false << QStringList{} << QStringList{} << QStringList{};
    // The bold artist is looked for from 50 characters after the title start.
    QTest::newRow("ad layout artist closer than 50 characters is not seen")
        << QStringLiteral(
               "<img src=\"%1\"><a href=\"PRODUCT.ASP?1\"><b>C</b></a>ARTIST: <b>Near</b>")
                   .arg(adC) +
               filler(60) + QStringLiteral("Artist: <B>Far</B>")
        << false << QStringList{"C"} << QStringList{"Far"} << QStringList{largeC};
    QTest::newRow("empty title") << brinsellAdHit(adC, QString(), QStringLiteral("CC")) << false
                                 << QStringList{QString()} << QStringList{"CC"}
                                 << QStringList{largeC};
    // A hit whose texts are missing is still a hit, with empty texts.
    QTest::newRow("no heading before the picture")
        << QStringLiteral("<img src=\"%1\">").arg(prodA) + filler(300) +
               QStringLiteral("ARTIST: <a>X</a>")
        << false << QStringList{QString()} << QStringList{QString()} << QStringList{largeA};
    QTest::newRow("no artist after a prod hit")
        << QStringLiteral("<b class=PRODUCTTITLE>A</b><img src=\"%1\">").arg(prodA) << false
        << QStringList{"A"} << QStringList{QString()} << QStringList{largeA};
    QTest::newRow("no link title after an ad picture")
        << QStringLiteral("<img src=\"%1\"><b>C</b>").arg(adC) << false << QStringList{QString()}
        << QStringList{QString()} << QStringList{largeC};
    QTest::newRow("no bold artist")
        << QStringLiteral("<img src=\"%1\"><a href=\"PRODUCT.ASP\"><b>C</b></a>").arg(adC) << false
        << QStringList{"C"} << QStringList{QString()} << QStringList{largeC};
    QTest::newRow("address too long: hit kept without an address")
        << brinsellAdHit(adC, QStringLiteral("C"), QStringLiteral("CC")) +
               QStringLiteral("<img src=\"%1").arg(adD) + filler(2100) +
               QStringLiteral("\"><a href=\"PRODUCT.ASP\"><b>D</b></a>") + filler(60) +
               QStringLiteral("ARTIST: <b>DD</b>")
        << false << QStringList{"C", "D"} << QStringList{"CC", "DD"}
        << QStringList{largeC, QString()};
    QTest::newRow("page ends right after a picture, second hit kept")
        << brinsellAdHit(adC, QStringLiteral("C"), QStringLiteral("CC")) +
               QStringLiteral("<img src=\"%1\"").arg(adC)
        << false << QStringList{"C", QString()} << QStringList{"CC", QString()}
        << QStringList{largeC, largeC};
}

void SearchParsersTest::brinsellHits()
{
    QFETCH(QString, body);
    QFETCH(bool, dvd);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, artists);
    QFETCH(QStringList, larges);
    const Collected c = parseBrinsell(body, dvd);
    QCOMPARE(c.count, titles.size());
    QCOMPARE(c.hits.size(), titles.size());
    for (int i = 0; i < c.hits.size(); ++i) {
        QCOMPARE(c.hits.at(i).site, RetailerSite::Brinsell);
        QCOMPARE(c.hits.at(i).title, titles.at(i));
        QCOMPARE(c.hits.at(i).artist, artists.at(i));
        QCOMPARE(c.hits.at(i).largeUrl, larges.at(i));
    }
}

void SearchParsersTest::brinsellLargeUrl_data()
{
    QTest::addColumn<QString>("thumb");
    QTest::addColumn<QString>("large");
    QTest::newRow("prod gif") << "http://h.test/db_assets/prod_images/x.gif"
                              << "http://h.test/db_assets/large_images/x.jpg";
    QTest::newRow("ad jpg keeps jpg") << "http://h.test/db_assets/ad_images/x.jpg"
                                      << "http://h.test/db_assets/large_images/x.jpg";
    QTest::newRow("ad replaced before prod")
        << "http://h.test/db_assets/ad_images/prod_images.gif"
        << "http://h.test/db_assets/large_images/large_images.jpg";
    QTest::newRow("host unchanged") << "http://prod_images.test/db_assets/prod_images/x.jpg"
                                    << "http://large_images.test/db_assets/large_images/x.jpg";
}

void SearchParsersTest::brinsellLargeUrl()
{
    QFETCH(QString, thumb);
    QFETCH(QString, large);
    QCOMPARE(::brinsellLargeUrl(thumb), large);
}

// The linked-artist cutter looks for "ARTIST:" from 250 characters after the
// title start: a marker closer than that is passed over for the next one.
void SearchParsersTest::brinsellArtistWindow()
{
    const QString title = QStringLiteral("Black");
    for (const auto &[gap, artist] : {std::pair{300, "Near"}, std::pair{120, "Far"}}) {
        // Title start is just after the heading's ">".
        const QString body =
            QStringLiteral("<b class=\"PRODUCTTITLE\">") + title +
            QStringLiteral("</b><img src=\"") +
            brinsellPicture(QStringLiteral("prod_images"), QStringLiteral("a.jpg")) +
            QStringLiteral("\">") + filler(gap) +
            QStringLiteral("ARTIST: <a href=\"/a?1\">Near</a>") + filler(300) +
            QStringLiteral("artist: <a href=\"/a?2\">Far</a>");
        const Collected c = parseBrinsell(body, false);
        QCOMPARE(c.count, 1);
        QCOMPARE(c.hits.at(0).artist, QString::fromLatin1(artist));
    }

    // The boundary itself: the marker starting exactly 250 characters after
    // the title start is seen, one character earlier it is not.
    for (int offset : {249, 250}) {
        const QString head = QStringLiteral("<b class=\"PRODUCTTITLE\">");
        QString page = head + title + QStringLiteral("</b>");
        const QString rest =
            QStringLiteral("<img src=\"%1\">")
                .arg(brinsellPicture(QStringLiteral("prod_images"), QStringLiteral("b.jpg")));
        page += rest;
        page += QString(offset - (page.size() - head.size()), QLatin1Char(' '));
        page += QStringLiteral("ARTIST: <a>Edge</a>");
        PageText text(page);
        qsizetype pos = page.indexOf(QStringLiteral("http:"));
        QString current;
        CutBrinsellTitleByHeading(pos, text, false, current);
        QCOMPARE(pos, head.size());
        QCOMPARE(current, offset >= 250 ? QStringLiteral("Edge") : QString());
    }
}

QTEST_APPLESS_MAIN(SearchParsersTest)
#include "tst_searchparsers.moc"
