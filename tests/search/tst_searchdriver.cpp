#include "base/pagesource.h"
#include "search/resultspagewriter.h"
#include "search/retailersearch.h"
#include "search/searchdriver.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace
{

// Pages of tests/data/pages, chosen by a part of the request address. A
// search's loads wait until the test answers them, in any order.
class MemoryPages : public IAsyncPageSource
{
public:
    quint64 start(const QString &url, Done done) override
    {
        requests.append(url);
        if (onLoad)
            onLoad();
        waiting.append({++lastLoad, url, std::move(done)});
        QHash<QString, int> perHost;
        for (const Waiting &w : waiting)
            maxPerHost = qMax(maxPerHost, ++perHost[QUrl(w.url).authority()]);
        maxWaiting = qMax(maxWaiting, int(waiting.size()));
        return lastLoad;
    }

    void abort(quint64 load) override
    {
        waiting.removeIf([load](const Waiting &w) { return w.load == load; });
    }

    // Answers the load waiting at `index` (0: the oldest).
    void answer(qsizetype index)
    {
        const Waiting w = waiting.takeAt(index);
        w.done(page(w.url));
    }

    // A page name, or "moved" (sent to a page without the category) or "failed".
    LoadedPage page(const QString &url) const
    {
        LoadedPage page;
        page.ok = true;
        page.locationUrl = url;
        page.httpStatus = 200;
        for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
            if (!url.contains(it.key()))
                continue;
            if (it.value() == "moved") {
                page.locationUrl = "http://vantory.test/catalog/moved.gsp?CATEGORY_ID=moved";
            } else if (it.value() == "failed") {
                page.ok = false;
                page.httpStatus = 500;
            } else {
                page.body = TestFiles::page(it.value());
            }
        }
        return page;
    }

    struct Waiting {
        quint64 load;
        QString url;
        Done done;
    };
    QList<Waiting> waiting;
    quint64 lastLoad = 0;
    int maxPerHost = 0; // most loads waiting at once for one host
    int maxWaiting = 0; // and for all hosts
    QHash<QString, QString> pages;
    QStringList requests;
    std::function<void()> onLoad;
};

const QString kRock = "&CATEGORY_ID=4118&";
const QString kBlues = "&CATEGORY_ID=4105&";
const QString kBrinsell = "querytype=music";
// Black, Lantern Season, Blue Meridian
const QString kThreeHits = "vantory/three-hits-in-page-order.txt";
// Black, Black (Remaster)
const QString kTwoHits = "vantory/the-same-picture-twice-gives-two-hits.txt";
// "Live &amp; Loud <i>"
const QString kOneHit = "vantory/texts-are-kept-as-written.txt";
// A and B in the heading layout, C and D in the link layout
const QString kFourHits = "brinsell/two-prod-then-two-ad-four-hits-in-page-order.txt";

const SiteEndpoints kSites{"vantory.test", "brinsell.test:8080", "images.brinsell.test", {}, {}};

// The window's side of a search: the status line, the page on show, the end.
struct Harness {
    QTemporaryDir dir;
    MemoryPages pages;
    SearchState state;
    SearchDriver driver{state};
    QStringList statuses;
    QStringList shown;
    SearchOutcome outcome;
    int ends = 0;
    QString resultsPath = dir.filePath("results.html");

    void start(const SearchCriteria &criteria, int concurrency = 4)
    {
        SearchIo io;
        io.pages = &pages;
        io.status = [this](const QString &s) { statuses.append(s); };
        io.show = [this](const QString &p) { shown.append(p); };
        io.finished = [this](const SearchOutcome &o) {
            outcome = o;
            ++ends;
        };
        driver.start(criteria, kSites, io, resultsPath, concurrency);
    }

    // A whole search, its pages answered oldest or newest first.
    SearchOutcome run(const SearchCriteria &criteria, int concurrency = 4, bool newestFirst = false)
    {
        start(criteria, concurrency);
        while (driver.running())
            pages.answer(newestFirst ? pages.waiting.size() - 1 : 0);
        return outcome;
    }

    QByteArray page() const { return TestFiles::readFile(resultsPath); }
};

SearchCriteria music(std::initializer_list<int> genres, bool vantory = true, bool brinsell = true)
{
    SearchCriteria c;
    c.text = "Metallica";
    c.vantory = vantory;
    c.brinsell = brinsell;
    c.amazon = true; // never searched
    for (int g : genres)
        c.genres[std::size_t(g)] = true;
    return c;
}

} // namespace

