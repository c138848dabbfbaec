// The interactive search through the main window, against the simulator.

#include "base/appfolder.h"
#include "app/frmjacketeer.h"
#include "base/pagefetcher.h"
#include "base/settingsstore.h"
#include "app/websearchview.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>

#include <memory>

using TestFiles::readFile;

namespace
{

// Loads through a real fetcher and lets the test act while a page loads, as a
// user clicking during the wait would.
class SteppedPages : public IPageSource
{
public:
    LoadedPage load(const QString &url) override
    {
        requests.append(url);
        if (duringLoad)
            duringLoad(int(requests.size()));
        return fetcher.load(url);
    }
    PageFetcher fetcher;
    QStringList requests;
    std::function<void(int)> duringLoad;
};

QVariant runScript(WebSearchView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QTest::qWait(20);
    return result;
}

} // namespace

class SearchWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void musicSearchShowsThePage();
    void cancelDuringSecondOfThreeGenres();
    void hitTextsRunNoScript();
    void closingDuringSearchStopsItFirst();

private:
    void tick(std::initializer_list<int> genres, bool vantory, bool brinsell, bool music = true);

    QTemporaryDir m_dir;
    SimulatorProcess m_sim;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
    std::unique_ptr<frmJacketeer> m_window;
};

void SearchWindowTest::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("JACKETEER_APPDIR", m_dir.filePath(QStringLiteral("app")).toUtf8());
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
}

void SearchWindowTest::init()
{
    m_store = std::make_unique<SettingsStore>();
    m_sim.configureSites(*m_store);
    m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    m_window = std::make_unique<frmJacketeer>(m_store.get());
    m_window->resize(1100, 900);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void SearchWindowTest::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_store.reset();
}

void SearchWindowTest::tick(std::initializer_list<int> genres, bool vantory, bool brinsell,
                            bool music)
{
    m_window->optSearch[music ? 0 : 1]->setChecked(true);
    m_window->chkSite[0]->setChecked(vantory);
    m_window->chkSite[1]->setChecked(brinsell);
    for (QCheckBox *box : m_window->chkMusicG)
        box->setChecked(false);
    for (int g : genres)
        m_window->chkMusicG[std::size_t(g)]->setChecked(true);
    m_window->chkSite_Click(0);
}

void SearchWindowTest::musicSearchShowsThePage()
{
    tick({0, 12}, true, true);
    m_window->txtSearch->setText(QStringLiteral("Metallica"));
    SteppedPages pages;
    QStringList statuses;
    QStringList captions;
    pages.duringLoad = [&](int) {
        statuses.append(m_window->lblResults->text());
        captions.append(m_window->cmdSearch->text());
    };
    m_window->setPageSource(&pages);
    QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);

    QCOMPARE(statuses,
             (QStringList{"Searching Rock...", "Searching Classical...", "Searching Brinsell..."}));
    QCOMPARE(captions, (QStringList{"Cancel", "Cancel", "Cancel"}));
    QCOMPARE(m_window->lblResults->text(), QStringLiteral("Results Found: 10"));
    QCOMPARE(m_window->cmdSearch->text(), QStringLiteral("Search"));
    QVERIFY(!m_window->searchRunning());
    QCOMPARE(m_window->searchState().results.count(), 10);
    QCOMPARE(m_window->searchState().results.album(6), QStringLiteral("Black"));

    QByteArray expected = readFile(QFINDTESTDATA("data/metallica_music.html"));
    expected.replace("@HOST@", m_sim.hostPort().toLatin1());
    QCOMPARE(readFile(appFile(QStringLiteral("results.html"))), expected);

    // The view shows the page with every thumbnail loaded.
    // The view may still be finishing the start-up blank page first.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->websearch->url(),
                              QUrl::fromLocalFile(appFile(QStringLiteral("results.html"))), 15000);
    QVERIFY(m_window->websearch->waitForLoad(15000));
    QTRY_COMPARE_WITH_TIMEOUT(
        runScript(m_window->websearch,
                  QStringLiteral("Array.from(document.images).filter(i => i.complete && "
                                 "i.naturalWidth > 0).length"))
            .toInt(),
        10, 15000);
    QCOMPARE(m_window->websearch->formChecks(QStringLiteral("C1")).size(), 10);
    // A look at the window for people: JACKETEER_SHOT=/tmp/shot.png under Xvfb.
    if (qEnvironmentVariableIsSet("JACKETEER_SHOT")) {
        QTest::qWait(1500);
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"),
                           qEnvironmentVariable("JACKETEER_SHOT")});
    }
}

