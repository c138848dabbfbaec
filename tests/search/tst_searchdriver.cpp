#include "base/settings.h"
#include "base/pagesource.h"
#include "search/resultspagewriter.h"
#include "search/retailersearch.h"
#include "search/searchdriver.h"
#include "search/searchrequests.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"
#include "search/vantoryparser.h"
#include "searchpages.h"
#include "testfiles.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace SearchPages;

namespace
{

// Pages from memory, chosen by a part of the request address. A search's
// loads wait until the test answers them, in any order.
class MemoryPages : public IPageSource, public IAsyncPageSource
{
public:
    LoadedPage load(const QString &url) override
    {
        requests.append(url);
        return page(url);
    }

    quint64 start(const QString &url, Done done) override
    {
        requests.append(url);
        if (onLoad)
            onLoad(int(requests.size()), url);
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

    LoadedPage page(const QString &url) const
    {
        LoadedPage page;
        page.ok = true;
        page.httpStatus = 200;
        page.locationUrl = url;
        for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
            if (url.contains(it.key())) {
                page.body = it.value();
                break;
            }
        }
        if (redirectTo.contains(url))
            page.locationUrl = redirectTo.value(url);
        if (failing.contains(url)) {
            page.ok = false;
            page.httpStatus = 500;
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
    int maxPerHost = 0;            // most loads waiting at once for one host
    int maxWaiting = 0;            // and for all hosts
    QHash<QString, QString> pages; // address part -> body
    QHash<QString, QString> redirectTo;
    QStringList failing;
    QStringList requests;
    std::function<void(int, const QString &)> onLoad;
};

QString vantoryPage(const QString &tag, int hits)
{
    QString body = "<table>";
    for (int i = 1; i <= hits; ++i)
        body += vantoryHit(vantoryThumb(tag + QString::number(i)),
                           QString("%1 album %2").arg(tag).arg(i),
                           QString("%1 artist %2").arg(tag).arg(i));
    return body + "</table>";
}

QString brinsellPage(int hits)
{
    QString body;
    for (int i = 1; i <= hits; ++i)
        body += brinsellAdHit(brinsellPicture("ad_images", QString("b%1.jpg").arg(i)),
                              QString("B album %1").arg(i), QString("B artist %1").arg(i));
    return body;
}

SiteEndpoints sites()
{
    SiteEndpoints e;
    e.vantoryHost = "vantory.test";
    e.brinsellHost = "brinsell.test:8080";
    e.brinsellImageHost = kBrinsellImageHost;
    return e;
}

QString categoryPart(int genre)
{
    return QString("&CATEGORY_ID=%1&").arg(GenreCategoryId[std::size_t(genre)]);
}

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

    QString resultsFile = "results.html";
    QString resultsPath() const { return dir.filePath(resultsFile); }

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
        driver.start(criteria, sites(), io, resultsPath(), concurrency);
    }

    // A whole search, its pages answered oldest or newest first.
    SearchOutcome run(const SearchCriteria &criteria, int concurrency = 4, bool newestFirst = false)
    {
        start(criteria, concurrency);
        while (driver.running())
            pages.answer(newestFirst ? pages.waiting.size() - 1 : 0);
        return outcome;
    }

    QByteArray page() const { return TestFiles::readFile(resultsPath()); }
};

SearchCriteria music(std::initializer_list<int> genres, bool brinsell)
{
    SearchCriteria c;
    c.text = "Metallica";
    c.vantory = true;
    c.brinsell = brinsell;
    for (int g : genres)
        c.genres[std::size_t(g)] = true;
    return c;
}

PageHit hit(RetailerSite site, const QString &large, const QString &thumb, const QString &title,
            const QString &artist)
{
    PageHit h;
    h.site = site;
    h.largeUrl = large;
    h.thumbnailUrl = thumb;
    h.pictureMarkup = pictureMarkup(large, thumb);
    h.title = title;
    h.artist = artist;
    return h;
}

} // namespace

