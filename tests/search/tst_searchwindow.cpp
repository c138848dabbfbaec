// The main window's search, Quick Save and compare, and the compare window,
// against the retailer simulator.
#include "app/frmjacketeer.h"
#include "app/quicksaveactions.h"
#include "app/websearchview.h"
#include "base/appfolder.h"
#include "base/downloadservice.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "cover/frmcompare.h"
#include "cover/picturefacts.h"
#include "controltext.h"
#include "guitestmain.h"
#include "pagescript.h"
#include "recordingmessagebox.h"
#include "search/searchdriver.h"
#include "simulatorprocess.h"
#include "testfiles.h"
#include "testfolders.h"
#include "widgets/dirlistbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using TestFiles::writePicture;

namespace
{

// Loads through a real fetcher and notes how many loads were out at once.
class WatchedPages : public IAsyncPageSource
{
public:
    quint64 start(const QString &url, Done done) override
    {
        started.append(url);
        maxInFlight = qMax(maxInFlight, fetcher.pending() + 1);
        return fetcher.start(url, std::move(done));
    }
    void abort(quint64 load) override { fetcher.abort(load); }

    PageFetcher fetcher;
    QStringList started;
    int maxInFlight = 0;
};

} // namespace

class tst_SearchWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_folder = m_root.path("music/Size Test");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    }

    void init()
    {
        m_store = std::make_unique<Settings>();
        m_sim.configureSites(*m_store);
        m_store->setNumber(Keys::SearchConcurrency, 4);
        m_boxes = std::make_unique<ScopedRecordingMessageBox>();
        for (const QString &f : QDir(m_folder).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(m_folder + '/' + f);
        QFile::remove(appFile("compare1.jpg"));
        QFile::remove(appFile("compare2.jpg"));
        m_window = std::make_unique<frmJacketeer>(m_store.get());
        m_window->resize(1100, 900);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        modJacketeer().qsName = "@artist@ - @album@";
        QVERIFY(m_window->dirSearch->setPath(m_root.path("music")));
        QVERIFY(m_window->dirSearch->highlight(m_folder));
    }

    void cleanup()
    {
        frmCompare::setExecFunction({});
        frmCompare::closeAll();
        m_window.reset();
        m_boxes.reset();
        m_store.reset();
    }

    // Whole searches through the real fetcher, four pages at a time: the
    // results pages match the expected files where given. The parsers' and
    // the fetcher's own cases (quoting, cut pages, failed loads, redirects)
    // are tested where they live.
    void wholePagesThroughTheFetcher_data()
    {
        TestFiles::addTableRows("simulator-searches.tsv",
                                {"type", "genres", "text", "expectedFile", "statuses"});
    }

    void wholePagesThroughTheFetcher()
    {
        QFETCH(QString, type);
        QFETCH(QString, genres);
        QFETCH(QString, text);
        QFETCH(QString, expectedFile);
        QFETCH(QString, statuses);
        SearchCriteria criteria;
        criteria.text = text;
        criteria.type = type == "DVD" ? SearchType::DVD : SearchType::Music;
        criteria.vantory = criteria.brinsell = true;
        for (const QString &g : genres.split(' '))
            criteria.genres[std::size_t(g.toInt())] = true;
        SiteEndpoints sites;
        sites.vantoryHost = sites.brinsellHost = sites.brinsellImageHost = m_sim.hostPort();

        const QString path = appFile("results.html");
        SearchState state;
        SearchDriver driver(state);
        WatchedPages pages;
        pages.fetcher.setTimeoutMs(1000);
        QStringList seen;
        SearchIo io;
        io.pages = &pages;
        io.status = [&seen](const QString &s) { seen.append(s); };
        driver.start(criteria, sites, io, path, 4);
        QTRY_VERIFY_WITH_TIMEOUT(!driver.running(), 15000);

        QCOMPARE(seen, statuses.split(" ; "));
        QCOMPARE(pages.maxInFlight, qMin(4, int(pages.started.size())));
        const QByteArray written = TestFiles::readFile(path);
        QCOMPARE(state.results.count(), written.count("<table border=\"1\""));
        if (expectedFile == "-")
            return;
        QByteArray expected = TestFiles::readFile(TestFiles::testData("results/" + expectedFile));
        QCOMPARE(written, expected.replace("@HOST@", m_sim.hostPort().toLatin1()));
    }

    void musicSearchShowsThePage()
    {
        chooseCriteria({0, 12}, true, true);
        m_window->txtSearch->setText("Metallica");
        m_store->setNumber(Keys::SearchConcurrency, 2);
        WatchedPages pages;
        m_window->setPageSource(&pages);
        QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);

        // The search goes on from the event loop, the results view starting beside it.
        QCOMPARE(m_window->cmdSearch->text(), "Cancel");
        QVERIFY(m_window->websearch->engineStarted());
        QCOMPARE(pages.maxInFlight, 2);
        QTRY_COMPARE(m_window->lblResults->text(), "Results Found: 10");
        QCOMPARE(m_window->cmdSearch->text(), "Search");

        // The view shows the page with every thumbnail loaded.
        QTRY_COMPARE_WITH_TIMEOUT(m_window->websearch->url(),
                                  QUrl::fromLocalFile(appFile("results.html")), 15000);
        QVERIFY(m_window->websearch->waitForLoad(15000));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate("Array.from(document.images).filter(i => i.complete && "
                                           "i.naturalWidth > 0).length")
                                      .toInt(),
                                  10, 15000);
        QCOMPARE(m_window->websearch->formChecks("C1").size(), 10);
    }

    // Cancel and closing give up every page still loading at once: the window
    // does not wait for Country's slow page.
    void cancelOrCloseDuringSecondOfThreeGenres_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("cancel") << false;
        QTest::newRow("close") << true;
    }

    void cancelOrCloseDuringSecondOfThreeGenres()
    {
        QFETCH(bool, close);
        // Rock, Country and Classical; Metallica has hits in Rock and Classical.
        chooseCriteria({0, 2, 12}, true, true);
        m_window->txtSearch->setText("Metallica simonlycountry simslow5000");
        QFile::remove(appFile("results.html"));
        m_store->setOn(Keys::Vantory, false);
        QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);
        QTRY_COMPARE(m_window->lblResults->text(), "Searching Country...");
        if (close)
            m_window->close();
        else
            QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);

        QVERIFY(!m_window->searchRunning());
        QCOMPARE(m_window->WebBrowser1->pending(), 0);
        QCOMPARE(m_window->cmdSearch->text(), "Search");
        // Rock's four rows, whole; Classical and Brinsell, though in, were not parsed.
        QCOMPARE(m_window->searchState().results.count(), 4);
        const QByteArray page = TestFiles::readFile(appFile("results.html"));
        QCOMPARE(page.count("</table>"), 4);
        QVERIFY(page.endsWith("</body> </html>\r\n"));
        QCOMPARE(m_window->lblResults->text(), close ? "Searching Country..." : "Results Found: 4");
        QCOMPARE(m_window->isVisible(), !close);
        // A close writes the criteria as at any close.
        QCOMPARE(m_store->stored(Keys::Vantory), close ? "1" : "0");
    }

    // A Quick Save link saves into the highlighted folder, here over a picture
    // after a compare; the other cases of a picture in the way are tested on
    // the cover file and the file operations.
    void quickSaveIntoHighlightedFolder()
    {
        const QString name = "Size Test - Square 300.jpg";
        TestFiles::writePicture(m_folder + '/' + name, 40, 40, Qt::magenta);
        m_boxes->box.answers = {MsgAnswer::Yes};
        QStringList shownRes;
        frmCompare::setExecFunction([&](frmCompare &c) {
            shownRes = {c.lblRes[0]->text(), c.lblRes[1]->text(), c.lblRec[0]->text(),
                        c.lblRec[1]->text()};
            c.cmdQuickSave[1]->click();
        });
        search("Size Test");
        if (QTest::currentTestFailed())
            return;
        // The second hit's "Quick Save" link: Square 300.
        evaluate(
            "Array.from(document.links).filter(a => a.textContent == 'Quick Save')[1].click()");
        // The save runs to its end within the event processing that shows the question.
        QTRY_VERIFY_WITH_TIMEOUT(!m_boxes->box.shown.isEmpty(), 15000);
        QCOMPARE(m_boxes->box.shown[0].text, "Cover Art already exists in this folder.  Do you "
                                             "want to compare the Cover Art before replacing?");
        QCOMPARE(pictureSize(name), QSize(300, 300));
        QCOMPARE(shownRes, (QStringList{"40x40", "300x300", "NO", "YES"}));
        QCOMPARE(m_boxes->box.shown.size(), 1);
        // The results page stays on show; the compare window alone was closed.
        QTest::qWait(200);
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->websearch->url().toLocalFile().endsWith("results.html"));

        // A click on a thumbnail shows the large picture and saves nothing.
        evaluate("document.links[0].click()");
        QTRY_VERIFY_WITH_TIMEOUT(m_window->websearch->url().scheme() == "http", 15000);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(m_boxes->box.shown.size(), 1);
    }

    void compareTwoAndSave()
    {
        search("Size Test");
        if (QTest::currentTestFailed())
            return;
        // Wide 500x400, Tall 400x500
        evaluate("for (const f of [2, 3]) document.forms[f].elements['C1'].checked = true");
        m_window->lblResults->setText("Results Found: 6");
        QStringList statusDuringDownloads;
        setDownloadFunction([&](const QString &url, const QString &path) {
            statusDuringDownloads.append(m_window->lblResults->text());
            return defaultDownloadService().download(url, path).ok() ? 0 : 1;
        });
        m_window->cmdCompare->click();
        setDownloadFunction({});
        QCOMPARE(statusDuringDownloads, QStringList(2, "Preparing Picture Comapre..."));
        frmCompare *c = openCompareWindow();
        QVERIFY(c);
        QVERIFY(m_boxes->box.shown.isEmpty());
        QCOMPARE(m_window->lblResults->text(), "Results Found: 6");
        QCOMPARE(c->lblRes[0]->text(), "500x400");
        QCOMPARE(c->lblRes[1]->text(), "400x500");
        QCOMPARE(c->lblRec[0]->text(), "YES");
        QCOMPARE(c->lblRec[1]->text(), "NO");

        QPointer<frmCompare> guard(c);
        c->cmdQuickSave[1]->click();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(pictureSize("Size Test - Tall 400x500.jpg"), QSize(400, 500));
        QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 1);

        // A new search fills new lists while the old page is still on show:
        // the ticks there are refused.
        m_window->searchState().results.clear();
        m_window->cmdCompare->click();
        QCOMPARE(m_boxes->box.shown.size(), 1);
        QCOMPARE(
            m_boxes->box.shown[0].text,
            "The results on show belong to an earlier search.  Please search again and tick the "
            "pictures to compare in the new results.");
        QVERIFY(!openCompareWindow());
    }

    void secondClickDuringASaveIsIgnored()
    {
        SearchResults results;
        results.add("Copper Valley", "Dust Roads", "http://img/1.jpg");
        const QString link = "0001http://img/1.jpg";
        int downloads = 0;
        const auto saveWith = [&](int side, bool clickAgain) {
            // Were a second click run, the first would then find its picture there.
            m_boxes->box.answers = {MsgAnswer::No};
            setDownloadFunction([&, side, clickAgain](const QString &, const QString &path) {
                // The second click of a double click arrives while the picture loads.
                if (++downloads == 1 && clickAgain)
                    quickSaveLink(m_window.get(), link, results, m_folder);
                TestFiles::writePicture(path, side, side);
                return 0;
            });
            quickSaveLink(m_window.get(), link, results, m_folder);
            setDownloadFunction({});
        };
        saveWith(40, true);
        QCOMPARE(downloads, 1);
        QVERIFY(m_boxes->box.shown.isEmpty());
        QCOMPARE(pictureSize("Copper Valley - Dust Roads.jpg"), QSize(40, 40));
        // A later click saves again.
        saveWith(60, false);
        QCOMPARE(downloads, 2);
        QCOMPARE(pictureSize("Copper Valley - Dust Roads.jpg"), QSize(60, 60));

        // A new search filled new lists while the old page is still on show.
        m_boxes->box.shown.clear();
        quickSaveLink(m_window.get(), "0001http://img/2.jpg", results, m_folder);
        QCOMPARE(m_boxes->box.shown.size(), 1);
        QCOMPARE(
            m_boxes->box.shown[0].text,
            "This Quick Save link belongs to an earlier search.  Please search again and use the "
            "links of the new results.");
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // Picture Two may be gone; Picture One's labels with a second picture are
    // checked through compareTwoAndSave.
    void showsBothPictures()
    {
        // Measured and shown upright: stored 400x200 with EXIF orientation 6.
        QVERIFY(QFile::copy(TestFiles::testData("pictures/exif6-400x200.jpg"),
                            appFile("compare1.jpg")));
        frmCompare w;
        QCOMPARE(w.windowTitle(), "Jacketeer - Compare Art");
        compareCaptions(&w, "compare-captions.tsv");
        QCOMPARE(w.findChild<QLabel *>("picPic(0)")->pixmap().size(), QSize(200, 400));
        QCOMPARE(w.findChild<QLabel *>("picPic(1)")->size(), QSize(0, 0));
    }

    void replaceModeAnswer_data()
    {
        QTest::addColumn<int>("press"); // -1: close box
        QTest::addColumn<bool>("keep");
        QTest::newRow("Picture One keeps") << 0 << true;
        QTest::newRow("Picture Two replaces") << 1 << false;
        QTest::newRow("close box keeps") << -1 << true;
    }

    // The real modal window, answered as a user would while it waits.
    void replaceModeAnswer()
    {
        QFETCH(int, press);
        QFETCH(bool, keep);
        writePicture(appFile("compare1.jpg"), 300, 300, Qt::blue);
        writePicture(appFile("compare2.jpg"), 500, 500, Qt::green);
        QString seenRes;
        bool stuck = false;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            auto *w = qobject_cast<frmCompare *>(QApplication::activeModalWidget());
            if (!w || !w->isVisible())
                return;
            stuck = !seenRes.isEmpty(); // the answer did not close it
            seenRes = w->lblRes[0]->text();
            if (press >= 0 && !stuck)
                w->cmdQuickSave[std::size_t(press)]->click();
            else
                w->close();
        });
        user.start(20);
        QCOMPARE(frmCompare::replaceHook(nullptr)(appFile("compare1.jpg"), appFile("compare2.jpg")),
                 keep);
        QVERIFY(!stuck);
        QCOMPARE(seenRes, "300x300");
    }

    // A save that fails leaves the two-hit window open; a replace compare
    // opened and closed meanwhile leaves it saving.
    void twoHitWindowKeepsItsModeAfterAReplaceCompare()
    {
        QTemporaryDir work;
        QString folder = work.filePath("gone");
        writePicture(appFile("compare1.jpg"), 500, 500, Qt::red);
        writePicture(appFile("compare2.jpg"), 300, 300, Qt::blue);
        QPointer<frmCompare> w = frmCompare::openTwoHit(
            {ComparedHit{1, "Neon Parade", "Night Shift", ""}, ComparedHit{2, "C", "D", ""}},
            [&] { return folder; }, nullptr);
        QVERIFY(!w->isModal());
        w->cmdQuickSave[0]->click();
        QVERIFY(!w.isNull() && w->isVisible());
        QCOMPARE(m_boxes->box.shown.size(), 1);
        QCOMPARE(m_boxes->box.shown[0].title, "Save Error");
        folder = work.path();
        frmCompare::setExecFunction([](frmCompare &c) { c.close(); });
        QVERIFY(frmCompare::compareForReplace(nullptr));
        w->cmdQuickSave[0]->click();
        QTRY_VERIFY(w.isNull());
        QCOMPARE(m_boxes->box.shown.size(), 1);
        QCOMPARE(QImage(work.filePath("Neon Parade - Night Shift.jpg")).size(), QSize(500, 500));
        QCOMPARE(QDir(work.path()).entryList(QDir::Files),
                 QStringList{"Neon Parade - Night Shift.jpg"});
    }