void SearchWindowTest::cancelDuringSecondOfThreeGenres()
{
    // Rock, Country and Classical; Metallica has hits in Rock and Classical.
    tick({0, 2, 12}, true, true);
    m_window->txtSearch->setText(QStringLiteral("Metallica"));
    SteppedPages pages;
    QStringList statuses;
    pages.duringLoad = [&](int n) {
        if (n == 2) {
            QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);
            QCOMPARE(m_window->lblResults->text(), QStringLiteral("Search Aborted"));
            QCOMPARE(m_window->cmdSearch->text(), QStringLiteral("Search"));
            // A click while the cancelled search winds down starts nothing.
            QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);
            m_window->cmdSearch_Click();
        }
        statuses.append(m_window->lblResults->text());
    };
    m_window->setPageSource(&pages);
    QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);

    // Rock (4 hits), Country (none) and then Brinsell, parsed in full (5).
    QCOMPARE(pages.requests.size(), 3);
    QVERIFY(pages.requests.at(1).contains(QLatin1String("CATEGORY_ID=4109")));
    QVERIFY(pages.requests.at(2).contains(QLatin1String("querytype=music")));
    QCOMPARE(statuses,
             (QStringList{"Searching Rock...", "Search Aborted", "Searching Brinsell..."}));
    QCOMPARE(m_window->lblResults->text(), QStringLiteral("Results Found: 9"));
    QCOMPARE(m_window->cmdSearch->text(), QStringLiteral("Search"));
    QVERIFY(m_window->cmdSearch->isEnabled());
    const QByteArray page = readFile(appFile(QStringLiteral("results.html")));
    QVERIFY(!page.contains(">Classical</td>"));
    QCOMPARE(page.count("<table border=\"1\""), 9);
}

void SearchWindowTest::hitTextsRunNoScript()
{
    tick({0}, true, true);
    m_window->txtSearch->setText(QStringLiteral("Injection Test"));
    m_window->setPageSource(nullptr);
    QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);
    QCOMPARE(m_window->lblResults->text(), QStringLiteral("Results Found: 2"));
    // Written unchanged ...
    const QByteArray page = readFile(appFile(QStringLiteral("results.html")));
    QVERIFY(page.contains("<td width=\"120\" height=\"50\" align=\"center\"><script>document.title="
                          "'sim-injected'</script><img src=x onerror=\"document.title='sim-"
                          "injected'\">Script Kiddies</td>"));
    // ... and never run: the title stays the page's own.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->websearch->url(),
                              QUrl::fromLocalFile(appFile(QStringLiteral("results.html"))), 15000);
    QVERIFY(m_window->websearch->waitForLoad(15000));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->websearch->title(), QStringLiteral("New Page 1"), 15000);
    QTest::qWait(500);
    QCOMPARE(runScript(m_window->websearch, QStringLiteral("document.title")).toString(),
             QStringLiteral("New Page 1"));
    QCOMPARE(m_window->websearch->title(), QStringLiteral("New Page 1"));
}

void SearchWindowTest::closingDuringSearchStopsItFirst()
{
    tick({0, 12}, true, true);
    m_window->txtSearch->setText(QStringLiteral("Metallica"));
    SteppedPages pages;
    bool closedDuringLoad = true;
    pages.duringLoad = [&](int n) {
        if (n == 1) {
            m_window->close();
            // Not closed yet: the search is still on the stack.
            closedDuringLoad = !m_window->searchRunning();
        }
    };
    m_window->setPageSource(&pages);
    m_store->write(QStringLiteral("Vantory"), QStringLiteral("0"));
    QTest::mouseClick(m_window->cmdSearch, Qt::LeftButton);

    QVERIFY(!closedDuringLoad);
    // Nothing more was requested, not even Brinsell.
    QCOMPARE(pages.requests.size(), 1);
    QVERIFY(!m_window->searchRunning());
    QVERIFY(!m_window->isVisible());
    // The close completes once the handler has returned: the criteria are
    // written as at any close.
    QTRY_COMPARE(m_store->read(QStringLiteral("Vantory"), QString()), QStringLiteral("1"));
}

JACKETEER_GUI_TEST_MAIN(SearchWindowTest)
#include "tst_searchwindow.moc"
