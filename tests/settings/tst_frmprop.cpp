#include "app/frmjacketeer.h"
#include "base/modjacketeer.h"
#include "base/settings.h"
#include "batch/frmbatch.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "accessibletoggle.h"
#include "controltext.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "settings/frmbrowse.h"
#include "settings/frmprop.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <optional>

// The properties dialog and its folder chooser, driven as a user would,
// offscreen, over a private settings file.
class tst_frmProp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A fresh settings file per test and row. The test's folder is the
        // current one and holds "music/track.mp3" and "films".
        m_folders.emplace();
        QVERIFY(QDir::setCurrent(m_folders->path()));
        QVERIFY(TestFiles::writeFile(QStringLiteral("music/track.mp3")));
        QVERIFY(QDir().mkpath(QStringLiteral("films")));
        modJacketeer() = ModJacketeer{};
        m_box.box.shown.clear();
    }

    void cleanup()
    {
        if (m_dlg)
            m_dlg->close();
        QTRY_VERIFY(frmProp::instance() == nullptr);
        frmProp::setBrowseRunner({});
    }

    // What typing leaves in a box, and the preview of the template: the name a
    // save would really write, trimmed as Apply stores the template.
    void typing_data()
    {
        TestFiles::addTableRows("property-typing.tsv", {"box", "keys", "expected", "preview"});
    }

    void typing()
    {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QVERIFY(open());
        child(box)->selectAll();
        QTest::keyClicks(child(box), keys);
        QTEST(child(box)->text(), "expected");
        if (box == "txtQSName")
            QTEST(controlText(m_dlg, "lblName"), "preview");
    }

    // Apply: the root boxes normalised, the checks in order, and the store
    // written only when every check passes. Paths are relative to the test's
    // folder; "d:/music" and "D:/music" stand for a drive picked in lower case.
    void apply_data()
    {
        TestFiles::addTableRows("property-apply.tsv",
                                {"cd", "dvd", "depth", "cdAfter", "dvdAfter", "failed"});
    }

    void apply()
    {
        QFETCH(QString, cd);
        QFETCH(QString, dvd);
        QFETCH(QString, depth);
        QFETCH(QString, cdAfter);
        QFETCH(QString, dvdAfter);
        QFETCH(QString, failed);
        // Linux names are case-sensitive: only an existing "X:" folder is upper-cased.
        for (const char *folder : {"d:/music", "D:/music", "e:/films", "Music"})
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(open());
        child("txtQSName")->setText(QStringLiteral(" cover "));
        child("txtCDCoverArt")->setText(cd);
        child("txtDVDCoverArt")->setText(dvd);
        child("txtDVDName")->setText(depth);
        click("cmdApply");
        QCOMPARE(child("txtCDCoverArt")->text(), cdAfter);
        QCOMPARE(child("txtDVDCoverArt")->text(), dvdAfter);
        QCOMPARE(child<QPushButton>("cmdApply")->isEnabled(), !failed.isEmpty());
        if (failed.isEmpty()) {
            QVERIFY(m_box.box.shown.isEmpty());
            const Settings saved;
            QCOMPARE(QStringList({saved.text(Keys::QSName), saved.text(Keys::BatchCDPath),
                                  saved.text(Keys::BatchDVDPath)}),
                     QStringList({"cover", cdAfter.trimmed(), dvdAfter.trimmed()}));
            return;
        }
        // clang-format off
        const QMap<QString, QStringList> messages{
            {"txtCDCoverArt", {"Batch CD Directory does not exist.", "Batch CD Error"}},
            {"txtDVDCoverArt", {"Batch DVD Directory does not exist.", "Batch DVD Error"}},
            {"txtDVDName", {"Dvd name must be atleast one directory past path.", "Batch DVD Error"}}};
        // clang-format on
        QCOMPARE(m_box.box.shown.size(), 1);
        const RecordingMessageBox::Shown &shown = m_box.box.shown[0];
        QCOMPARE(QStringList({shown.text, shown.title}), messages[failed]);
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
        QCOMPARE(QApplication::focusWidget(), child(failed));
        // Ok after a failed check shows the message again and closes without saving.
        click("Command1");
        QCOMPARE(m_box.box.shown.size(), 2);
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(!QFile::exists(settingsFile()));
    }

    // One stored key at a time: the dialog shows it on its control alone;
    // Apply writes it back, and the shared state then equals what the next
    // start reads.
    void eachKey_data()
    {
        TestFiles::addTableRows("property-keys.tsv", {"control", "stored", "shown"});
    }

    void eachKey()
    {
        QFETCH(QString, control);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const QByteArray file = stored.toUtf8();
        QVERIFY(TestFiles::writeFile(settingsFile(), file));
        QVERIFY(open());
        for (QCheckBox *box : m_dlg->findChildren<QCheckBox *>())
            QCOMPARE(box->isChecked(), box->objectName() == control);
        if (!shown.isEmpty())
            QCOMPARE(controlText(m_dlg, control), shown);

        QVERIFY(QFile::remove(settingsFile()));
        click("cmdApply");
        QVERIFY(TestFiles::readFile(settingsFile()).contains(file.mid(file.indexOf('\n'))));
        ModJacketeer next;
        next.read(Settings());
        QVERIFY(modJacketeer() == next);
    }

    // Apply is enabled by the edits listed here and by no others; Ok saves
    // all the same.
    void applyEnabledOnlyByListedControls()
    {
        QVERIFY(open());
        auto *apply = child<QPushButton>("cmdApply");
        const QList<std::function<void()>> edits{
            [&] { child<QCheckBox>("chkMusicG(17)")->click(); },
            [&] { QVERIFY(toggleAccessibly(child<QCheckBox>("ChkBatchReplace"))); },
            [&] { child<QCheckBox>("chkReplaceLarger")->click(); },
            [&] { child<QCheckBox>("chkFolderNames")->click(); },
            [&] { QTest::keyClick(child("txtQSName"), Qt::Key_X); },
            [&] { QTest::keyClick(child("txtCDCoverArt"), Qt::Key_Space); },
            [&] { QTest::keyClick(child("txtDVDCoverArt"), Qt::Key_Space); },
            [&] { QTest::keyClick(child<QWidget>("spnRequestInterval"), Qt::Key_Up); },
        };
        for (int i = 0; i < edits.size(); ++i) {
            click("cmdApply");
            QVERIFY(!apply->isEnabled());
            edits[i]();
            QVERIFY2(apply->isEnabled(), qPrintable(QString::number(i)));
        }
        click("cmdApply");
        for (const char *name : {"chkSearchVantory", "chkSearchBrinsell", "chkAutoCrop"})
            child<QCheckBox>(name)->click();
        child("txtDVDName")->setText(QStringLiteral("5"));
        QVERIFY(!apply->isEnabled());
        click("Command1");
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(m_box.box.shown.isEmpty());
        const QByteArray file = TestFiles::readFile(settingsFile());
        for (const char *line : {"BatchVantory=1", "BatchBrinsell=1", "AutoCrop=1",
                                 "BatchDVDFolder=5", "RequestIntervalMs=1100"})
            QVERIFY2(file.contains(QByteArray("\n") + line + "\n"), line);
    }

    // Browse runs the folder chooser (shown here without blocking, and
    // answered by the test) and puts its answer into the box. Both lists
    // start on the program's current folder, the test's.
    void browse_data()
    {
        QTest::addColumn<QString>("entry");    // clicked in the folder list, "" for none
        QTest::addColumn<QString>("button");   // closes the chooser, "" for the close box
        QTest::addColumn<QString>("expected"); // the CD box afterwards
        // clang-format off
        QTest::newRow("subfolder highlighted, not opened") << "music" << "cmdApply" << "music";
        QTest::newRow("nothing highlighted") << "" << "cmdApply" << "";
        QTest::newRow("cancelled") << "music" << "CmdCancel" << "None";
        // The close box leaves the answer as it was, which the dialog set to "".
        QTest::newRow("close box") << "music" << "" << "as it was";
        // clang-format on
    }

    void browse()
    {
        QFETCH(QString, entry);
        QFETCH(QString, button);
        QFETCH(QString, expected);
        QVERIFY(open());
        click("cmdApply");
        modJacketeer().browseResult = QStringLiteral("stale");
        frmProp::setBrowseRunner([&](QWidget *parent) {
            QCOMPARE(modJacketeer().browseResult, QString());
            modJacketeer().browseResult = QStringLiteral("as it was");
            frmBrowse chooser(parent);
            QCOMPARE(chooser.windowTitle(), QStringLiteral("Choose Folder"));
            QVERIFY(chooser.isModal() && parent == m_dlg);
            chooser.show();
            QVERIFY(QTest::qWaitForWindowExposed(&chooser));
            // A volume that went away after the list was filled (a medium
            // taken out) leaves both lists where they were.
            auto *drives = chooser.findChild<DriveListBox *>("drvBrowse");
            const QString drive = drives->drive();
            drives->addItem(m_folders->path("unplugged"));
            QVERIFY(drives->setDrive(m_folders->path("unplugged")));
            QCOMPARE(drives->drive(), drive);
            auto *list = chooser.findChild<DirListBox *>("dirBrowse");
            QCOMPARE(list->path(), m_folders->path());
            if (!entry.isEmpty()) {
                const QRect item =
                    list->visualItemRect(list->findItems(entry, Qt::MatchEndsWith)[0]);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
            }
            if (button.isEmpty())
                chooser.close();
            else
                QTest::mouseClick(chooser.findChild<QPushButton *>(button), Qt::LeftButton);
            QCOMPARE(chooser.result(),
                     button == "cmdApply" ? QDialog::Accepted : QDialog::Rejected);
        });
        click("cmdCDBrowse");
        QCOMPARE(child("txtCDCoverArt")->text(),
                 button == "cmdApply" ? m_folders->path(expected) : expected);
        QCOMPARE(child<QPushButton>("cmdApply")->isEnabled(), expected != "None");
        QCOMPARE(child("txtDVDCoverArt")->text(), QStringLiteral("None"));
    }

    // Opened from the main window's menu on an empty store: the defaults and
    // fixed texts on the Quick Save page. There is one dialog: opening it
    // again brings it forward without a reload, from the batch window's menu
    // on the Batch page.
    void openedFromTheMenus()
    {
        Settings settings;
        frmJacketeer main(&settings);
        QAction *properties = main.findChild<QAction *>(QStringLiteral("mnuOptionsProperties"));
        properties->trigger();
        m_dlg = frmProp::instance();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Jacketeer - Properties"));
        compareCaptions(m_dlg, "properties-captions.tsv");
        auto *help = child<QWidget>("Label3");
        QCOMPARE(help->heightForWidth(help->width()) / help->fontMetrics().lineSpacing(), 3);
        QCOMPARE(child<QTabBar>("tsProp")->tabToolTip(1),
                 QStringLiteral("Setup your Batch settings"));
        QVERIFY(!child<QCheckBox>("chkReplaceLarger")->isEnabled()); // offered with Replace only
        QVERIFY(child<QPushButton>("cmdApply")->isEnabled());
        QVERIFY(!QFile::exists(settingsFile()));
        QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);

        // A backslash that arrives other than by a key (pasted) goes at once,
        // and the caret stays after what was pasted.
        child("txtQSName")->setCursorPosition(1);
        child("txtQSName")->insert(QStringLiteral("\\x\\"));
        QCOMPARE(child("txtQSName")->text(), QStringLiteral("fxolder"));
        QCOMPARE(child("txtQSName")->cursorPosition(), 2);

        properties->trigger();
        QCOMPARE(frmProp::instance(), m_dlg.data());
        {
            frmBatch batch;
            batch.findChild<QAction *>(QStringLiteral("mnuOptionsProperties"))->trigger();
            QCOMPARE(frmProp::instance(), m_dlg.data());
            QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 1);
        }
        QVERIFY(child<QWidget>("fraProp(1)")->isVisible());
        QVERIFY(!child<QWidget>("fraProp(0)")->isVisible());
        QCOMPARE(child("txtQSName")->text(), QStringLiteral("fxolder"));

        // Cancel discards the edits; the next opening reloads the store.
        click("cmdCancel");
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(open());
        QCOMPARE(child("txtQSName")->text(), QStringLiteral("folder"));
    }

private:
    bool open()
    {
        m_dlg = frmProp::showOnPage();
        return QTest::qWaitForWindowActive(m_dlg);
    }

    template <typename T = QLineEdit> T *child(const QString &name)
    {
        return m_dlg->findChild<T *>(name);
    }
    void click(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    QString settingsFile() const { return m_folders->path("config/Jacketeer/Jacketeer.ini"); }

    std::optional<TestFolders> m_folders;
    QPointer<frmProp> m_dlg;
    ScopedRecordingMessageBox m_box;
};

JACKETEER_GUI_TEST_MAIN(tst_frmProp)
#include "tst_frmprop.moc"
