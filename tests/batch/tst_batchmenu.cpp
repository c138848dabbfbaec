#include "app/frmjacketeer.h"
#include "base/settingsstore.h"
#include "batch/frmbatch.h"
#include "batchtesthelpers.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

// The batch window as the main window's "&Batch Download" opens it.
class TestBatchMenu : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QList<frmBatch *> openBatchWindows()
    {
        QList<frmBatch *> out;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *batch = qobject_cast<frmBatch *>(w); batch && batch->isVisible())
                out << batch;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toLocal8Bit());
        QVERIFY(writeTagged(m_dir.filePath("Music/Kite Theory/Paper Satellites/01 - Track.mp3"),
                            "Kite Theory", "Paper Satellites"));
    }

    void opensOneBatchWindowWithStatus()
    {
        ScopedRecordingMessageBox boxes;
        SettingsStore store;
        store.write("BatchCDPath", m_dir.filePath("Music"));
        store.write("BatchDVDPath", "None");
        frmJacketeer main(&store);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *status = main.findChild<QLabel *>("lblResults");
        auto *menu = main.findChild<QAction *>("mnuFileBatch");
        QVERIFY(status && menu);
        QVERIFY(menu->isEnabled());
        status->setText("Results Found: 3");

        // Runs at the first turn of the event loop, while the window scans.
        QString shownWhileLoading;
        QTimer::singleShot(0, &main, [&] { shownWhileLoading = status->text(); });
        menu->trigger();
        QCOMPARE(shownWhileLoading, QStringLiteral("Populating CD/DVD folders..."));
        QCOMPARE(status->text(), QStringLiteral("Results Found: 3"));

        QCOMPARE(openBatchWindows().size(), 1);
        QPointer<frmBatch> batch = openBatchWindows().first();
        QCOMPARE(batch->windowTitle(), QStringLiteral("Jacketeer - Batch Download"));
        QCOMPARE(batch->queueRowCount(0), 1);
        QCOMPARE(batch->queue(0).at(0).album, QStringLiteral("Paper Satellites"));
        QCOMPARE(batch->tvBatch(1)->topLevelItemCount(), 0);

        menu->trigger(); // brings the open window forward instead of a second one
        QCOMPARE(openBatchWindows().size(), 1);
        QCOMPARE(openBatchWindows().first(), batch.data());

        batch->findChild<QAction *>("mnuFileExit")->trigger();
        QTRY_VERIFY(batch.isNull());
        main.close();
    }
};

JACKETEER_GUI_TEST_MAIN(TestBatchMenu)
#include "tst_batchmenu.moc"