class SearchDriverTest : public QObject
{
    Q_OBJECT
private slots:
    void hitNumberText_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 1 << "0001";
        QTest::newRow("twelfth") << 12 << "0012";
        QTest::newRow("four digits") << 9999 << "9999";
        QTest::newRow("five digits") << 10000 << "10000";
    }

    void hitNumberText()
    {
        QFETCH(int, number);
        QTEST(ResultsPageWriter::hitNumberText(number), "text");
    }

    void pageWithRowsFromBothSites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("results.html");
        SearchResults results;
        ResultsPageWriter writer(results);
        QVERIFY(writer.open(path));
        writer.writeRow(hit(RetailerSite::Vantory, "http://v/a_500X500.jpg", "http://v/a_60X60.gif",
                            "Black", "Metallica"),
                        "R&&B/Soul");
        // Texts go in unchanged, markup and non-ASCII included (UTF-8 on disk).
        writer.writeRow(hit(RetailerSite::Brinsell, "http://b/large_images/x.jpg",
                            "http://b/prod_images/x.gif", QString::fromUtf8("Vårljus & <b>"),
                            QString::fromUtf8("Åsa <script>")),
                        "N/A");
        QVERIFY(writer.finish());

        // Both sites' blocks, spelled out in the file byte for byte.
        QCOMPARE(TestFiles::readFile(path),
                 TestFiles::readFile(QFINDTESTDATA("data/two_rows.html")));
    }

    void requestAddresses_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("vantory music")
            << vantoryMusicUrl("v.test", "Metallica", 4118)
            << "http://v.test/catalog/"
               "search-ng.gsp?dept=4104&search_query=Metallica&CATEGORY_ID=4118&cat=4118";
        QTest::newRow("surrounding blanks dropped, inner text unchanged")
            << vantoryMusicUrl("v.test", "  Marlow & Keys  ", 4116)
            << "http://v.test/catalog/search-ng.gsp?dept=4104&search_query=Marlow & "
               "Keys&CATEGORY_ID=4116&cat=4116";
        QTest::newRow("# sent as %23, the rest kept")
            << brinsellMusicUrl("b.test", "Sonata No. 14 in C# Minor")
            << "http://b.test/retail/searchresults.asp?querytype=music&qutype=&pagereq=1&alpha2=&"
               "alpha=&search_store=6&searchid=&qu=Sonata No. 14 in C%23 Minor=&mfgid=&deptid=&"
               "format=&formatid=&systid=&nrecpage=&loc=109&mfgnm=&cscat=&ra=&cvsnid=";
        QTest::newRow("vantory dvd")
            << vantoryDvdUrl("v.test:81", " Cold Creek")
            << "http://v.test:81/catalog/search-ng.gsp?dept=4096&search_query=Cold "
               "Creek&CATEGORY_ID=41938&cat=41938";
        QTest::newRow("brinsell music: = follows the text")
            << brinsellMusicUrl("b.test", "Black ")
            << "http://b.test/retail/"
               "searchresults.asp?querytype=music&qutype=&pagereq=1&alpha2=&alpha=&search_store=6&"
               "searchid=&qu=Black=&mfgid=&deptid=&format=&formatid=&systid=&nrecpage=&loc=109&"
               "mfgnm=&"
               "cscat=&ra=&cvsnid=";
        QTest::newRow("brinsell dvd")
            << brinsellDvdUrl("b.test", "Harbour Lights")
            << "http://b.test/retail/"
               "searchresults.asp?querytype=video_dvd&qutype=&pagereq=2&"
               "alpha2=&alpha=&search_store=4&searchid=&qu=Harbour "
               "Lights&orderby=&mfgid=&deptid=&format=16&formatid=&systid=&"
               "nrecpage=&loc=322&mfgnm=&cscat=&ra=&cvsnid=&sbxs=";
    }

    void requestAddresses()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void requestOrder_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("vantory");
        QTest::addColumn<bool>("brinsell");
        QTest::addColumn<QList<int>>("genres");
        QTest::addColumn<QStringList>("expected"); // address parts, in order
        QTest::newRow("Rock and Pop then Brinsell")
            << 0 << true << true << QList<int>{11, 0}
            << QStringList{"&CATEGORY_ID=4118&", "&CATEGORY_ID=4115&", "querytype=music"};
        QTest::newRow("Compilation is 51934")
            << 0 << true << false << QList<int>{17} << QStringList{"&CATEGORY_ID=51934&cat=51934"};
        QTest::newRow("Vantory music without genres asks nothing")
            << 0 << true << false << QList<int>{} << QStringList{};
        QTest::newRow("no site asks nothing")
            << 0 << false << false << QList<int>{0, 1} << QStringList{};
        QTest::newRow("genres ignored for Brinsell only")
            << 0 << false << true << QList<int>{0, 1} << QStringList{"querytype=music"};
        QTest::newRow("DVD ignores genres") << 1 << true << true << QList<int>{0}
                                            << QStringList{"dept=4096", "querytype=video_dvd"};
    }

    void requestOrder()
    {
        QFETCH(int, type);
        QFETCH(bool, vantory);
        QFETCH(bool, brinsell);
        QFETCH(QList<int>, genres);
        QFETCH(QStringList, expected);
        SearchCriteria c;
        c.text = "Metallica";
        c.type = type ? SearchType::DVD : SearchType::Music;
        c.vantory = vantory;
        c.brinsell = brinsell;
        c.amazon = true; // never searched
        for (int g : genres)
            c.genres[std::size_t(g)] = true;

        const QList<SearchRequest> plan = planRequests(c, sites());
        Harness h;
        h.run(c);
        QCOMPARE(h.pages.requests.size(), expected.size());
        QCOMPARE(plan.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QVERIFY2(h.pages.requests.at(i).contains(expected.at(i)),
                     qPrintable(h.pages.requests.at(i)));
            QCOMPARE(plan.at(i).url, h.pages.requests.at(i));
        }
        if (expected.isEmpty()) {
            QCOMPARE(h.page(),
                     QByteArray("<html> <head> <title>New Page 1</title> </head> <body>\r\n"
                                "</body> </html>\r\n"));
            QCOMPARE(h.statuses, (QStringList{"Searching...", "Results Found: 0"}));
        }
    }

    void pageAcceptance_data()
    {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<int>("request"); // genre index; -1 Vantory DVD; -2 Brinsell
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same address")
            << "http://v/c?CATEGORY_ID=4118&cat=4118" << 0 << true << true;
        QTest::newRow("id anywhere") << "http://v/4118/moved" << 0 << true << true;
        QTest::newRow("category lost")
            << "http://v/moved.gsp?CATEGORY_ID=moved" << 0 << true << false;
        QTest::newRow("dvd lost") << "http://v/c?cat=4193" << -1 << true << false;
        QTest::newRow("failed load") << "http://v/c?CATEGORY_ID=4118" << 0 << false << false;
        QTest::newRow("Brinsell anywhere") << "http://b/moved" << -2 << true << true;
        QTest::newRow("Brinsell failed load") << "http://b/x" << -2 << false << false;
    }

    void pageAcceptance()
    {
        QFETCH(QString, loaded);
        QFETCH(int, request);
        QFETCH(bool, ok);
        QFETCH(bool, accepted);
        SearchRequest r;
        r.site = request == -2 ? RetailerSite::Brinsell : RetailerSite::Vantory;
        r.type = request == -1 ? SearchType::DVD : SearchType::Music;
        r.genreIndex = request;
        LoadedPage page;
        page.ok = ok;
        page.locationUrl = loaded;
        QCOMPARE(RetailerSearch::accepted(r, page), accepted);
    }

    // The batch run's way: its own checks between requests, the hit count of each.
    void oneRequestAtATime()
    {
        MemoryPages pages;
        pages.pages.insert(categoryPart(0), vantoryPage("Rock", 2));
        pages.pages.insert(categoryPart(1), vantoryPage("Blues", 3));
        pages.pages.insert("querytype=music", brinsellPage(2));
        pages.failing.append(vantoryMusicUrl(sites().vantoryHost, "Metallica", 4105));
        QString artist;
        QList<PageHit> hits;
        const HitSink sink = [&](const PageHit &h) { hits.append(h); };
        RetailerSearch search(sites(), &pages, {}, artist, PageRules::Batch);
        const QList<SearchRequest> plan = search.plan(music({0, 1}, true));
        QCOMPARE(plan.size(), 3);
        QCOMPARE(search.search(plan[0], sink), 2);
        QCOMPARE(search.search(plan[1], sink), 0);
        QCOMPARE(search.search(plan[2], sink), 2);
        QCOMPARE(pages.requests.size(), 3);
        QCOMPARE(hits.size(), 4);
        QCOMPARE(hits[1].artist, "Rock artist 2");
        QCOMPARE(hits[2].title, "B album 1");
        QCOMPARE(hits[2].artist, "N/A");
        QCOMPARE(artist, "N/A");
    }

    // However many pages load at a time and in whatever order they come, the
    // rows and the status texts are those of one page after the other.
    void musicSearchOverTwoGenresAndBrinsell_data()
    {
        QTest::addColumn<int>("concurrency");
        QTest::addColumn<bool>("newestFirst");
        QTest::addColumn<int>("perHost"); // most loads at once for one host
        QTest::addColumn<int>("inAll");   // and for both
        QTest::newRow("one at a time") << 1 << false << 1 << 1;
        QTest::newRow("four at a time") << 4 << false << 4 << 5;
        QTest::newRow("four at a time, last page first") << 4 << true << 4 << 5;
        // The third genre waits for a place, and Brinsell, asked after it, too.
        QTest::newRow("two at a time, last page first") << 2 << true << 2 << 3;
    }

    void musicSearchOverTwoGenresAndBrinsell()
    {
        QFETCH(int, concurrency);
        QFETCH(bool, newestFirst);
        Harness h;
        h.pages.pages.insert(categoryPart(0), vantoryPage("Rock", 2));
        h.pages.pages.insert(categoryPart(1), vantoryPage("Blues", 3));
        h.pages.pages.insert(categoryPart(2), vantoryPage("Country", 4));
        h.pages.pages.insert(categoryPart(3), vantoryPage("Dance", 5));
        h.pages.pages.insert("querytype=music", brinsellPage(2));
        // Neither a page sent elsewhere nor one that failed to load gives hits.
        h.pages.redirectTo.insert(vantoryMusicUrl(sites().vantoryHost, "Metallica", 4109),
                                  "http://vantory.test/catalog/moved.gsp?CATEGORY_ID=moved");
        h.pages.failing.append(vantoryMusicUrl(sites().vantoryHost, "Metallica", 4110));
        const SearchOutcome out = h.run(music({0, 1, 2, 3}, true), concurrency, newestFirst);

        QCOMPARE(h.pages.requests.size(), 5);
        QTEST(h.pages.maxPerHost, "perHost");
        QTEST(h.pages.maxWaiting, "inAll");
        QCOMPARE(out.total, 7);
        QVERIFY(out.pageWritten);
        QCOMPARE(h.ends, 1);
        QCOMPARE(h.statuses, (QStringList{"Searching...", "Searching Rock...", "Searching Blues...",
                                          "Searching Country...", "Searching Dance...",
                                          "Searching Brinsell...", "Results Found: 7"}));
        QCOMPARE(h.shown, QStringList{h.resultsPath()});
        QVERIFY(h.page().contains(
            "<a href=\"0007http://images.brinsell.test/db_assets/large_images/b2.jpg\">"));
        QCOMPARE(h.state.results.count(), 7);
        QCOMPARE(h.state.results.album(3), "Blues album 1");
        QCOMPARE(h.state.results.artist(6), "B artist 1");
        QCOMPARE(h.state.results.picture(1), vantoryLargeUrl(vantoryThumb("Rock1")));
    }

    void cancel_data()
    {
        QTest::addColumn<QList<int>>("answered"); // loads answered before the click, in turn
        QTest::addColumn<int>("total");
        QTest::addColumn<QStringList>("statuses"); // after "Searching..."
        QTest::newRow("first page loading")
            << QList<int>{} << 0
            << QStringList{"Searching Rock...", "Search Aborted", "Results Found: 0"};
        // Jazz is in but waits for Dance, so it was never parsed.
        QTest::newRow("second page loading, third in")
            << QList<int>{2, 0} << 2
            << QStringList{"Searching Rock...", "Searching Dance...", "Search Aborted",
                           "Results Found: 2"};
    }

    void cancel()
    {
        QFETCH(QList<int>, answered);
        QFETCH(int, total);
        QFETCH(QStringList, statuses);
        Harness h;
        h.pages.pages.insert(categoryPart(0), vantoryPage("Rock", 2));
        h.pages.pages.insert(categoryPart(3), vantoryPage("Dance", 3));
        h.pages.pages.insert(categoryPart(4), vantoryPage("Jazz", 4));
        h.pages.pages.insert("querytype=music", brinsellPage(2));
        h.start(music({0, 3, 4}, true));
        for (int index : answered)
            h.pages.answer(index);
        // The pages before the one loading are in the file already.
        QCOMPARE(h.state.results.count(), total);
        h.driver.cancel();

        // Every load still out is given up at once, and the search is over.
        QVERIFY(h.pages.waiting.isEmpty());
        QVERIFY(!h.driver.running());
        QCOMPARE(h.ends, 1);
        QCOMPARE(h.pages.requests.size(), 4);
        QCOMPARE(h.statuses, QStringList{"Searching..."} + statuses);
        QCOMPARE(h.outcome.total, total);
        // Whole rows only.
        QCOMPARE(h.page().count("<table border=\"1\""), total);
        QCOMPARE(h.page().count("</table>"), total);
        QVERIFY(h.page().endsWith("</body> </html>\r\n"));
        QCOMPARE(h.shown.size(), 1);
    }

    void secondSearchReplacesTheFirst()
    {
        Harness h;
        h.pages.pages.insert(categoryPart(0), vantoryPage("Rock", 3));
        h.pages.pages.insert(categoryPart(1), vantoryPage("Blues", 1));
        QFile temp(h.dir.filePath("temp.html"));
        QVERIFY(temp.open(QIODevice::WriteOnly));
        temp.close();
        h.run(music({0}, false));
        QVERIFY(!temp.exists());
        QCOMPARE(h.state.results.count(), 3);

        // The old page is gone before the first request of the new search.
        bool oldPageGone = false;
        h.pages.onLoad = [&](int, const QString &) {
            oldPageGone = !h.page().contains("Rock album");
        };
        h.run(music({1}, false));
        QVERIFY(oldPageGone);
        QCOMPARE(h.state.results.count(), 1);
        QCOMPARE(h.state.results.album(1), "Blues album 1");
        QVERIFY(h.page().contains(
            "<a href=\"0001http://img.vantory.test/covers/Blues1_500X500.jpg\">"));
        QVERIFY(!h.page().contains("Rock album"));
    }

    void unwritableResultsPageIsReported()
    {
        Harness h;
        h.pages.pages.insert(categoryPart(0), vantoryPage("Rock", 2));
        h.resultsFile = "missing/results.html";
        const SearchOutcome out = h.run(music({0}, false));
        QVERIFY(!out.pageWritten);
        QVERIFY(!out.error.isEmpty());
        QVERIFY(h.shown.isEmpty());
        QCOMPARE(out.total, 2);
        QCOMPARE(h.statuses.last(), "Results Found: 2");
    }
};

QTEST_APPLESS_MAIN(SearchDriverTest)
#include "tst_searchdriver.moc"
