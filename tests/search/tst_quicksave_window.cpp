// Quick Save and Compare through the real main window against the retailer simulator.
#include "widgets/dirlistbox.h"
#include "base/downloadservice.h"
#include "app/frmjacketeer.h"
#include "base/modjacketeer.h"
#include "base/settingsstore.h"
#include "app/websearchview.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "search/frmcompare.h"
#include "app/quicksaveactions.h"
#include "search/quicksavetexts.h"
#include "search/searchdriver.h"
#include "simulatorprocess.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>

#include <memory>

namespace T = QuickSaveTexts;

class tst_QuickSaveWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void savesIntoHighlightedFolder();
    void existingPicture_data();
    void existingPicture();
    void refusedDownloads_data();
    void refusedDownloads();
    void linkOfEarlierSearchIsRefused();
    void thumbnailIsNotSaved();
    void compareTicked_data();
    void compareTicked();
    void compareTwoAndSave();
    void compareOnEarlierResultsIsRefused();
    void secondClickDuringASaveIsIgnored();

private:
    // Searches the simulator's Vantory Rock pages for text; the page shows afterwards.
    void search(const QString &text);
    // Clicks the k-th "Quick Save" link (from 0) of the shown page.
    void clickQuickSave(int k);
    void tick(const QList<int> &forms);
    void runScript(const QString &script);
    QVariant evaluate(const QString &script);
    void putPicture(const QString &name, int side);
    QSize pictureSize(const QString &name) const;
    // The open two-hit compare window, if any.
    frmCompare *openCompareWindow() const;

    QTemporaryDir m_root;
    SimulatorProcess m_sim;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<frmJacketeer> m_window;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
    QString m_folder;
};

void tst_QuickSaveWindow::initTestCase()
{
    QVERIFY(m_root.isValid());
    for (const char *d : {"config", "app", "music/Size Test"})
        QVERIFY(QDir(m_root.path()).mkpath(d));
    qputenv("XDG_CONFIG_HOME", (m_root.path() + "/config").toLocal8Bit());
    qputenv("JACKETEER_APPDIR", (m_root.path() + "/app").toLocal8Bit());
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    m_folder = m_root.path() + "/music/Size Test";
}

void tst_QuickSaveWindow::init()
{
    m_store = std::make_unique<SettingsStore>();
    m_sim.configureSites(*m_store);
    m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    for (const QString &f : QDir(m_folder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(m_folder + '/' + f);
    m_window = std::make_unique<frmJacketeer>(m_store.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    modJacketeer().qsName = QStringLiteral("@artist@ - @album@");
    QVERIFY(m_window->dirSearch->setPath(m_root.path() + "/music"));
    QVERIFY(m_window->dirSearch->highlight(m_folder));
    QCOMPARE(m_window->dirSearch->highlightedPath(), m_folder);
}

void tst_QuickSaveWindow::cleanup()
{
    frmCompare::setExecFunction({});
    frmCompare::closeAll();
    m_window.reset();
    m_boxes.reset();
    m_store.reset();
}

void tst_QuickSaveWindow::search(const QString &text)
{
    frmJacketeer &w = *m_window;
    w.txtSearch->setText(text);
    w.optSearch[0]->setChecked(true);
    w.chkSite[0]->setChecked(true);
    w.chkSite[1]->setChecked(false);
    for (QCheckBox *g : w.chkMusicG)
        g->setChecked(false);
    w.chkMusicG[0]->setChecked(true); // Rock
    w.cmdSearch_Click();
    // The blank page of the start may still be finishing when the search ends.
    QTRY_VERIFY_WITH_TIMEOUT(w.websearch->url().isLocalFile(), 15000);
    QVERIFY(w.websearch->waitForLoad(15000));
    // The load signal may belong to the blank page; wait for the hits themselves.
    const int hits = w.searchState().results.count();
    QTRY_COMPARE_WITH_TIMEOUT(evaluate("Array.from(document.links).filter(function(a){"
                                       "return a.textContent=='Quick Save';}).length")
                                  .toInt(),
                              hits, 15000);
}

void tst_QuickSaveWindow::runScript(const QString &script)
{
    // The answer may come after a failed wait, so it must not point into this frame.
    auto done = std::make_shared<bool>(false);
    m_window->websearch->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                               [done](const QVariant &) { *done = true; });
    QTRY_VERIFY(*done);
}

QVariant tst_QuickSaveWindow::evaluate(const QString &script)
{
    auto answer = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    m_window->websearch->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                               [answer](const QVariant &v) {
                                                   answer->first = true;
                                                   answer->second = v;
                                               });
    QElapsedTimer t;
    t.start();
    while (!answer->first && t.elapsed() < 5000)
        QTest::qWait(10);
    return answer->second;
}

void tst_QuickSaveWindow::clickQuickSave(int k)
{
    runScript(QStringLiteral("Array.from(document.links).filter(function(a){"
                             "return a.textContent=='Quick Save';})[%1].click()")
                  .arg(k));
}

void tst_QuickSaveWindow::tick(const QList<int> &forms)
{
    for (int f : forms)
        runScript(QStringLiteral("document.forms[%1].elements['C1'].checked=true").arg(f));
}

void tst_QuickSaveWindow::putPicture(const QString &name, int side)
{
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    QVERIFY(picture.save(m_folder + '/' + name, "JPG"));
}

QSize tst_QuickSaveWindow::pictureSize(const QString &name) const
{
    return QImage(m_folder + '/' + name).size();
}

frmCompare *tst_QuickSaveWindow::openCompareWindow() const
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *c = qobject_cast<frmCompare *>(w); c && c->isVisible())
            return c;
    }
    return nullptr;
}

