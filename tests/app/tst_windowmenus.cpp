#include "app/frmjacketeer.h"
#include "base/appfolder.h"
#include "base/downloadservice.h"
#include "base/settings.h"

#include "accessibletoggle.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfolders.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

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

} // namespace

// The main window's File menu: the windows it opens show a status while they
// fill their trees, open once, read the roots the main window loaded, switch
// type by any means and close with the main window; Auto Update runs the check.
class tst_WindowMenus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QDir(m_dir.path()).mkpath("DVD/Harbour Lights")); }

    void opensOneWindow_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("tree");         // the control array of the two trees
        QTest::addColumn<QStringList>("dvdShows"); // what choosing DVD shows...
        QTest::addColumn<QStringList>("dvdHides"); // ...and hides
        QTest::addColumn<QString>("exit");         // the window's own exit entry, if any
        QTest::newRow("batch download")
            << "mnuFileBatch"
            << "Populating CD/DVD folders..."
            << "frmBatch"
            << "tvBatch" << QStringList{"tvBatch(1)", "fraBatched(1)", "fraSearch(1)", "cmdCrop"}
            << QStringList{"tvBatch(0)", "fraBatched(0)", "fraSearch(0)"} << "mnuFileExit";
        QTest::newRow("artshelf") << "mnuFileView"
                                  << "Populating CD/DVD Folders..."
                                  << "frmList"
                                  << "tvViewer" << QStringList{"tvViewer(1)", "cmdCrop"}
                                  << QStringList{"tvViewer(0)"} << "";
    }

    void opensOneWindow()
    {
        QFETCH(QString, menu);
        QFETCH(QString, window);
        QFETCH(QString, tree);
        QFETCH(QStringList, dvdShows);
        QFETCH(QStringList, dvdHides);
        QFETCH(QString, exit);

        ScopedRecordingMessageBox boxes;
        Settings store;
        store.setText(Keys::BatchCDPath, "None");
        store.setText(Keys::BatchDVDPath, m_dir.path("DVD"));
        frmJacketeer main(&store);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
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
        QCOMPARE(dvdTree->topLevelItem(0)->text(0), m_dir.path("DVD"));

        // A screen reader's toggle sends no click; the type switch runs all the same.
        QVERIFY(toggleAccessibly(control("optType(1)")));
        for (const QString &name : dvdShows)
            QVERIFY2(control(name)->isVisible(), qPrintable(name));
        for (const QString &name : dvdHides)
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

    void autoUpdateRunsTheCheck()
    {
        ScopedRecordingMessageBox boxes;
        Settings store;
        frmJacketeer main(&store);
        QStringList downloads;
        setDownloadFunction([&downloads](const QString &url, const QString &path) {
            downloads << url << path;
            return 1;
        });
        main.mnuFileUpdate->trigger();
        setDownloadFunction({});
        QCOMPARE(downloads.size(), 2);
        QCOMPARE(downloads[1], appFile(QStringLiteral("version.jkv")));
        QCOMPARE(boxes.box.shown.size(), 1);
        QCOMPARE(boxes.box.shown[0].title, QStringLiteral("Auto Update"));
    }

private:
    TestFolders m_dir;
};

JACKETEER_GUI_TEST_MAIN(tst_WindowMenus)
#include "tst_windowmenus.moc"
