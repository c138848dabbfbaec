#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "app/frmjacketeer.h"
#include "app/websearchview.h"
#include "base/downloadservice.h"
#include "base/settings.h"
#include "accessibletoggle.h"
#include "controltext.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include <unistd.h>

namespace
{

QList<QWidget *> openWindows(const QString &className)
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && className == QLatin1String(w->metaObject()->className()))
            found.append(w);
    return found;
}

// Web engine helper processes started by this test program.
int engineHelpers()
{
    int count = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        const qsizetype close = line.lastIndexOf(')');
        if (close > 0 && line.mid(line.indexOf('(') + 1).startsWith("QtWebEngine") &&
            line.mid(close + 2).split(' ').value(1).toInt() == int(getpid()))
            ++count;
    }
    return count;
}

} // namespace

// The main window: its controls and what it keeps between starts; the File
// menu's windows, which show a status while they fill their trees, open once,
// read the roots the main window loaded, switch type by any means and close
// with the main window; Auto Update runs the check. The web engine is heavy:
// nothing may make it before the results view first has a page to show.

class tst_frmJacketeer : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<TestFolders>();
        m_store = std::make_unique<Settings>();
        m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        m_boxes.reset();
        m_store.reset();
        m_dir.reset();
    }

    // Runs first: once made, the engine's helpers live as long as the program.
    void noEngineBeforeAPage()
    {
        auto window = openWindow();
        frmJacketeer &w = *window;
        const std::pair<const char *, std::function<void()>> actions[] = {
            {"batch window", [&] { w.mnuFileBatch_Click(); }},
            {"viewer", [&] { w.mnuFileView_Click(); }},
            {"properties", [&] { w.mnuOptionsProperties_Click(); }},
            {"compare", [&] { w.cmdCompare->click(); }}, // nothing on show: one message
            {"back", [&] { w.cmdBack->click(); }},
            {"blank page", [&] { w.websearch->Navigate2("about:blank"); }},
        };
        QVERIFY(!w.websearch->engineStarted());
        for (const auto &[name, action] : actions) {
            action();
            QVERIFY2(!w.websearch->engineStarted(), name);
        }
        QTest::qWait(500); // time enough for a helper process to appear
        QVERIFY(!w.websearch->engineStarted());
        QCOMPARE(engineHelpers(), 0);
        QCOMPARE(m_boxes->box.shown.size(), 1);
        // It looks as a blank page looks.
        const QImage shown = w.websearch->grab().toImage();
        QVERIFY(shown.width() >= 480 && shown.height() >= 400);
        for (int y = 0; y < shown.height(); y += 9)
            for (int x = 0; x < shown.width(); x += 9)
                QCOMPARE(shown.pixelColor(x, y), QColor(Qt::white));
    }

    void captionsAndNames()
    {
        auto w = openWindow();
        QCOMPARE(w->windowTitle(), QString("Jacketeer - b3.0"));
        compareCaptions(w.get(), "main-window-captions.tsv");
        QVERIFY(!w->picTest->isVisible());

        // Criteria top to bottom: search text, drive and folder lists, type, sites, genres.
        w->optSearch[0]->click();
        w->chkSite[0]->click();
        int above = -1;
        for (QWidget *c :
             std::initializer_list<QWidget *>{w->txtSearch, w->drSearch, w->dirSearch,
                                              w->optSearch[0], w->chkSite[0], w->chkMusicG[0]}) {
            QVERIFY2(c->mapTo(w.get(), QPoint()).y() > above, qPrintable(c->objectName()));
            above = c->mapTo(w.get(), QPoint()).y();
        }
    }

    void firstStartThenRestart()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("Collection/Albums"));
        const QString folder = m_dir->path("Collection");
        {
            // A first start: no site, type or genre chosen, the home folder open.
            auto w = openWindow();
            for (QAbstractButton *b : w->frmSearch->findChildren<QAbstractButton *>())
                QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
            QVERIFY(!w->fraMusicG->isVisible());
            QVERIFY(!w->lblGenre->isVisible());
            QCOMPARE(w->dirSearch->path(), QDir::homePath());

            // A click on a folder highlights it and puts its name into the search text.
            QVERIFY(w->dirSearch->setPath(folder));
            QListWidgetItem *albums = w->dirSearch->findItems("Albums", Qt::MatchEndsWith)[0];
            QTest::mouseClick(w->dirSearch->viewport(), Qt::LeftButton, {},
                              w->dirSearch->visualItemRect(albums).center());
            QCOMPARE(w->txtSearch->text(), QString("Albums"));
            QCOMPARE(w->dirSearch->highlightedPath(), folder + "/Albums");
            QCOMPARE(w->dirSearch->path(), folder);

            w->optSearch[1]->click();
            w->chkSite[1]->click();
            w->chkSite[2]->click();
            w->chkMusicG[6]->click();
            w->chkMusicG[15]->click();
            w->close();
        }
        const QByteArray file = TestFiles::readFile(m_store->fileName());
        for (const QByteArray line :
             {"GenreR%26%26B%252FSoul=1", "GenreRap%252FHip%20Hop=1", "GenreRock=0",
              "SearchTypeDVD=True", "SearchTypeCD=False", "Vantory=0", "Brinsell=1", "Amazon=1"})
            QVERIFY2(file.contains("\n" + line + "\n"), line.constData());
        QVERIFY(file.contains("\nSearchPath=" + folder.toUtf8() + "\n"));

        // A restart shows all of it again.
        auto again = openWindow();
        QVERIFY(again->optSearch[1]->isChecked() && !again->optSearch[0]->isChecked());
        QVERIFY(!again->chkSite[0]->isChecked());
        QVERIFY(again->chkSite[1]->isChecked() && again->chkSite[2]->isChecked());
        for (int i = 0; i < kGenreCount; ++i)
            QCOMPARE(again->chkMusicG[i]->isChecked(), i == 6 || i == 15);
        QCOMPARE(again->dirSearch->path(), folder);

        // Ticking Vantory with DVD keeps the genres hidden; Reset empties the
        // text and selects Music, which shows them; sites and genres stay.
        again->txtSearch->setText("Kind of Blue");
        again->chkSite[0]->click();
        QVERIFY(!again->fraMusicG->isVisible());
        QTest::mouseClick(again->cmdReset, Qt::LeftButton);
        QCOMPARE(again->txtSearch->text(), QString());
        QVERIFY(again->optSearch[0]->isChecked() && !again->optSearch[1]->isChecked());
        QVERIFY(again->chkMusicG[6]->isChecked() && again->chkSite[1]->isChecked());
        QVERIFY(again->fraMusicG->isVisible() && again->lblGenre->isVisible());
        // A screen reader's toggle, which sends no click, hides them again.
        QVERIFY(toggleAccessibly(again->chkSite[0]));
        QVERIFY(!again->fraMusicG->isVisible() && !again->lblGenre->isVisible());
    }

    // A stored drive or folder that is gone leaves the lists where they are,
    // silently; a stored drive alone moves the folder list to its root.
    void storedDriveAndFolder()
    {
        m_store->setText(Keys::SearchDrive, "/no/such/drive");
        m_store->setText(Keys::SearchPath, m_dir->path("deleted/folder"));
        QCOMPARE(openWindow()->dirSearch->path(), QDir::homePath());
        QVERIFY(m_boxes->box.shown.isEmpty());

        const QString home = DriveListBox::driveOf(QDir::homePath(), DriveListBox::mountedDrives());
        QString other;
        for (const QString &d : DriveListBox::mountedDrives())
            if (d != home && QFileInfo(d).isReadable())
                other = d;
        if (other.isEmpty())
            QSKIP("only one readable mounted volume here");
        m_store->setText(Keys::SearchDrive, other);
        auto w = openWindow();
        QCOMPARE(w->drSearch->drive(), other);
        QCOMPARE(w->dirSearch->path(), other);
    }

    void opensOneWindow_data()
    {
        TestFiles::addTableRows("file-menu-windows.tsv", {"menu", "status", "window", "tree",
                                                          "dvdShows", "dvdHides", "exit"});
    }

    void opensOneWindow()
    {
        QFETCH(QString, menu);
        QFETCH(QString, window);
        QFETCH(QString, tree);
        QFETCH(QString, dvdShows);
        QFETCH(QString, dvdHides);
        QFETCH(QString, exit);

        QVERIFY(QDir(m_dir->path()).mkpath("DVD/Harbour Lights"));
        m_store->setText(Keys::BatchCDPath, "None");
        m_store->setText(Keys::BatchDVDPath, m_dir->path("DVD"));
        auto w = openWindow();
        frmJacketeer &main = *w;
        auto *entry = main.findChild<QAction *>(menu);
        QVERIFY(entry && entry->isEnabled());
        main.lblResults->setText("Results Found: 3");

        // Runs at the first turn of the event loop, while the window fills its trees.
        QString shownWhileLoading;
        QTimer::singleShot(0, &main, [&] { shownWhileLoading = main.lblResults->text(); });
        entry->trigger();
        QTEST(shownWhileLoading, "status");
        QCOMPARE(main.lblResults->text(), QString("Results Found: 3"));

        QCOMPARE(openWindows(window).size(), 1);
        QPointer<QWidget> opened = openWindows(window).first();
        const auto control = [&](const QString &name) {
            return opened->findChild<QWidget *>(name);
        };
        auto *cdTree = opened->findChild<QTreeWidget *>(tree + "(0)");
        auto *dvdTree = opened->findChild<QTreeWidget *>(tree + "(1)");
        QCOMPARE(cdTree->topLevelItemCount(), 0);
        QCOMPARE(dvdTree->topLevelItem(0)->text(0), m_dir->path("DVD"));

        // A screen reader's toggle sends no click; the type switch runs all the same.
        QVERIFY(toggleAccessibly(control("optType(1)")));
        for (const QString &name : dvdShows.split(';'))
            QVERIFY2(control(name)->isVisible(), qPrintable(name));
        for (const QString &name : dvdHides.split(';'))
            QVERIFY2(!control(name)->isVisible(), qPrintable(name));

        entry->trigger(); // brings the open window forward instead of a second one
        QCOMPARE(openWindows(window), QList<QWidget *>{opened.data()});

        if (!exit.isEmpty()) {
            opened->findChild<QAction *>(exit)->trigger();
            QTRY_VERIFY(opened.isNull());
        }
        main.close();
        QTRY_VERIFY(opened.isNull() || !opened->isVisible());
    }

    // The check itself is tested where it lives; here, that the menu runs it.
    void autoUpdateRunsTheCheck()
    {
        frmJacketeer main(m_store.get());
        setDownloadFunction([](const QString &, const QString &) { return 1; });
        main.mnuFileUpdate->trigger();
        setDownloadFunction({});
        QCOMPARE(m_boxes->box.shown.size(), 1);
        QCOMPARE(m_boxes->box.shown[0].title, QStringLiteral("Auto Update"));
    }

private:
    std::unique_ptr<frmJacketeer> openWindow()
    {
        auto w = std::make_unique<frmJacketeer>(m_store.get());
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("main window not exposed");
        return w;
    }

    std::unique_ptr<TestFolders> m_dir;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
};

JACKETEER_GUI_TEST_MAIN(tst_frmJacketeer)
#include "tst_frmjacketeer.moc"