void tst_QuickSaveWindow::savesIntoHighlightedFolder()
{
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    clickQuickSave(0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_folder + "/Size Test - Square 500.jpg"), 15000);
    QCOMPARE(pictureSize("Size Test - Square 500.jpg"), QSize(500, 500));
    QVERIFY(m_boxes->box.shown.isEmpty());
    // The results page stays on show.
    QTest::qWait(200);
    QVERIFY(m_window->websearch->url().isLocalFile());
    QVERIFY(m_window->websearch->url().toLocalFile().endsWith("results.html"));
}

void tst_QuickSaveWindow::existingPicture_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("press"); // compare window: 0, 1, or -1 for the close box
    QTest::addColumn<int>("expectedSide");
    QTest::newRow("Yes, Picture Two chosen") << int(MsgAnswer::Yes) << 1 << 300;
    QTest::newRow("Yes, window closed") << int(MsgAnswer::Yes) << -1 << 40;
}

void tst_QuickSaveWindow::existingPicture()
{
    QFETCH(int, answer);
    QFETCH(int, press);
    QFETCH(int, expectedSide);
    modJacketeer().qsName = QStringLiteral("folder");
    putPicture("folder.jpg", 40);
    QFile::setPermissions(m_folder + "/folder.jpg", QFileDevice::ReadOwner);
    m_boxes->box.answers = {MsgAnswer(answer)};
    QStringList shownRes;
    bool compared = false;
    frmCompare::setExecFunction([&](frmCompare &c) {
        compared = true;
        shownRes = {c.lblRes[0]->text(), c.lblRes[1]->text(), c.lblRec[0]->text(),
                    c.lblRec[1]->text()};
        if (press >= 0)
            c.cmdQuickSave[std::size_t(press)]->click();
        else
            c.close();
    });
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    clickQuickSave(1); // Square 300
    // The save runs to its end within the event processing that shows the question.
    QTRY_VERIFY_WITH_TIMEOUT(!m_boxes->box.shown.isEmpty(), 15000);
    QCOMPARE(m_boxes->box.shown[0].text, T::replaceQuestion);
    QCOMPARE(pictureSize("folder.jpg"), QSize(expectedSide, expectedSide));
    QCOMPARE(compared, answer == int(MsgAnswer::Yes));
    if (compared)
        QCOMPARE(shownRes, (QStringList{"40x40", "300x300", "NO", "YES"}));
    QCOMPARE(m_boxes->box.shown.size(), 1);
    QVERIFY(QFileInfo(m_folder + "/folder.jpg").permissions() & QFileDevice::WriteOwner);
}

void tst_QuickSaveWindow::refusedDownloads_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<QString>("text");
    QTest::newRow("1x1 placeholder") << 4 << T::emptyPicture;
    QTest::newRow("missing picture") << 5 << T::downloadFailed;
}