class SearchDriverTest : public QObject
{
    Q_OBJECT
private slots:
    void pageWithRowsFromBothSites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("results.html");
        SearchResults results;
        ResultsPageWriter writer(results);
        QVERIFY(writer.open(path));
        PageHit hit =
            pictureHit(RetailerSite::Vantory, "http://v/a_60X60.gif", "http://v/a_500X500.jpg");
        hit.title = "Black";
        hit.artist = "Metallica";
        writer.writeRow(hit, "R&&B/Soul");
        // Texts go in unchanged, markup and non-ASCII included (UTF-8 on disk).
        hit = pictureHit(RetailerSite::Brinsell, "http://b/prod_images/x.gif",
                         "http://b/large_images/x.jpg");
        hit.title = QString::fromUtf8("Vårljus & <b>");
        hit.artist = QString::fromUtf8("Åsa <script>");
        writer.writeRow(hit, "N/A");
        QVERIFY(writer.finish());
        QCOMPARE(TestFiles::readFile(path),
                 TestFiles::readFile(TestFiles::testData("results/two_rows.html")));
        // Past 9999 the hit number in a link grows a digit.
        QCOMPARE(ResultsPageWriter::hitNumberText(10000), "10000");
    }

    void requestOrder_data()
    {
        TestFiles::addTableRows("search-plans.tsv",
                                {"sites", "type", "genres", "text", "addresses"});
    }

    void requestOrder()
    {
        QFETCH(QString, sites);
        QFETCH(QString, type);
        QFETCH(QString, genres);
        QFETCH(QString, text);
        QFETCH(QString, addresses);
        SearchCriteria criteria = music({}, sites.contains("Vantory"), sites.contains("Brinsell"));
        criteria.text = text;
        criteria.type = type == "DVD" ? SearchType::DVD : SearchType::Music;
        for (const QString &g : genres.split(' '))
            criteria.genres[std::size_t(qMax(0, g.toInt()))] = g != "-";
        const QStringList expected = addresses == "-" ? QStringList() : addresses.split(" ; ");
        Harness h;
        h.run(criteria);
        QCOMPARE(h.pages.requests, expected);
        if (expected.isEmpty()) {
            QCOMPARE(h.page(), TestFiles::readFile(TestFiles::testData("results/empty.html")));
            QCOMPARE(h.statuses, (QStringList{"Searching...", "Results Found: 0"}));
        }
    }

    void pageAcceptance_data()
    {
        TestFiles::addTableRows("page-acceptance.tsv", {"asked", "loadedAt", "loaded", "accepted"});
    }

    void pageAcceptance()
    {
        QFETCH(QString, asked);
        QFETCH(QString, loadedAt);
        QFETCH(QString, loaded);
        SearchRequest r;
        r.site = asked == "Brinsell" ? RetailerSite::Brinsell : RetailerSite::Vantory;
        r.type = asked == "Vantory DVD" ? SearchType::DVD : SearchType::Music;
        r.genreIndex = asked == "Vantory Rock" ? 0 : -1;
        LoadedPage page;
        page.ok = loaded == "yes";
        page.locationUrl = loadedAt;
        QTEST(QString(RetailerSearch::accepted(r, page) ? "yes" : "no"), "accepted");
    }

    // However many pages load at a time and in whatever order they come, the
    // rows and the status texts are those of one page after the other.
    void musicSearchOverFourGenresAndBrinsell_data()
    {
        QTest::addColumn<int>("concurrency");
        QTest::addColumn<bool>("newestFirst");
        QTest::addColumn<int>("perHost"); // most loads at once for one host
        QTest::addColumn<int>("inAll");   // and for both
        QTest::newRow("one at a time") << 1 << false << 1 << 1;
        QTest::newRow("four at a time, last page first") << 4 << true << 4 << 5;
        // Dance waits for a place, and Brinsell, asked after it, too.
        QTest::newRow("two at a time, last page first") << 2 << true << 2 << 3;
    }

    void musicSearchOverFourGenresAndBrinsell()
    {
        QFETCH(int, concurrency);
        QFETCH(bool, newestFirst);
        Harness h;
        // Neither a page sent elsewhere (Country) nor one that failed to load
        // (Dance) gives hits.
        h.pages.pages = {{kRock, kThreeHits},
                         {kBlues, kTwoHits},
                         {"&CATEGORY_ID=4109&", "moved"},
                         {"&CATEGORY_ID=4110&", "failed"},
                         {kBrinsell, kFourHits}};
        const SearchOutcome out = h.run(music({0, 1, 2, 3}), concurrency, newestFirst);

        QCOMPARE(h.pages.requests.size(), 5);
        QTEST(h.pages.maxPerHost, "perHost");
        QTEST(h.pages.maxWaiting, "inAll");
        QCOMPARE(out.total, 9);
        QVERIFY(out.pageWritten);
        QCOMPARE(h.ends, 1);
        QCOMPARE(h.statuses, (QStringList{"Searching...", "Searching Rock...", "Searching Blues...",
                                          "Searching Country...", "Searching Dance...",
                                          "Searching Brinsell...", "Results Found: 9"}));
        QCOMPARE(h.shown, QStringList{h.resultsPath});
        QVERIFY(h.page().contains(
            "<a href=\"0009http://images.brinsell.test/db_assets/large_images/d.jpg\">"));
        QCOMPARE(h.state.results.count(), 9);
        QCOMPARE(h.state.results.album(5), "Black (Remaster)");
        QCOMPARE(h.state.results.picture(2), "http://img.vantory.test/covers/lantern_500X500.jpg");
    }

    // Cancelled while Dance loads: Jazz is in but waits for Dance, so it was
    // never parsed.
    void cancel()
    {
        Harness h;
        h.pages.pages = {{kRock, kThreeHits},
                         {"&CATEGORY_ID=4110&", kTwoHits},
                         {"&CATEGORY_ID=4107&", kOneHit},
                         {kBrinsell, kFourHits}};
        h.start(music({0, 3, 4}));
        h.pages.answer(2);
        h.pages.answer(0);
        // Rock's rows are in the file already.
        QCOMPARE(h.state.results.count(), 3);
        h.driver.cancel();

        // Every load still out is given up at once, and the search is over.
        QVERIFY(h.pages.waiting.isEmpty());
        QVERIFY(!h.driver.running());
        QCOMPARE(h.ends, 1);
        QCOMPARE(h.pages.requests.size(), 4);
        QCOMPARE(h.statuses, (QStringList{"Searching...", "Searching Rock...", "Searching Dance...",
                                          "Search Aborted", "Results Found: 3"}));
        QCOMPARE(h.outcome.total, 3);
        // Whole rows only.
        QCOMPARE(h.page().count("<table border=\"1\""), 3);
        QCOMPARE(h.page().count("</table>"), 3);
        QVERIFY(h.page().endsWith("</body> </html>\r\n"));
        QCOMPARE(h.shown.size(), 1);
    }

    void secondSearchReplacesTheFirst()
    {
        Harness h;
        h.pages.pages = {{kRock, kThreeHits}, {kBlues, kOneHit}};
        QVERIFY(TestFiles::writeFile(h.dir.filePath("temp.html")));
        h.run(music({0}, true, false));
        QVERIFY(!QFile::exists(h.dir.filePath("temp.html")));
        QCOMPARE(h.state.results.count(), 3);

        // The old page is gone before the first request of the new search.
        bool oldPageGone = false;
        h.pages.onLoad = [&] { oldPageGone = !h.page().contains("Lantern Season"); };
        h.run(music({1}, true, false));
        QVERIFY(oldPageGone);
        QCOMPARE(h.state.results.count(), 1);
        QCOMPARE(h.state.results.album(1), "Live &amp; Loud <i>");
        QVERIFY(!h.page().contains("Lantern Season"));
    }

    void unwritableResultsPageIsReported()
    {
        Harness h;
        h.pages.pages = {{kRock, kThreeHits}};
        h.resultsPath = h.dir.filePath("missing/results.html");
        const SearchOutcome out = h.run(music({0}, true, false));
        QVERIFY(!out.pageWritten);
        QVERIFY(!out.error.isEmpty());
        QVERIFY(h.shown.isEmpty());
        QCOMPARE(out.total, 3);
        QCOMPARE(h.statuses.last(), "Results Found: 3");
    }
};

QTEST_APPLESS_MAIN(SearchDriverTest)
#include "tst_searchdriver.moc"
