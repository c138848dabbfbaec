#include "app/frmjacketeer.h"
#include "base/modjacketeer.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/frmbatch.h"
#include "base/settings.h"
#include "accessibletoggle.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "settings/frmprop.h"
#include "settings/propsettings.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(PropField)

// The properties dialog's rules, then the dialog driven as a user would,
// offscreen.
class tst_frmProp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A fresh settings file per test and row.
        m_folders = std::make_unique<TestFolders>();
        QVERIFY(QDir(m_folders->path()).mkpath(QStringLiteral("music")));
        QVERIFY(QDir(m_folders->path()).mkpath(QStringLiteral("films")));
        modJacketeer() = ModJacketeer{};
        m_box = std::make_unique<ScopedRecordingMessageBox>();
    }

    void cleanup()
    {
        if (frmProp *dlg = frmProp::instance())
            dlg->close();
        QTRY_VERIFY(frmProp::instance() == nullptr);
        frmProp::setBrowseRunner({});
        m_box.reset();
    }

    void preview_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("default") << "folder" << "folder.jpg";
        QTest::newRow("artist and album") << "@artist@ - @album@" << "Metallica - Black.jpg";
        QTest::newRow("folder") << "@folder@" << "Metallica - Black.jpg";
        QTest::newRow("blanks trimmed") << "  @album@  " << "Black.jpg";
        // The preview shows the name a save would really write (the template's
        // rules are tst_quicksave's target test).
        QTest::newRow("cleaned as Quick Save cleans") << "AC/DC: <Live>?" << "AC-DC- -Live--.jpg";
        // clang-format on
    }

    void preview()
    {
        QFETCH(QString, templ);
        QTEST(PropSettings::previewName(templ), "expected");
    }

    void depth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<qint64>("value");
        // clang-format off
        QTest::newRow("trailing letter") << "3x" << "3" << qint64(3);
        QTest::newRow("emptied") << "" << "0" << qint64(0);
        QTest::newRow("letter first") << "x3" << "0" << qint64(0);
        QTest::newRow("trailing point") << "3." << "3" << qint64(3);
        QTest::newRow("fraction dropped") << "3.7" << "3" << qint64(3);
        QTest::newRow("leading zeros and blanks") << "  007" << "7" << qint64(7);
        QTest::newRow("negative") << "-2" << "-2" << qint64(-2);
        QTest::newRow("lone sign") << "-" << "0" << qint64(0);
        QTest::newRow("above 16 bits") << "40000" << "40000" << qint64(40000);
        QTest::newRow("far too long saturates") << "123456789012345678901234567890"
                                                << "123456789012345678901234567890" << qint64(999999999);
        // clang-format on
    }

    void depth()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PropSettings::depthText(text), expected);
        QTEST(PropSettings::depthValue(text), "value");
        QCOMPARE(PropSettings::depthText(expected), expected);
    }

    void check_data()
    {
        QTest::addColumn<QString>("cd");
        QTest::addColumn<QString>("dvd");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<PropField>("failed");
        QTest::addColumn<QString>("cdAfter");
        QTest::addColumn<QString>("dvdAfter");
        const PropField ok = PropField::None;
        // "@" stands for the test's folder holding "music", "films" and "music/track.mp3".
        // clang-format off
        QTest::newRow("existing roots") << "@/music" << "@/films" << "2" << ok << "@/music" << "@/films";
        QTest::newRow("one trailing separator removed") << " @/music/ " << "@/films//" << "1" << ok << "@/music" << "@/films/";
        QTest::newRow("root stays root") << "/" << " / " << "1" << ok << "/" << " / ";
        QTest::newRow("emptied roots become None") << "   " << "" << "1" << ok << "None" << "None";
        QTest::newRow("none in any case not checked") << "none" << " NoNe " << "1" << ok << "none" << " NoNe ";
        QTest::newRow("missing cd root") << "@/nowhere" << "@/nowhere" << "1" << PropField::CDPath << "@/nowhere" << "@/nowhere";
        QTest::newRow("missing dvd root") << "@/music/" << "@/nowhere/" << "1" << PropField::DVDPath << "@/music" << "@/nowhere";
        QTest::newRow("a file is not a folder") << "@/music/track.mp3" << "None" << "1" << PropField::CDPath << "@/music/track.mp3" << "None";
        QTest::newRow("roots checked before depth") << "@/nowhere" << "None" << "0" << PropField::CDPath << "@/nowhere" << "None";
        QTest::newRow("depth zero") << "None" << "None" << "0" << PropField::DVDName << "None" << "None";
        QTest::newRow("depth largest") << "None" << "None" << "32767" << ok << "None" << "None";
        QTest::newRow("depth beyond 16 bits") << "None" << "None" << "32768" << PropField::DVDName << "None" << "None";
        // clang-format on
    }

    void check()
    {
        QFETCH(QString, cd);
        QFETCH(QString, dvd);
        QFETCH(QString, depth);
        QFETCH(PropField, failed);
        QFETCH(QString, cdAfter);
        QFETCH(QString, dvdAfter);

        QVERIFY(TestFiles::writeFile(m_folders->path("music/track.mp3")));
        const QString dir = m_folders->path();
        const auto at = [&dir](QString s) { return s.replace(QLatin1Char('@'), dir); };

        PropValues v;
        v.cdPath = at(cd);
        v.dvdPath = at(dvd);
        v.dvdName = depth;
        const PropCheckFailure failure = PropSettings::check(v, &PropSettings::folderExists);
        // Each failure's message: failedCheck.
        QCOMPARE(failure.field, failed);
        QCOMPARE(v.cdPath, at(cdAfter));
        QCOMPARE(v.dvdPath, at(dvdAfter));
    }

    void driveLetterOnlyWhenFolderKeepsExisting()
    {
        QSet<QString> folders{QStringLiteral("d:/music"), QStringLiteral("D:/music"),
                              QStringLiteral("e:/films"), QStringLiteral("/home/x"),
                              QStringLiteral("/Home/x")};
        const auto exists = [&folders](const QString &p) { return folders.contains(p); };
        PropValues v;
        v.cdPath = QStringLiteral("d:/music/");
        v.dvdPath = QStringLiteral("e:/films");
        QVERIFY(!PropSettings::check(v, exists).failed());
        QCOMPARE(v.cdPath, QStringLiteral("D:/music"));
        // "E:/films" is not there: upper-casing would point the root elsewhere.
        QCOMPARE(v.dvdPath, QStringLiteral("e:/films"));
        // A Linux path's first letter is never touched.
        QCOMPARE(PropSettings::upperDriveLetter(QStringLiteral("/home/x"), exists),
                 QStringLiteral("/home/x"));
    }

    void emptyStoreShowsDefaults()
    {
        QVERIFY(open());
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Jacketeer - Properties"));
        QCOMPARE(child("txtQSName")->text(), QStringLiteral("folder"));
        QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("folder.jpg"));
        QCOMPARE(child("txtCDCoverArt")->text(), QStringLiteral("None"));
        QCOMPARE(child("txtDVDCoverArt")->text(), QStringLiteral("None"));
        QCOMPARE(child("txtDVDName")->text(), QStringLiteral("1"));
        // None of them ticked: eachKey.
        QCOMPARE(m_dlg->findChildren<QCheckBox *>().size(), kGenreCount + 6);
        QCOMPARE(child<QCheckBox>("chkMusicG(6)")->text(), QStringLiteral("R&&B/Soul"));
        QCOMPARE(child<QCheckBox>("chkReplaceLarger")->text(),
                 QStringLiteral("Only replace with a larger picture"));
        QVERIFY(!child<QCheckBox>("chkReplaceLarger")->isEnabled()); // offered with Replace only
        QCOMPARE(child<QCheckBox>("chkFolderNames")->text(),
                 QStringLiteral("Use folder names for untagged albums"));
        QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);
        QCOMPARE(child<QTabBar>("tsProp")->tabToolTip(1),
                 QStringLiteral("Setup your Batch settings"));
        QVERIFY(child<QFrame>("fraProp(0)")->isVisible());
        QVERIFY(!child<QFrame>("fraProp(1)")->isVisible());
        QVERIFY(child<QPushButton>("cmdApply")->isEnabled());
        QCOMPARE(child<QSpinBox>("spnRequestInterval")->value(), 1000);
        QCOMPARE(child<QLabel>("lblRequestInterval")->text(),
                 QStringLiteral("Pause between requests to one site (ms)"));
        QVERIFY(!QFile::exists(settingsFile()));

        // Captions whose blanks matter.
        QCOMPARE(child<QLabel>("Label6")->text(), QStringLiteral("                Album: Black"));
        QCOMPARE(child<QLabel>("Label14")->text(), QStringLiteral("DVD Cover Art:  "));
        auto *help = child<QLabel>("Label3");
        QCOMPARE(help->text(),
                 QStringLiteral("Enter @artist@ for Artist from results") + QString(26, u' ') +
                     QStringLiteral("Enter @album@ for Album from results") + QString(24, u' ') +
                     QStringLiteral("Enter @folder@ to use the folder it is beings saved to"));
        QCOMPARE(help->heightForWidth(help->width()) / help->fontMetrics().lineSpacing(), 3);
    }

    void typingIntoBoxes()
    {
        QVERIFY(open());
        auto *templ = child("txtQSName");
        templ->clear();
        QTest::keyClicks(templ, QStringLiteral("@artist@/\" - @album@\\"));
        QCOMPARE(templ->text(), QStringLiteral("@artist@ - @album@"));
        QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("Metallica - Black.jpg"));
        // A backslash that arrives another way (pasted) goes at once; the caret stays put.
        templ->setCursorPosition(1);
        templ->insert(QStringLiteral("\\x\\"));
        QCOMPARE(templ->text(), QStringLiteral("@xartist@ - @album@"));
        QCOMPARE(templ->cursorPosition(), 2);
        QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("@xartist@ - Black.jpg"));

        auto *depth = child("txtDVDName");
        depth->selectAll();
        QTest::keyClicks(depth, QStringLiteral("3x.2"));
        QCOMPARE(depth->text(), QStringLiteral("32"));
    }

    void applyEnabledOnlyByListedControls()
    {
        QVERIFY(open());
        auto *apply = child<QPushButton>("cmdApply");
        click("cmdApply");
        QVERIFY(!apply->isEnabled());
        for (const char *name : {"chkSearchVantory", "chkSearchBrinsell", "chkAutoCrop"})
            child<QCheckBox>(name)->click();
        child("txtDVDName")->setText(QStringLiteral("5"));
        QVERIFY(!apply->isEnabled());

        const QList<std::function<void()>> edits{
            [&] { child<QCheckBox>("chkMusicG(17)")->click(); },
            [&] { QVERIFY(toggleAccessibly(child<QCheckBox>("ChkBatchReplace"))); },
            [&] { child<QCheckBox>("chkReplaceLarger")->click(); },
            [&] { child<QCheckBox>("chkFolderNames")->click(); },
            [&] { QTest::keyClick(child("txtQSName"), Qt::Key_X); },
            [&] { QTest::keyClick(child("txtCDCoverArt"), Qt::Key_Space); },
            [&] { QTest::keyClick(child("txtDVDCoverArt"), Qt::Key_Space); },
            [&] { QTest::keyClick(child<QSpinBox>("spnRequestInterval"), Qt::Key_Up); },
        };
        for (int i = 0; i < edits.size(); ++i) {
            edits[i]();
            QVERIFY2(apply->isEnabled(), qPrintable(QString::number(i)));
            click("cmdApply");
            QVERIFY(!apply->isEnabled());
        }
        QVERIFY(m_box->box.shown.isEmpty());
        QCOMPARE(Settings().number(Keys::RequestIntervalMs), 1100);
    }

    void applySavesNormalisedRoots()
    {
        QVERIFY(open());
        const QString music = m_folders->path(QStringLiteral("music"));
        child("txtQSName")->setText(QStringLiteral(" @artist@ - @album@ "));
        child("txtCDCoverArt")->setText(music + QStringLiteral("/ "));
        child("txtDVDCoverArt")->setText(QStringLiteral("   "));
        click("cmdApply");
        QVERIFY(m_box->box.shown.isEmpty());
        QCOMPARE(child("txtCDCoverArt")->text(), music);
        QCOMPARE(child("txtDVDCoverArt")->text(), QStringLiteral("None"));
        const QByteArray file = TestFiles::readFile(settingsFile());
        QVERIFY(file.contains("\nBatchCDPath=" + music.toUtf8() + "\n"));
        QVERIFY(file.contains("\nBatchDVDPath=None\n"));
        QVERIFY(file.contains("\nQSName=@@artist@ - @album@\n"));
        // The shared state changes at once, for the next Quick Save or batch scan.
        QCOMPARE(modJacketeer().qsName, QStringLiteral("@artist@ - @album@"));
        QCOMPARE(modJacketeer().batchCDPath, music);
        QVERIFY(m_dlg->isVisible());
    }

    // One stored key at a time: the dialog shows it on its control alone;
    // Apply writes it back as it was, and the shared state then equals what
    // the next start reads.
    void eachKey_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QVariant>("shown");
        // clang-format off
        QTest::newRow("template") << "txtQSName" << QByteArray("[StartUp]\nQSName=cover\n") << QVariant("cover");
        QTest::newRow("depth") << "txtDVDName" << QByteArray("[StartUp]\nBatchDVDFolder=3\n") << QVariant("3");
        QTest::newRow("first genre") << "chkMusicG(0)" << QByteArray("[StartUp]\nBatchGenreRock=1\n") << QVariant(true);
        QTest::newRow("R&B genre") << "chkMusicG(6)" << QByteArray("[StartUp]\nBatchGenreR%26%26B%252FSoul=1\n") << QVariant(true);
        QTest::newRow("last genre") << "chkMusicG(17)" << QByteArray("[StartUp]\nBatchGenreCompilation=1\n") << QVariant(true);
        QTest::newRow("replace") << "ChkBatchReplace" << QByteArray("[StartUp]\nBatchReplace=1\n") << QVariant(true);
        QTest::newRow("replace larger") << "chkReplaceLarger" << QByteArray("[StartUp]\nBatchReplaceLarger=1\n") << QVariant(true);
        QTest::newRow("folder names") << "chkFolderNames" << QByteArray("[StartUp]\nBatchFolderNames=1\n") << QVariant(true);
        QTest::newRow("Vantory") << "chkSearchVantory" << QByteArray("[StartUp]\nBatchVantory=1\n") << QVariant(true);
        QTest::newRow("Brinsell") << "chkSearchBrinsell" << QByteArray("[StartUp]\nBatchBrinsell=1\n") << QVariant(true);
        QTest::newRow("auto-crop") << "chkAutoCrop" << QByteArray("[StartUp]\nAutoCrop=1\n") << QVariant(true);
        QTest::newRow("pause") << "spnRequestInterval" << QByteArray("[Sites]\nRequestIntervalMs=250\n") << QVariant(250);
        // clang-format on
    }

    void eachKey()
    {
        QFETCH(QString, control);
        QFETCH(QByteArray, file);
        QFETCH(QVariant, shown);
        QVERIFY(TestFiles::writeFile(settingsFile(), file));
        QVERIFY(open());
        for (QCheckBox *box : m_dlg->findChildren<QCheckBox *>())
            QCOMPARE(box->isChecked(), box->objectName() == control);
        QObject *c = m_dlg->findChild<QObject *>(control);
        const QVariant value = c->property(qobject_cast<QCheckBox *>(c)  ? "checked"
                                           : qobject_cast<QSpinBox *>(c) ? "value"
                                                                         : "text");
        QCOMPARE(value, shown);

        click("cmdApply");
        QVERIFY(TestFiles::readFile(settingsFile()).contains(file.mid(file.indexOf('\n'))));
        ModJacketeer next;
        next.read(Settings());
        QVERIFY(modJacketeer() == next);
        // A run and a scan start from these values.
        const BatchSettings run = BatchSettings::fromShared(next);
        QVERIFY(BatchChoices(run) == next.batch && run.templateName == next.qsName);
        const BatchScanSettings scan = BatchScanSettings::fromShared(next);
        QCOMPARE(std::pair(scan.dvdDepth, scan.folderNames),
                 std::pair(next.batchDVDFolder, next.batch.folderNames));
    }

    void failedCheck_data()
    {
        // One row per box the focus goes to; which values fail is the rules' test.
        QTest::addColumn<QString>("cd");
        QTest::addColumn<QString>("dvd");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        // clang-format off
        QTest::newRow("missing cd root") << "nowhere" << "films" << "1" << "txtCDCoverArt" << "Batch CD Directory does not exist." << "Batch CD Error";
        QTest::newRow("missing dvd root") << "music" << "nowhere/" << "1" << "txtDVDCoverArt" << "Batch DVD Directory does not exist." << "Batch DVD Error";
        QTest::newRow("depth zero") << "music" << "films" << "0" << "txtDVDName" << "Dvd name must be atleast one directory past path." << "Batch DVD Error";
        // clang-format on
    }

    void failedCheck()
    {
        QFETCH(QString, cd);
        QFETCH(QString, dvd);
        QFETCH(QString, depth);
        QFETCH(QString, focus);
        QFETCH(QString, title);
        QVERIFY(open());
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg));
        child("txtCDCoverArt")->setText(m_folders->path(cd));
        child("txtDVDCoverArt")->setText(m_folders->path(dvd));
        child("txtDVDName")->setText(depth);
        click("cmdApply");

        QCOMPARE(m_box->box.shown.size(), 1);
        const RecordingMessageBox::Shown &shown = m_box->box.shown[0];
        QTEST(shown.text, "message");
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
        QCOMPARE(QApplication::focusWidget(), m_dlg->findChild<QLineEdit *>(focus));
        QVERIFY(child<QPushButton>("cmdApply")->isEnabled());
        QVERIFY(!QFile::exists(settingsFile()));
        QCOMPARE(modJacketeer().batchCDPath, QStringLiteral("None"));
    }

    void okAndCancel()
    {
        // Ok after a failed check shows the message and closes without saving.
        QVERIFY(open());
        child("txtQSName")->setText(QStringLiteral("changed"));
        child("txtCDCoverArt")->setText(m_folders->path(QStringLiteral("nowhere")));
        click("Command1");
        QCOMPARE(m_box->box.shown.size(), 1);
        QCOMPARE(m_box->box.shown[0].text, QStringLiteral("Batch CD Directory does not exist."));
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(!QFile::exists(settingsFile()));

        // Ok saves a box that does not enable Apply.
        QVERIFY(open());
        click("cmdApply");
        child<QCheckBox>("chkSearchVantory")->click();
        click("Command1");
        QTRY_VERIFY(m_dlg.isNull());
        QVERIFY(TestFiles::readFile(settingsFile()).contains("\nBatchVantory=1\n"));
        QVERIFY(modJacketeer().batch.vantory);

        // Cancel and the close box discard; the next opening reloads the store.
        for (bool closeBox : {false, true}) {
            QVERIFY(open());
            QCOMPARE(child("txtQSName")->text(), QStringLiteral("folder"));
            QVERIFY(child<QCheckBox>("chkSearchVantory")->isChecked());
            child("txtQSName")->setText(QStringLiteral("changed"));
            if (closeBox)
                m_dlg->close();
            else
                click("cmdCancel");
            QTRY_VERIFY(m_dlg.isNull());
            QCOMPARE(Settings().text(Keys::QSName), QStringLiteral("folder"));
        }
    }

    void browseFillsBoxOrLeavesIt()
    {
        QVERIFY(open());
        click("cmdApply");
        const QString music = m_folders->path(QStringLiteral("music"));
        QString seenBefore = QStringLiteral("<not run>");
        modJacketeer().browseResult = QStringLiteral("stale");
        frmProp::setBrowseRunner([&](QWidget *parent) {
            QCOMPARE(parent, m_dlg.data());
            seenBefore = modJacketeer().browseResult;
            modJacketeer().browseResult = music;
        });
        click("cmdCDBrowse");
        QCOMPARE(seenBefore, QString());
        QCOMPARE(child("txtCDCoverArt")->text(), music);
        QCOMPARE(child("txtDVDCoverArt")->text(), QStringLiteral("None"));
        QVERIFY(child<QPushButton>("cmdApply")->isEnabled());

        click("cmdApply");
        frmProp::setBrowseRunner([](QWidget *) {}); // cancelled: the result stays ""
        click("cmdDVDBrowse");
        QCOMPARE(child("txtDVDCoverArt")->text(), QStringLiteral("None"));
        QVERIFY(!child<QPushButton>("cmdApply")->isEnabled());
    }

    void openedFromTheMenus()
    {
        Settings settings;
        frmJacketeer main(&settings);
        QAction *properties = main.findChild<QAction *>(QStringLiteral("mnuOptionsProperties"));
        QVERIFY(properties->isEnabled());
        properties->trigger();
        m_dlg = frmProp::instance();
        QVERIFY(m_dlg);
        QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);
        // There is one dialog: opening it again brings it forward without a reload.
        child("txtQSName")->setText(QStringLiteral("unsaved"));
        properties->trigger();
        QCOMPARE(frmProp::instance(), m_dlg.data());
        QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);
        {
            // The batch window's entry opens the same dialog on its Batch page.
            frmBatch batch;
            QAction *batchEntry =
                batch.findChild<QAction *>(QStringLiteral("mnuOptionsProperties"));
            QVERIFY(batchEntry->isEnabled());
            batchEntry->trigger();
            QCOMPARE(frmProp::instance(), m_dlg.data());
            QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 1);
        }
        QVERIFY(child<QFrame>("fraProp(1)")->isVisible());
        QVERIFY(!child<QFrame>("fraProp(0)")->isVisible());
        QCOMPARE(child("txtQSName")->text(), QStringLiteral("unsaved"));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(
            std::count_if(windows.cbegin(), windows.cend(),
                          [](QWidget *w) { return qobject_cast<frmProp *>(w) && w->isVisible(); }),
            1);
    }

private:
    bool open()
    {
        m_dlg = frmProp::showOnPage();
        return QTest::qWaitForWindowExposed(m_dlg);
    }

    template <typename T = QLineEdit> T *child(const char *name)
    {
        return m_dlg->findChild<T *>(QLatin1String(name));
    }
    void click(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    QString settingsFile() const { return m_folders->path("config/Jacketeer/Jacketeer.ini"); }

    std::unique_ptr<TestFolders> m_folders;
    QPointer<frmProp> m_dlg;
    std::unique_ptr<ScopedRecordingMessageBox> m_box;
};

JACKETEER_GUI_TEST_MAIN(tst_frmProp)
#include "tst_frmprop.moc"