private:
    // Music on the chosen sites and genres.
    void chooseCriteria(std::initializer_list<int> genres, bool vantory, bool brinsell)
    {
        m_window->optSearch[0]->setChecked(true);
        m_window->chkSite[0]->setChecked(vantory);
        m_window->chkSite[1]->setChecked(brinsell);
        for (QCheckBox *box : m_window->chkMusicG)
            box->setChecked(false);
        for (int g : genres)
            m_window->chkMusicG[std::size_t(g)]->setChecked(true);
        m_window->chkSite_Click(0);
    }

    // Searches the simulator's Vantory Rock pages for text; the page shows afterwards.
    void search(const QString &text)
    {
        chooseCriteria({0}, true, false); // Rock on Vantory
        m_window->txtSearch->setText(text);
        m_window->cmdSearch_Click();
        // The blank page of the start may still be finishing when the search ends.
        QTRY_VERIFY_WITH_TIMEOUT(m_window->websearch->url().isLocalFile(), 15000);
        QVERIFY(m_window->websearch->waitForLoad(15000));
        // The load signal may belong to the blank page; wait for the hits themselves.
        const int hits = m_window->searchState().results.count();
        QTRY_COMPARE_WITH_TIMEOUT(evaluate("Array.from(document.links).filter(function(a){"
                                           "return a.textContent=='Quick Save';}).length")
                                      .toInt(),
                                  hits, 15000);
    }

    QVariant evaluate(const QString &script)
    {
        return runScript(m_window->websearch->page(), script);
    }

    QSize pictureSize(const QString &name) const { return QImage(m_folder + '/' + name).size(); }

    // The open two-hit compare window, if any.
    frmCompare *openCompareWindow() const
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *c = qobject_cast<frmCompare *>(w); c && c->isVisible())
                return c;
        }
        return nullptr;
    }

    TestFolders m_root;
    SimulatorProcess m_sim;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
    std::unique_ptr<frmJacketeer> m_window;
    QString m_folder;
};

JACKETEER_GUI_TEST_MAIN(tst_SearchWindow)
#include "tst_searchwindow.moc"
