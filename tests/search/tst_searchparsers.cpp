#include "search/brinsellparser.h"
#include "search/vantoryparser.h"
#include "testfiles.h"

#include <QTest>

// The two retailers' parsers over the pages of tests/data/pages: one folder
// per parser and rules, each page holding the hits it must give.
class SearchParsersTest : public QObject
{
    Q_OBJECT
private slots:
    void parsePage_data()
    {
        QTest::addColumn<QString>("path");
        TestFiles::addPageRows({"vantory", "brinsell", "brinsell-dvd", "brinsell-batch"});
    }

    void parsePage()
    {
        QFETCH(QString, path);
        const TestFiles::PageFixture page = TestFiles::pageFixture(path);
        const bool vantory = path.contains("/vantory/");
        const bool batch = path.contains("-batch/");
        QList<PageHit> hits;
        QString currentArtist;
        int yields = 0;
        ScanHooks hooks;
        hooks.yield = [&] { ++yields; };
        const HitSink sink = [&](const PageHit &h) { hits.append(h); };
        const int count =
            vantory ? ParseVantoryPage(page.body, hooks, sink, currentArtist)
                    : ParseBrinsellPage(page.body, "images.brinsell.test", path.contains("-dvd/"),
                                        hooks, sink, currentArtist,
                                        batch ? PageRules::Batch : PageRules::Interactive);
        QStringList found;
        for (const PageHit &h : hits) {
            found << QStringList{h.title, h.artist, h.thumbnailUrl, h.largeUrl}.join(" | ");
            QCOMPARE(h.site, vantory ? RetailerSite::Vantory : RetailerSite::Brinsell);
            QCOMPARE(h.pictureMarkup, "<a href=\"" + h.largeUrl + "\"><img border=\"0\" src=\"" +
                                          h.thumbnailUrl + '"');
            // The batch records its own texts for a hit it cut none for.
            QCOMPARE(h.entryTexts, batch && h.thumbnailUrl.contains("/prod_images/"));
        }
        QCOMPARE(found, page.expected);
        QCOMPARE(count, hits.size());
        if (!hits.isEmpty())
            QCOMPARE(currentArtist, hits.last().artist);
        // Every hit and the end of the page give the event loop a turn, unless
        // the page said it had nothing.
        if (!page.body.contains("no matches found"))
            QCOMPARE(yields, hits.size() + 1);
    }

    void largeUrl_data()
    {
        TestFiles::addTableRows("large-addresses.tsv", {"site", "thumb", "large"});
    }

    void largeUrl()
    {
        QFETCH(QString, site);
        QFETCH(QString, thumb);
        QTEST(site == "Vantory" ? vantoryLargeUrl(thumb) : brinsellLargeUrl(thumb), "large");
    }
};

QTEST_APPLESS_MAIN(SearchParsersTest)
#include "tst_searchparsers.moc"
