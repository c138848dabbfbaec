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

// Runs a parser with hooks that count the yields and a sink that keeps the hits.
template <typename Parse> Collected collect(Parse parse)
{
    Collected c;
    ScanHooks hooks;
    hooks.yield = [&] { ++c.yields; };
    c.count = parse(
        hooks, [&](const PageHit &h) { c.hits.append(h); }, c.currentArtist);
    return c;
}

} // namespace

class SearchParsersTest : public QObject
{
    Q_OBJECT
private slots:
    // The remembered searches must give exactly what a fresh search gives, in any
    // order of queries.
    void pageTextMatchesPlainSearch()
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
                const Qt::CaseSensitivity cs =
                    rng.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
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

    void extractUrlAt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("at");
        QTest::addColumn<QString>("expected");
        const QString url = "http://i.test/a_60X60.jpg";
        QTest::newRow("inside a quoted address")
            << QString("<img src=\"%1\">").arg(url) << "_60X60" << url;
        QTest::newRow("single quotes run on to the next double quote")
            << "<img src='http://i.test/a_60X60.jpg'><a href=\"x\">"
            << "_60X60"
            << "http://i.test/a_60X60.jpg'><a href=";
        QTest::newRow("nearest scheme wins")
            << QString("<a href=\"http://shop.test/\">x</a><img src=\"%1\">").arg(url) << "_60X60"
            << url;
        QTest::newRow("no scheme before the position gives nothing")
            << "<img src=\"/covers/a_60X60.jpg\">"
            << "_60X60" << QString();
        QTest::newRow("https is not the scheme prefix")
            << "<img src=\"https://i.test/a_60X60.jpg\">"
            << "_60X60" << QString();
        // 2,083 characters is the longest address there is; past it the "address"
        // is the markup between a far "http:" and a far quote.
        const QString longest = QStringLiteral("http://i.test/") +
                                QString(2083 - 24, QLatin1Char('a')) + QStringLiteral("_60X60.jpg");
        QTest::newRow("address of 2083 characters is kept")
            << QStringLiteral("<img src=\"%1\">").arg(longest) << QStringLiteral("_60X60")
            << longest;
        QTest::newRow("address of 2084 characters is none")
            << QStringLiteral("<img src=\"%1\">").arg(longest + QLatin1Char('g'))
            << QStringLiteral("_60X60") << QString();
    }

    void extractUrlAt()
    {
        QFETCH(QString, text);
        QFETCH(QString, at);
        PageText page(text);
        QTEST(ExtractUrlAt(page, text.indexOf(at)), "expected");
    }

    void vantoryHits_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("artists");
        QTest::addColumn<QStringList>("thumbs");

        const QString t1 = vantoryThumb("black");
        const QString t2 = vantoryThumb("lantern", ".gif");
        const QString t3 = vantoryThumb("meridian");
        QTest::newRow("three hits in page order")
            << vantoryHit(t1, "Black", "Metallica") +
                   vantoryHit(t2, "Lantern Season", "The Quiet Harbours") +
                   vantoryHit(t3, "Blue Meridian", "Ada Lindqvist Trio")
            << QStringList{"Black", "Lantern Season", "Blue Meridian"}
            << QStringList{"Metallica", "The Quiet Harbours", "Ada Lindqvist Trio"}
            << QStringList{t1, t2, t3};
        QTest::newRow("title marker in upper case")
            << vantoryHit(t1, "Black", "Metallica", "<SPAN CLASS=TEXT2BOLD>")
                   .replace("<a href=\"/catalog/product", "<A HREF=\"/CATALOG/product")
            << QStringList{"Black"} << QStringList{"Metallica"} << QStringList{t1};
        // The six characters after "/catalog" are taken as part of the link
        // address, even when the link closes there.
        QTest::newRow("title search starts six characters past the marker")
            << QString("<img src=\"%1\"><span class=text2bold><a href=\"/catalog\">Wrong</a>"
                       "<a href=\"/x\">Right</a></span><br>Metallica <i>")
                   .arg(t1)
            << QStringList{"Right"} << QStringList{"Metallica"} << QStringList{t1};
        QTest::newRow("empty title")
            << vantoryHit(t1, QString(), "Metallica") << QStringList{QString()}
            << QStringList{"Metallica"} << QStringList{t1};
        QTest::newRow("texts are kept as written")
            << vantoryHit(t1, "Live &amp; Loud <i>", "  AC/DC")
            << QStringList{"Live &amp; Loud <i>"} << QStringList{"  AC/DC"} << QStringList{t1};
        QTest::newRow("artist without a blank before its tag runs on")
            << QString("<img src=\"%1\"><span class=text2bold><a "
                       "href=\"/catalog/p.gsp?id=1\">Black</a></span><br>Metallica<i>x</i> <b>")
                   .arg(t1)
            << QStringList{"Black"} << QStringList{"Metallica<i>x</i>"} << QStringList{t1};
        QTest::newRow("lower-case marker is no hit")
            << vantoryHit(kVantoryImages + "black_60x60.jpg", "Black", "Metallica") << QStringList{}
            << QStringList{} << QStringList{};
        QTest::newRow("no matches found wins over pictures")
            << "<p>Sorry, no matches found.</p>" + vantoryHit(t1, "Black", "Metallica")
            << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("No Matches Found in other case is not the marker")
            << "<p>No Matches Found</p>" + vantoryHit(t1, "Black", "Metallica")
            << QStringList{"Black"} << QStringList{"Metallica"} << QStringList{t1};
        QTest::newRow("the same picture twice gives two hits")
            << vantoryHit(t1, "Black", "Metallica") +
                   vantoryHit(t1, "Black (Remaster)", "Metallica")
            << QStringList{"Black", "Black (Remaster)"} << QStringList{"Metallica", "Metallica"}
            << QStringList{t1, t1};
        QTest::newRow("empty page") << QString() << QStringList{} << QStringList{} << QStringList{};
        // A second thumbnail between a picture and its artist line belongs to the
        // first hit's cell and is not a hit of its own.
        QTest::newRow("pictures before the artist are skipped")
            << QString(
                   "<img src=\"%1\"><span class=text2bold><a href=\"/catalog/p.gsp?id=1\">Black</a>"
                   "</span><img src=\"%2\"><br>Metallica <i>")
                       .arg(t1, vantoryThumb("badge")) +
                   vantoryHit(t3, "Blue Meridian", "Ada Lindqvist Trio")
            << QStringList{"Black", "Blue Meridian"}
            << QStringList{"Metallica", "Ada Lindqvist Trio"} << QStringList{t1, t3};
        // A hit whose texts are missing is recorded with empty texts, not with the
        // previous hit's artist.
        const QString first = vantoryHit(t1, "Black", "Metallica");
        const QString pic = QString("<img src=\"%1\">").arg(t3);
        const QString link = "<span class=text2bold><a href=\"/catalog/p.gsp?id=2";
        const auto missing = [&](const char *name, const QString &tail, const QString &title) {
            QTest::newRow(name) << first + tail << QStringList{"Black", title}
                                << QStringList{"Metallica", QString()} << QStringList{t1, t3};
        };
        missing("page ends right after a picture", pic, QString());
        missing("no closing quote of the link", pic + link, QString());
        missing("no end of the title", pic + link + "\">Dust Roads", QString());
        missing("no line break before the artist", pic + link + "\">Dust Roads</a>", "Dust Roads");
        missing("artist runs to the end of the page",
                pic + link + "\">Dust Roads</a><br>Copper Valley", "Dust Roads");
        QTest::newRow("picture address never closed")
            << first + "<img src=\"http://i.test/c_60X60.jpg" << QStringList{"Black", QString()}
            << QStringList{"Metallica", QString()} << QStringList{t1, QString()};
        // A picture whose "address" runs back past 2,083 characters to the page's
        // only "http:" is still a hit, without an address.
        QTest::newRow("address too long: hit kept without an address")
            << QStringLiteral("<a href=\"http://shop.test/\">") + filler(2100) +
                   vantoryHit(QStringLiteral("/covers/far_60X60.jpg"), QStringLiteral("Far"),
                              QStringLiteral("Away"))
            << QStringList{"Far"} << QStringList{"Away"} << QStringList{QString()};
    }

    void vantoryHits()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, artists);
        QFETCH(QStringList, thumbs);
        const Collected c =
            collect([&](const ScanHooks &hooks, const HitSink &sink, QString &artist) {
                return ParseVantoryPage(body, hooks, sink, artist);
            });
        QCOMPARE(c.count, titles.size());
        QCOMPARE(c.hits.size(), titles.size());
        for (int i = 0; i < c.hits.size(); ++i) {
            const PageHit &h = c.hits.at(i);
            QCOMPARE(h.site, RetailerSite::Vantory);
            QCOMPARE(h.title, titles.at(i));
            QCOMPARE(h.artist, artists.at(i));
            QCOMPARE(h.thumbnailUrl, thumbs.at(i));
            QCOMPARE(h.pictureMarkup, QString("<a href=\"%1\"><img border=\"0\" src=\"%2\"")
                                          .arg(h.largeUrl, h.thumbnailUrl));
        }
        if (!c.hits.isEmpty())
            QCOMPARE(c.currentArtist, artists.last());
        // Every hit and the end of the page give the event loop a turn, unless
        // the page said it had nothing.
        if (!body.contains("no matches found"))
            QCOMPARE(c.yields, c.hits.size() + 1);
    }

    void brinsellHits_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<bool>("batch");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("artists");
        QTest::addColumn<QStringList>("larges");

        const QString prodA = brinsellPicture("prod_images", "a.jpg");
        const QString prodB = brinsellPicture("prod_images", "b.gif");
        const QString adC = brinsellPicture("ad_images", "c.gif");
        const QString adD = brinsellPicture("ad_images", "d.jpg");
        const QString largeA = brinsellPicture("large_images", "a.jpg");
        const QString largeB = brinsellPicture("large_images", "b.jpg");
        const QString largeC = brinsellPicture("large_images", "c.jpg");
        const QString largeD = brinsellPicture("large_images", "d.jpg");

        QTest::newRow("two prod then two ad: four hits in page order")
            << brinsellProdHit(prodA, "A", "AA") + brinsellProdHit(prodB, "B", "BB") +
                   brinsellAdHit(adC, "C", "CC") + brinsellAdHit(adD, "D", "DD")
            << false << false << QStringList{"A", "B", "C", "D"}
            << QStringList{"AA", "BB", "CC", "DD"} << QStringList{largeA, largeB, largeC, largeD};
        QTest::newRow("prod hits are all taken before the ad ones")
            << brinsellProdHit(prodA, "A", "AA") + brinsellAdHit(adC, "C", "CC") +
                   brinsellProdHit(prodB, "B", "BB") + brinsellAdHit(adD, "D", "DD")
            << false << false << QStringList{"A", "B", "D"} << QStringList{"AA", "BB", "DD"}
            << QStringList{largeA, largeB, largeD};
        QTest::newRow("DVD: the artist is the title, no ARTIST marker needed")
            << QString("<img src=\"%2\"><a href=\"/retail/Product.asp?x\"><b>Cold Creek</b></a>"
                       "<b class=\"producttitle\">Harbour Lights</b><img src=\"%1\">")
                   .arg(prodA, adC)
            << true << false << QStringList{"Harbour Lights"} << QStringList{"Harbour Lights"}
            << QStringList{largeA};
        QTest::newRow("DVD ad layout")
            << brinsellAdHit(adD, "Cold Creek", "ignored") << true << false
            << QStringList{"Cold Creek"} << QStringList{"Cold Creek"} << QStringList{largeD};
        QTest::newRow("the same picture twice gives two hits")
            << brinsellProdHit(prodA, "A", "AA") + QString("<img src=\"%1\">").arg(prodA) << false
            << false << QStringList{"A", "A"} << QStringList{"AA", "AA"}
            << QStringList{largeA, largeA};
        QTest::newRow("another host is no hit")
            << brinsellProdHit(brinsellPicture("prod_images", "a.jpg", "cdn.other.test"), "A", "AA")
            << false << false << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("upper-case path is no hit")
            << brinsellProdHit(brinsellPicture("PROD_IMAGES", "a.jpg"), "A", "AA") << false << false
            << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("no matches found")
            << "no matches found" + brinsellProdHit(prodA, "A", "AA") << false << false
            << QStringList{} << QStringList{} << QStringList{};
        // The bold artist is looked for from 50 characters after the title start.
        QTest::newRow("ad layout artist closer than 50 characters is not seen")
            << QString("<img src=\"%1\"><a href=\"PRODUCT.ASP?1\"><b>C</b></a>ARTIST: <b>Near</b>")
                       .arg(adC) +
                   filler(60) + "Artist: <B>Far</B>"
            << false << false << QStringList{"C"} << QStringList{"Far"} << QStringList{largeC};
        QTest::newRow("empty title")
            << brinsellAdHit(adC, QString(), "CC") << false << false << QStringList{QString()}
            << QStringList{"CC"} << QStringList{largeC};
        // A hit whose texts are missing is still a hit, with empty texts.
        QTest::newRow("no heading before the picture")
            << QString("<img src=\"%1\">").arg(prodA) + filler(300) + "ARTIST: <a>X</a>" << false
            << false << QStringList{QString()} << QStringList{QString()} << QStringList{largeA};
        QTest::newRow("no artist after a prod hit")
            << QString("<b class=PRODUCTTITLE>A</b><img src=\"%1\">").arg(prodA) << false << false
            << QStringList{"A"} << QStringList{QString()} << QStringList{largeA};
        QTest::newRow("no link title after an ad picture")
            << QString("<img src=\"%1\"><b>C</b>").arg(adC) << false << false
            << QStringList{QString()} << QStringList{QString()} << QStringList{largeC};
        QTest::newRow("no bold artist")
            << QString("<img src=\"%1\"><a href=\"PRODUCT.ASP\"><b>C</b></a>").arg(adC) << false
            << false << QStringList{"C"} << QStringList{QString()} << QStringList{largeC};
        QTest::newRow("address too long: hit kept without an address")
            << brinsellAdHit(adC, QStringLiteral("C"), QStringLiteral("CC")) +
                   QStringLiteral("<img src=\"%1").arg(adD) + filler(2100) +
                   QStringLiteral("\"><a href=\"PRODUCT.ASP\"><b>D</b></a>") + filler(60) +
                   QStringLiteral("ARTIST: <b>DD</b>")
            << false << false << QStringList{"C", "D"} << QStringList{"CC", "DD"}
            << QStringList{largeC, QString()};
        QTest::newRow("page ends right after a picture, second hit kept")
            << brinsellAdHit(adC, "C", "CC") + QString("<img src=\"%1\"").arg(adC) << false << false
            << QStringList{"C", QString()} << QStringList{"CC", QString()}
            << QStringList{largeC, largeC};
        // Batch rules: a "prod_images" hit carries no texts; an "ad_images" hit only
        // its title, with the artist "N/A" even for music.
        QTest::newRow("batch: prod hit without texts, ad hit without artist")
            << brinsellProdHit(prodA, "A", "AA") + brinsellAdHit(adC, "C", "CC") << false << true
            << QStringList{QString(), "C"} << QStringList{QString(), "N/A"}
            << QStringList{largeA, largeC};
        // Two pictures before one title: the batch goes on from the title and
        // never sees the second picture.
        const QString twoPictures = QString("<img src=\"%1\"><img src=\"%2\">").arg(adC, adD) +
                                    brinsellAdHit(adD, "D", "DD");
        QTest::newRow("interactive: next hit from the picture")
            << twoPictures << false << false << QStringList{"D", "D", "D"}
            << QStringList{"DD", "DD", "DD"} << QStringList{largeC, largeD, largeD};
        QTest::newRow("batch: next hit from the title")
            << twoPictures << false << true << QStringList{"D"} << QStringList{"N/A"}
            << QStringList{largeC};
        // The linked artist is looked for from 250 characters after the title
        // start: a marker closer than that is passed over for the next one.
        for (const auto &[offset, artist] : {std::pair{249, "Far"}, std::pair{250, "Edge"}}) {
            const QString head = "<b class=\"PRODUCTTITLE\">";
            QString page = head + "A</b>" + QString("<img src=\"%1\">").arg(prodA);
            page += QString(offset - (page.size() - head.size()), QLatin1Char(' '));
            page += "ARTIST: <a>Edge</a>" + filler(300) + "artist: <a href=\"/a?2\">Far</a>";
            QTest::addRow("linked artist %d characters after the title", offset)
                << page << false << false << QStringList{"A"} << QStringList{artist}
                << QStringList{largeA};
        }
    }

    void brinsellHits()
    {
        QFETCH(QString, body);
        QFETCH(bool, dvd);
        QFETCH(bool, batch);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, artists);
        QFETCH(QStringList, larges);
        const Collected c =
            collect([&](const ScanHooks &hooks, const HitSink &sink, QString &artist) {
                return ParseBrinsellPage(body, kBrinsellImageHost, dvd, hooks, sink, artist,
                                         batch ? PageRules::Batch : PageRules::Interactive);
            });
        QCOMPARE(c.count, titles.size());
        QCOMPARE(c.hits.size(), titles.size());
        for (int i = 0; i < c.hits.size(); ++i) {
            QCOMPARE(c.hits.at(i).site, RetailerSite::Brinsell);
            QCOMPARE(c.hits.at(i).entryTexts,
                     batch && c.hits.at(i).thumbnailUrl.contains("/prod_images/"));
            QCOMPARE(c.hits.at(i).title, titles.at(i));
            QCOMPARE(c.hits.at(i).artist, artists.at(i));
            QCOMPARE(c.hits.at(i).largeUrl, larges.at(i));
        }
    }

    void largeUrl_data()
    {
        QTest::addColumn<bool>("vantory");
        QTest::addColumn<QString>("thumb");
        QTest::addColumn<QString>("large");
        const auto row = [](const char *name, bool vantory, const char *thumb, const char *large) {
            QTest::newRow(name) << vantory << thumb << large;
        };
        row("Vantory jpg keeps its extension", true, "http://i/a_60X60.jpg",
            "http://i/a_500X500.jpg");
        row("Vantory gif becomes jpg", true, "http://i/a_60X60.gif", "http://i/a_500X500.jpg");
        row("Vantory every occurrence", true, "http://i/_60X60/a_60X60.gif.gif",
            "http://i/_500X500/a_500X500.jpg.jpg");
        row("Vantory exact case only", true, "http://i/a_60X60.GIF", "http://i/a_500X500.GIF");
        row("Brinsell prod gif", false, "http://h/db_assets/prod_images/x.gif",
            "http://h/db_assets/large_images/x.jpg");
        row("Brinsell ad jpg keeps jpg", false, "http://h/db_assets/ad_images/x.jpg",
            "http://h/db_assets/large_images/x.jpg");
        row("Brinsell ad replaced before prod", false,
            "http://h/db_assets/ad_images/prod_images.gif",
            "http://h/db_assets/large_images/large_images.jpg");
        row("Brinsell host unchanged", false, "http://prod_images.test/db_assets/prod_images/x.jpg",
            "http://large_images.test/db_assets/large_images/x.jpg");
    }

    void largeUrl()
    {
        QFETCH(bool, vantory);
        QFETCH(QString, thumb);
        QTEST(vantory ? vantoryLargeUrl(thumb) : brinsellLargeUrl(thumb), "large");
    }
};

QTEST_APPLESS_MAIN(SearchParsersTest)
#include "tst_searchparsers.moc"
