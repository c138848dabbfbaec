#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "base/modjacketeer.h"
#include "guitestmain.h"
#include "settings/frmbrowse.h"
#include "settings/settingstexts.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsTexts;

class tst_frmBrowse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void okReturnsHighlightedOrOpenFolder_data();
    void okReturnsHighlightedOrOpenFolder();
    void doubleClickOpensFolder();
    void cancelAndCloseBoxGiveNothing();
    void driveRootReturnsRoot();
    void driveThatCannotBeOpenedLeavesList();
    void screenshot();

private:
    QListWidgetItem *entry(DirListBox *list, const QString &path);

    QTemporaryDir m_config;
    QTemporaryDir m_tree;
    QString m_previousCurrent;
};

void tst_frmBrowse::initTestCase()
{
    QVERIFY(m_config.isValid() && m_tree.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", m_tree.path().toUtf8());
    for (const char *sub : {"Music/Metallica - Black", "Music/Neon Parade - Night Shift", "Films"})
        QVERIFY(QDir(m_tree.path()).mkpath(QLatin1String(sub)));
    m_previousCurrent = QDir::currentPath();
}

void tst_frmBrowse::init()
{
    QVERIFY(QDir::setCurrent(m_tree.filePath(QStringLiteral("Music"))));
    modJacketeer().browseResult.clear();
}

void tst_frmBrowse::cleanupTestCase()
{
    QDir::setCurrent(m_previousCurrent);
}

QListWidgetItem *tst_frmBrowse::entry(DirListBox *list, const QString &path)
{
    for (int row = 0; row < list->count(); ++row)
        if (list->entryPath(row) == path)
            return list->item(row);
    return nullptr;
}

void tst_frmBrowse::okReturnsHighlightedOrOpenFolder_data()
{
    QTest::addColumn<QString>("click"); // entry to click, relative to the tree; "" for none
    QTest::addColumn<QString>("expected");
    QTest::newRow("subfolder highlighted, not opened") << "Music/Metallica - Black"
                                                       << "Music/Metallica - Black";
    // The lists start on the program's current folder, "Music".
    QTest::newRow("nothing highlighted") << ""
                                         << "Music";
    QTest::newRow("parent highlighted") << "."
                                        << ".";
}

void tst_frmBrowse::okReturnsHighlightedOrOpenFolder()
{
    QFETCH(QString, click);
    QFETCH(QString, expected);
    const auto full = [this](const QString &rel) { return QDir::cleanPath(m_tree.filePath(rel)); };
    frmBrowse dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Choose Folder"));
    QVERIFY(dlg.isModal());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
    if (!click.isEmpty()) {
        QListWidgetItem *item = entry(dir, full(click));
        QVERIFY(item);
        const QRect rect = dir->visualItemRect(item);
        QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QCOMPARE(dir->path(), full(QStringLiteral("Music")));
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdApply"), Qt::LeftButton);
    QCOMPARE(modJacketeer().browseResult, full(expected));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());
}

void tst_frmBrowse::doubleClickOpensFolder()
{
    frmBrowse dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
    const QString target =
        QDir::cleanPath(m_tree.filePath(QStringLiteral("Music/Neon Parade - Night Shift")));
    QListWidgetItem *item = entry(dir, target);
    QVERIFY(item);
    const QPoint at = dir->visualItemRect(item).center();
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(dir->path(), target);
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdApply"), Qt::LeftButton);
    QCOMPARE(modJacketeer().browseResult, target);
}

void tst_frmBrowse::cancelAndCloseBoxGiveNothing()
{
    {
        frmBrowse dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        modJacketeer().browseResult = QStringLiteral("/left over");
        QTest::mouseClick(dlg.findChild<QPushButton *>("CmdCancel"), Qt::LeftButton);
        QCOMPARE(modJacketeer().browseResult, QString());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
    {
        // The close box leaves the value as the caller set it.
        frmBrowse dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        modJacketeer().browseResult = QString();
        dlg.close();
        QCOMPARE(modJacketeer().browseResult, QString());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
}

void tst_frmBrowse::driveRootReturnsRoot()
{
    frmBrowse dlg;
    auto *drives = dlg.findChild<DriveListBox *>("drvBrowse");
    auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
    QVERIFY(dir->setPath(QStringLiteral("/")));
    QCOMPARE(dir->highlightedPath(), QStringLiteral("/"));
    QVERIFY(drives->setDrive(QStringLiteral("/")));
    dlg.cmdApply_Click();
    QCOMPARE(modJacketeer().browseResult, QStringLiteral("/"));
}

void tst_frmBrowse::driveThatCannotBeOpenedLeavesList()
{
    frmBrowse dlg;
    auto *drives = dlg.findChild<DriveListBox *>("drvBrowse");
    auto *dir = dlg.findChild<DirListBox *>("dirBrowse");
    const QString before = dir->path();
    const QString driveBefore = drives->drive();
    // A volume that went away after the list was filled (a medium taken out).
    const QString gone = m_tree.filePath(QStringLiteral("unplugged"));
    drives->addItem(gone);
    QVERIFY(drives->setDrive(gone));
    QCOMPARE(dir->path(), before);
    QCOMPARE(drives->drive(), driveBefore);
    dlg.cmdApply_Click();
    QCOMPARE(modJacketeer().browseResult, before);
}

// Saves the chooser as a picture for a look by eye (run under Xvfb with
// JACKETEER_SHOTS=<folder>); the test run itself skips it.
void tst_frmBrowse::screenshot()
{
    const QString folder = qEnvironmentVariable("JACKETEER_SHOTS");
    if (folder.isEmpty())
        QSKIP("JACKETEER_SHOTS not set");
    frmBrowse dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::qWait(300);
    QVERIFY(dlg.grab().save(folder + QStringLiteral("/browse.png")));
}

JACKETEER_GUI_TEST_MAIN(tst_frmBrowse)
#include "tst_frmbrowse.moc"
