#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "base/modjacketeer.h"
#include "guitestmain.h"
#include "settings/frmbrowse.h"
#include "testfolders.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

class tst_frmBrowse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *sub :
             {"Music/Metallica - Black", "Music/Neon Parade - Night Shift", "Films"})
            QVERIFY(QDir(m_folders.path()).mkpath(QLatin1String(sub)));
    }

    void init()
    {
        QVERIFY(QDir::setCurrent(m_folders.path(QStringLiteral("Music"))));
        modJacketeer().browseResult.clear();
    }

    void okReturnsHighlightedOrOpenFolder_data()
    {
        // Paths relative to the tree; the lists start on the program's current
        // folder, "Music".
        QTest::addColumn<QString>("click"); // entry to click, "" for none
        QTest::addColumn<bool>("twice");    // a double click opens it
        QTest::addColumn<QString>("expected");
        QTest::newRow("subfolder highlighted, not opened")
            << "Music/Metallica - Black" << false << "Music/Metallica - Black";
        QTest::newRow("nothing highlighted") << "" << false << "Music";
        QTest::newRow("parent highlighted") << "." << false << ".";
        QTest::newRow("subfolder opened")
            << "Music/Neon Parade - Night Shift" << true << "Music/Neon Parade - Night Shift";
    }

    void okReturnsHighlightedOrOpenFolder()
    {
        QFETCH(QString, click);
        QFETCH(bool, twice);
        QFETCH(QString, expected);
        const auto full = [this](const QString &rel) {
            return QDir::cleanPath(m_folders.path(rel));
        };
        frmBrowse dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Choose Folder"));
        QVERIFY(dlg.isModal());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
        if (!click.isEmpty()) {
            QListWidgetItem *item = entry(dir, full(click));
            QVERIFY(item);
            const QPoint at = dir->visualItemRect(item).center();
            QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, at);
            if (twice)
                QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(dir->path(), full(twice ? click : QStringLiteral("Music")));
        QTest::mouseClick(dlg.findChild<QPushButton *>("cmdApply"), Qt::LeftButton);
        QCOMPARE(modJacketeer().browseResult, full(expected));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
    }

    void cancelAndCloseBoxGiveNothing()
    {
        // Cancel empties the answer; the close box leaves it as the caller set it
        // (which the caller sets to "").
        for (bool closeBox : {false, true}) {
            frmBrowse dlg;
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            modJacketeer().browseResult = QStringLiteral("/as set");
            if (closeBox)
                dlg.close();
            else
                QTest::mouseClick(dlg.findChild<QPushButton *>("CmdCancel"), Qt::LeftButton);
            QCOMPARE(modJacketeer().browseResult, closeBox ? QStringLiteral("/as set") : QString());
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
    }

    void driveChoices()
    {
        frmBrowse dlg;
        auto *drives = dlg.findChild<DriveListBox *>("drvBrowse");
        auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
        // A drive root comes back as the root.
        QVERIFY(dir->setPath(QStringLiteral("/")));
        QCOMPARE(dir->highlightedPath(), QStringLiteral("/"));
        QVERIFY(drives->setDrive(QStringLiteral("/")));
        dlg.cmdApply_Click();
        QCOMPARE(modJacketeer().browseResult, QStringLiteral("/"));

        // A volume that went away after the list was filled (a medium taken
        // out) leaves both lists where they were.
        QVERIFY(dir->setPath(m_folders.path(QStringLiteral("Films"))));
        const QString before = dir->path();
        const QString driveBefore = drives->drive();
        const QString gone = m_folders.path(QStringLiteral("unplugged"));
        drives->addItem(gone);
        QVERIFY(drives->setDrive(gone));
        QCOMPARE(dir->path(), before);
        QCOMPARE(drives->drive(), driveBefore);
        dlg.cmdApply_Click();
        QCOMPARE(modJacketeer().browseResult, before);
    }

private:
    QListWidgetItem *entry(DirListBox *list, const QString &path)
    {
        for (int row = 0; row < list->count(); ++row)
            if (list->entryPath(row) == path)
                return list->item(row);
        return nullptr;
    }

    TestFolders m_folders;
};

JACKETEER_GUI_TEST_MAIN(tst_frmBrowse)
#include "tst_frmbrowse.moc"
