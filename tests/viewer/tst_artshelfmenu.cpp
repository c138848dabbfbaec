#include "app/frmjacketeer.h"
#include "base/settingsstore.h"
#include "viewer/frmlist.h"

#include "guitestmain.h"
#include "recordingmessagebox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace
{

QList<frmList *> openViewers()
{
    QList<frmList *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *viewer = qobject_cast<frmList *>(w); viewer && viewer->isVisible())
            found.append(viewer);
    return found;
}

} // namespace

class TestArtshelfMenu : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QDir(m_dir.path()).mkpath("config");
        QDir(m_dir.path()).mkpath("app");
        QDir(m_dir.path()).mkpath("Music/Kite Theory/Paper Satellites");
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toLocal8Bit());
        qputenv("JACKETEER_APPDIR", (m_dir.path() + "/app").toLocal8Bit());
    }

    void opensOneViewerWithStatus()
    {
        ScopedRecordingMessageBox boxes;
        SettingsStore store;
        store.write("BatchCDPath", m_dir.path() + "/Music");
        store.write("BatchDVDPath", "None");
        frmJacketeer main(&store);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *status = main.findChild<QLabel *>("lblResults");
        auto *menu = main.findChild<QAction *>("mnuFileView");
        QVERIFY(status && menu);
        QVERIFY(menu->isEnabled());
        status->setText("Results Found: 3");

        // Runs at the first turn of the event loop, while the viewer loads.
        QString shownWhileLoading;
        QTimer::singleShot(0, &main, [&] { shownWhileLoading = status->text(); });
        menu->trigger();
        QCOMPARE(shownWhileLoading, QStringLiteral("Populating CD/DVD Folders..."));
        QCOMPARE(status->text(), QStringLiteral("Results Found: 3"));

        QCOMPARE(openViewers().size(), 1);
        QPointer<frmList> viewer = openViewers().first();
        auto *cd = viewer->findChild<QTreeWidget *>("tvViewer(0)");
        QCOMPARE(cd->topLevelItem(0)->text(0), m_dir.path() + "/Music");
        QCOMPARE(viewer->findChild<QTreeWidget *>("tvViewer(1)")->topLevelItemCount(), 0);

        menu->trigger(); // brings the open viewer forward instead of a second one
        QCOMPARE(openViewers().size(), 1);
        QCOMPARE(openViewers().first(), viewer.data());

        main.close();
        QTRY_VERIFY(viewer.isNull() || !viewer->isVisible());
    }
};

JACKETEER_GUI_TEST_MAIN(TestArtshelfMenu)
#include "tst_artshelfmenu.moc"