void tst_QuickSaveWindow::refusedDownloads()
{
    QFETCH(int, link);
    QFETCH(QString, text);
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    clickQuickSave(link);
    QTRY_VERIFY_WITH_TIMEOUT(!m_boxes->box.shown.isEmpty(), 15000);
    QCOMPARE(m_boxes->box.shown[0].text, text);
    QCOMPARE(m_boxes->box.shown[0].title, T::downloadErrorTitle);
    QVERIFY(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_QuickSaveWindow::linkOfEarlierSearchIsRefused()
{
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    // A new search fills new lists while the old page is still on show.
    m_window->searchState().results.clear();
    m_window->searchState().results.add("Other", "Album", "http://elsewhere/x.jpg");
    clickQuickSave(0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_boxes->box.shown.isEmpty(), 15000);
    QCOMPARE(m_boxes->box.shown[0].text, T::staleLink);
    QVERIFY(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_QuickSaveWindow::thumbnailIsNotSaved()
{
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    runScript("document.links[0].click()");
    QTRY_VERIFY_WITH_TIMEOUT(m_window->websearch->url().scheme() == "http", 15000);
    QVERIFY(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(m_boxes->box.shown.isEmpty());
}

void tst_QuickSaveWindow::compareTicked_data()
{
    QTest::addColumn<QList<int>>("forms");
    QTest::addColumn<QString>("text");
    QTest::newRow("three") << QList<int>{0, 1, 2} << T::tooManyTicked;
    QTest::newRow("one") << QList<int>{3} << T::tooFewTicked;
}

void tst_QuickSaveWindow::compareTicked()
{
    QFETCH(QList<int>, forms);
    QFETCH(QString, text);
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    tick(forms);
    m_window->lblResults->setText("Results Found: 6");
    m_window->cmdCompare->click();
    QCOMPARE(m_boxes->box.shown.size(), 1);
    QCOMPARE(m_boxes->box.shown[0].text, text);
    QCOMPARE(m_boxes->box.shown[0].title, T::errorTitle);
    QCOMPARE(int(m_boxes->box.shown[0].icon), int(MsgIcon::Exclamation));
    QVERIFY(!openCompareWindow());
    QCOMPARE(m_window->lblResults->text(), "Results Found: 6");
}

void tst_QuickSaveWindow::compareTwoAndSave()
{
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    tick({2, 3}); // Wide 500x400, Tall 400x500
    m_window->lblResults->setText("Results Found: 6");
    QStringList statusDuringDownloads;
    setDownloadFunction([&](const QString &url, const QString &path) {
        statusDuringDownloads.append(m_window->lblResults->text());
        return defaultDownloadService().download(url, path).ok() ? 0 : 1;
    });
    m_window->cmdCompare->click();
    setDownloadFunction({});
    QCOMPARE(statusDuringDownloads, QStringList(2, T::preparingCompare));
    frmCompare *c = openCompareWindow();
    QVERIFY(c);
    QVERIFY(m_boxes->box.shown.isEmpty());
    QCOMPARE(m_window->lblResults->text(), "Results Found: 6");
    QCOMPARE(c->lblRes[0]->text(), "500x400");
    QCOMPARE(c->lblRes[1]->text(), "400x500");
    QCOMPARE(c->lblRec[0]->text(), "YES");
    QCOMPARE(c->lblRec[1]->text(), "NO");
    QVERIFY(c->lblSize[0]->text().endsWith(" Kbytes"));

    QPointer<frmCompare> guard(c);
    c->cmdQuickSave[1]->click();
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(pictureSize("Size Test - Tall 400x500.jpg"), QSize(400, 500));
    QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 1);
}

void tst_QuickSaveWindow::compareOnEarlierResultsIsRefused()
{
    search("Size Test");
    if (QTest::currentTestFailed())
        return;
    // A new search fills new lists while the old page is still on show.
    m_window->searchState().results.clear();
    for (int n = 1; n <= 6; ++n)
        m_window->searchState().results.add("Other", QString("Album %1").arg(n),
                                            m_sim.url(QString("/nowhere/%1.jpg").arg(n)));
    tick({2, 3});
    int downloads = 0;
    setDownloadFunction([&](const QString &, const QString &) {
        ++downloads;
        return 1;
    });
    m_window->cmdCompare->click();
    setDownloadFunction({});
    QCOMPARE(downloads, 0);
    QCOMPARE(m_boxes->box.shown.size(), 1);
    QCOMPARE(m_boxes->box.shown[0].text, T::staleCompare);
    QVERIFY(!openCompareWindow());
}

void tst_QuickSaveWindow::secondClickDuringASaveIsIgnored()
{
    SearchResults results;
    results.add("Copper Valley", "Dust Roads", "http://img/1.jpg");
    const QString link = "0001http://img/1.jpg";
    // Were the second click run, the first would then find its picture there.
    m_boxes->box.answers = {MsgAnswer::No};
    int downloads = 0;
    setDownloadFunction([&](const QString &, const QString &path) {
        // The second click of a double click arrives while the picture loads.
        if (++downloads == 1)
            quickSaveLink(m_window.get(), link, results, m_folder);
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(Qt::green);
        return picture.save(path, "JPG") ? 0 : 1;
    });
    quickSaveLink(m_window.get(), link, results, m_folder);
    setDownloadFunction({});
    QCOMPARE(downloads, 1);
    QVERIFY(m_boxes->box.shown.isEmpty());
    QCOMPARE(pictureSize("Copper Valley - Dust Roads.jpg"), QSize(40, 40));
    // A later click saves again.
    m_boxes->box.answers = {MsgAnswer::No};
    setDownloadFunction([&](const QString &, const QString &path) {
        ++downloads;
        QImage picture(60, 60, QImage::Format_RGB32);
        picture.fill(Qt::red);
        return picture.save(path, "JPG") ? 0 : 1;
    });
    quickSaveLink(m_window.get(), link, results, m_folder);
    setDownloadFunction({});
    QCOMPARE(downloads, 2);
    QCOMPARE(pictureSize("Copper Valley - Dust Roads.jpg"), QSize(60, 60));
}

JACKETEER_GUI_TEST_MAIN(tst_QuickSaveWindow)
#include "tst_quicksave_window.moc"
