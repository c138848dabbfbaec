#include "app/modjacketeer.h"
#include "app/settingsstore.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "settings/frmprop.h"
#include "settings/settingstexts.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace SettingsTexts;

class tst_frmProp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyStoreShowsDefaults();
    void captionsAndTabs();
    void helpWrapsIntoThreeLines();
    void loadFiresHandlersAndFillsControls();
    void tabStripSwitchesFrames();
    void previewFollowsTyping_data();
    void previewFollowsTyping();
    void templateRefusesSeparatorsAndQuote();
    void depthBoxKeepsLeadingNumber();
    void applyEnabledOnlyByListedControls();
    void rootWithTrailingSeparatorSavedWithout();
    void emptiedRootSavedAsNone();
    void failedChecks_data();
    void failedChecks();
    void okWithFailedCheckClosesWithoutSaving();
    void okSavesUnhandledBoxes();
    void cancelDiscards();
    void applyUpdatesSharedState();
    void browseFillsBoxOrLeavesIt();
    void oneDialogBroughtToFront();

private:
    frmProp *open();
    template <typename T> T *child(const QString &name);
    QString stored(const QString &key);

    QTemporaryDir m_config;
    QTemporaryDir m_app;
    QTemporaryDir m_tree;
    frmProp *m_dlg = nullptr;
    ScopedRecordingMessageBox *m_box = nullptr;
};

void tst_frmProp::initTestCase()
{
    QVERIFY(m_config.isValid() && m_app.isValid() && m_tree.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", m_app.path().toUtf8());
    QVERIFY(QDir(m_tree.path()).mkpath(QStringLiteral("music")));
    QVERIFY(QDir(m_tree.path()).mkpath(QStringLiteral("films")));
}

void tst_frmProp::init()
{
    SettingsStore store;
    QFile::remove(store.fileName());
    modJacketeer() = ModJacketeer{};
    m_box = new ScopedRecordingMessageBox;
}

void tst_frmProp::cleanup()
{
    if (frmProp *dlg = frmProp::instance())
        dlg->close();
    QTRY_VERIFY(frmProp::instance() == nullptr);
    frmProp::setBrowseRunner({});
    delete m_box;
    m_box = nullptr;
    m_dlg = nullptr;
}

frmProp *tst_frmProp::open()
{
    m_dlg = frmProp::showOnPage();
    if (!QTest::qWaitForWindowExposed(m_dlg))
        return nullptr;
    return m_dlg;
}

template <typename T> T *tst_frmProp::child(const QString &name)
{
    T *w = m_dlg->findChild<T *>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}

QString tst_frmProp::stored(const QString &key)
{
    SettingsStore store;
    return store.read(key, QStringLiteral("<missing>"));
}

void tst_frmProp::emptyStoreShowsDefaults()
{
    QVERIFY(open());
    QCOMPARE(child<QLineEdit>("txtQSName")->text(), QStringLiteral("folder"));
    QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("folder.jpg"));
    QCOMPARE(child<QLineEdit>("txtCDCoverArt")->text(), kNone);
    QCOMPARE(child<QLineEdit>("txtDVDCoverArt")->text(), kNone);
    QCOMPARE(child<QLineEdit>("txtDVDName")->text(), QStringLiteral("1"));
    for (int i = 0; i < kGenreCount; ++i)
        QVERIFY(!child<QCheckBox>(QStringLiteral("chkMusicG(%1)").arg(i))->isChecked());
    for (const char *name :
         {"chkSearchVantory", "chkSearchBrinsell", "ChkBatchReplace", "chkAutoCrop"})
        QVERIFY2(!child<QCheckBox>(QLatin1String(name))->isChecked(), name);
    QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);
    QVERIFY(child<QFrame>("fraProp(0)")->isVisible());
    QVERIFY(!child<QFrame>("fraProp(1)")->isVisible());
    QVERIFY(child<QPushButton>("cmdApply")->isEnabled());
    // Opening reads the store but writes nothing back.
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("<missing>"));
}

void tst_frmProp::captionsAndTabs()
{
    QVERIFY(open());
    QCOMPARE(m_dlg->windowTitle(), kPropCaption);
    QVERIFY(!m_dlg->isModal());
    auto *tabs = child<QTabBar>("tsProp");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Quick Save"));
    QCOMPARE(tabs->tabData(0).toString(), QStringLiteral("Quick Save"));
    QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Set the Quick Save Settings"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Batch"));
    QCOMPARE(tabs->tabData(1).toString(), QStringLiteral("Batch"));
    QCOMPARE(tabs->tabToolTip(1), QStringLiteral("Setup your Batch settings"));

    const QList<QPair<QString, QString>> labels{
        {"Label1", "File Name:"},
        {"Label2", ".jpg"},
        {"Label4", "Result File Name:"},
        {"Label5", "Example - Artist: Metallica"},
        {"Label6", "                Album: Black"},
        {"Label7", "                Folder: Metallica - Black"},
        {"Label15", "CD Cover Art: "},
        {"Label14", "DVD Cover Art:  "},
        {"Label8", "How many folders past above path is DVD name: "},
    };
    for (const auto &[name, text] : labels)
        QCOMPARE(child<QLabel>(name)->text(), text);
    QCOMPARE(child<QLabel>("Label3")->text(),
             QStringLiteral("Enter @artist@ for Artist from results") + QString(26, u' ') +
                 QStringLiteral("Enter @album@ for Album from results") + QString(24, u' ') +
                 QStringLiteral("Enter @folder@ to use the folder it is beings saved to"));
    QCOMPARE(m_dlg->findChild<QWidget *>("Frame1")->property("title").toString(),
             QStringLiteral("Directory"));
    QCOMPARE(m_dlg->findChild<QWidget *>("Frame2")->property("title").toString(),
             QStringLiteral("Vantory Genres"));
    for (int i = 0; i < kGenreCount; ++i)
        QCOMPARE(child<QCheckBox>(QStringLiteral("chkMusicG(%1)").arg(i))->text(), genreCaption(i));
    QCOMPARE(child<QCheckBox>("chkMusicG(6)")->text(), QStringLiteral("R&&B/Soul"));
    const QList<QPair<QString, QString>> boxes{
        {"chkSearchVantory", "Search Vantory"},
        {"chkSearchBrinsell", "Search Brinsell"},
        {"ChkBatchReplace", "Replace existing Cover Art"},
        {"chkAutoCrop", "Auto-Crop Vantory 500x500 DVD cover art to 350x500"},
    };
    for (const auto &[name, text] : boxes)
        QCOMPARE(child<QCheckBox>(name)->text(), text);
    QCOMPARE(child<QPushButton>("cmdCDBrowse")->text(), QStringLiteral("Browse"));
    QCOMPARE(child<QPushButton>("cmdDVDBrowse")->text(), QStringLiteral("Browse"));
    QCOMPARE(child<QPushButton>("Command1")->text(), QStringLiteral("&Ok"));
    QCOMPARE(child<QPushButton>("cmdApply")->text(), QStringLiteral("&Apply"));
    QCOMPARE(child<QPushButton>("cmdCancel")->text(), QStringLiteral("&Cancel"));
}

void tst_frmProp::helpWrapsIntoThreeLines()
{
    QVERIFY(open());
    auto *help = child<QLabel>("Label3");
    const int lines = help->heightForWidth(help->width()) / help->fontMetrics().lineSpacing();
    QCOMPARE(lines, 3);
    // The longest sentence must fit on its line, or it would wrap into a fourth.
    QVERIFY(help->fontMetrics().horizontalAdvance(kHelpLine3) <= help->width());
}

void tst_frmProp::loadFiresHandlersAndFillsControls()
{
    {
        SettingsStore store;
        store.write(QStringLiteral("QSName"), QStringLiteral("@artist@ - @album@"));
        store.write(QStringLiteral("BatchCDPath"), m_tree.filePath(QStringLiteral("music")));
        store.write(QStringLiteral("BatchGenreR&&B/Soul"), QStringLiteral("1"));
        store.write(QStringLiteral("BatchGenreRap/Hip Hop"), QStringLiteral("1"));
        store.write(QStringLiteral("BatchReplace"), QStringLiteral("1"));
        store.write(QStringLiteral("BatchDVDFolder"), QStringLiteral("2"));
        store.write(QStringLiteral("BatchBrinsell"), QStringLiteral("1"));
        store.write(QStringLiteral("AutoCrop"), QStringLiteral("1"));
    }
    QVERIFY(open());
    QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("Metallica - Black.jpg"));
    QCOMPARE(child<QLineEdit>("txtCDCoverArt")->text(), m_tree.filePath(QStringLiteral("music")));
    QVERIFY(child<QCheckBox>("chkMusicG(6)")->isChecked());
    QVERIFY(child<QCheckBox>("chkMusicG(15)")->isChecked());
    QVERIFY(!child<QCheckBox>("chkMusicG(0)")->isChecked());
    QVERIFY(child<QCheckBox>("ChkBatchReplace")->isChecked());
    QCOMPARE(child<QLineEdit>("txtDVDName")->text(), QStringLiteral("2"));
    QVERIFY(child<QCheckBox>("chkSearchBrinsell")->isChecked());
    QVERIFY(!child<QCheckBox>("chkSearchVantory")->isChecked());
    QVERIFY(child<QCheckBox>("chkAutoCrop")->isChecked());
}

void tst_frmProp::tabStripSwitchesFrames()
{
    QVERIFY(open());
    auto *tabs = child<QTabBar>("tsProp");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(!child<QFrame>("fraProp(0)")->isVisible());
    QVERIFY(child<QFrame>("fraProp(1)")->isVisible());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QVERIFY(child<QFrame>("fraProp(0)")->isVisible());
    QVERIFY(!child<QFrame>("fraProp(1)")->isVisible());
}

void tst_frmProp::previewFollowsTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("preview");
    QTest::newRow("default") << "folder"
                             << "folder.jpg";
    QTest::newRow("artist and album") << "@artist@ - @album@"
                                      << "Metallica - Black.jpg";
    QTest::newRow("folder") << "@folder@"
                            << "Metallica - Black.jpg";
    QTest::newRow("other case") << "Cover @ARTIST@"
                                << "Cover @ARTIST@.jpg";
    QTest::newRow("trailing blanks") << "cover  "
                                     << "cover.jpg";
}

void tst_frmProp::previewFollowsTyping()
{
    QFETCH(QString, typed);
    QFETCH(QString, preview);
    QVERIFY(open());
    auto *box = child<QLineEdit>("txtQSName");
    box->clear();
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), typed);
    QCOMPARE(child<QLabel>("lblName")->text(), preview);
}

void tst_frmProp::templateRefusesSeparatorsAndQuote()
{
    QVERIFY(open());
    auto *box = child<QLineEdit>("txtQSName");
    box->clear();
    QTest::keyClicks(box, QStringLiteral("a/b\"c\\d"));
    QCOMPARE(box->text(), QStringLiteral("abcd"));
    // A backslash that arrives another way (pasted, set) is removed at once.
    box->setCursorPosition(1);
    box->insert(QStringLiteral("\\x\\"));
    QCOMPARE(box->text(), QStringLiteral("axbcd"));
    QCOMPARE(box->cursorPosition(), 2);
    QCOMPARE(child<QLabel>("lblName")->text(), QStringLiteral("axbcd.jpg"));
}

void tst_frmProp::depthBoxKeepsLeadingNumber()
{
    QVERIFY(open());
    auto *depth = child<QLineEdit>("txtDVDName");
    depth->selectAll();
    QTest::keyClicks(depth, QStringLiteral("3x"));
    QCOMPARE(depth->text(), QStringLiteral("3"));
    QTest::keyClick(depth, Qt::Key_Period);
    QCOMPARE(depth->text(), QStringLiteral("3"));
    QTest::keyClick(depth, Qt::Key_2);
    QCOMPARE(depth->text(), QStringLiteral("32"));
    QTest::keyClick(depth, Qt::Key_Backspace);
    QTest::keyClick(depth, Qt::Key_Backspace);
    QCOMPARE(depth->text(), QStringLiteral("0"));
    QTest::keyClick(depth, Qt::Key_End);
    QTest::keyClick(depth, Qt::Key_4);
    QCOMPARE(depth->text(), QStringLiteral("4"));
}

void tst_frmProp::applyEnabledOnlyByListedControls()
{
    QVERIFY(open());
    auto *apply = child<QPushButton>("cmdApply");
    const auto reset = [&] {
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(!apply->isEnabled());
    };
    reset();
    // These have no handler that enables Apply.
    for (const char *name : {"chkSearchVantory", "chkSearchBrinsell", "chkAutoCrop"}) {
        child<QCheckBox>(QLatin1String(name))->click();
        QVERIFY2(!apply->isEnabled(), name);
    }
    child<QLineEdit>("txtDVDName")->setText(QStringLiteral("5"));
    QVERIFY(!apply->isEnabled());
    // These do.
    child<QCheckBox>("chkMusicG(17)")->click();
    QVERIFY(apply->isEnabled());
    reset();
    child<QCheckBox>("ChkBatchReplace")->click();
    QVERIFY(apply->isEnabled());
    reset();
    QTest::keyClicks(child<QLineEdit>("txtQSName"), QStringLiteral("x"));
    QVERIFY(apply->isEnabled());
    reset();
    QTest::keyClick(child<QLineEdit>("txtCDCoverArt"), Qt::Key_Space);
    QVERIFY(apply->isEnabled());
    reset();
    QTest::keyClick(child<QLineEdit>("txtDVDCoverArt"), Qt::Key_Space);
    QVERIFY(apply->isEnabled());
    reset();
    QCOMPARE(stored(QStringLiteral("BatchDVDFolder")), QStringLiteral("5"));
}

void tst_frmProp::rootWithTrailingSeparatorSavedWithout()
{
    QVERIFY(open());
    const QString music = m_tree.filePath(QStringLiteral("music"));
    child<QLineEdit>("txtCDCoverArt")->setText(music + QStringLiteral("/ "));
    child<QLineEdit>("txtDVDCoverArt")->setText(QStringLiteral("/"));
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    QVERIFY(m_box->box.shown.isEmpty());
    QCOMPARE(child<QLineEdit>("txtCDCoverArt")->text(), music);
    QCOMPARE(stored(QStringLiteral("BatchCDPath")), music);
    QCOMPARE(stored(QStringLiteral("BatchDVDPath")), QStringLiteral("/"));
    QVERIFY(!child<QPushButton>("cmdApply")->isEnabled());
}

void tst_frmProp::emptiedRootSavedAsNone()
{
    QVERIFY(open());
    child<QLineEdit>("txtCDCoverArt")->setText(QStringLiteral("   "));
    child<QLineEdit>("txtDVDCoverArt")->setText(QStringLiteral("none"));
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    QVERIFY(m_box->box.shown.isEmpty());
    QCOMPARE(child<QLineEdit>("txtCDCoverArt")->text(), kNone);
    QCOMPARE(stored(QStringLiteral("BatchCDPath")), kNone);
    QCOMPARE(stored(QStringLiteral("BatchDVDPath")), QStringLiteral("none"));
    QCOMPARE(modJacketeer().batchCDPath, kNone);
}

void tst_frmProp::failedChecks_data()
{
    QTest::addColumn<QString>("cd");
    QTest::addColumn<QString>("dvd");
    QTest::addColumn<QString>("depth");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    // "@" stands for the test's folder tree.
    QTest::newRow("missing cd root") << "@/nowhere"
                                     << "@/films"
                                     << "1"
                                     << "txtCDCoverArt" << kCDMissing << kCDErrorTitle;
    QTest::newRow("missing dvd root") << "@/music"
                                      << "@/nowhere/"
                                      << "1"
                                      << "txtDVDCoverArt" << kDVDMissing << kDVDErrorTitle;
    QTest::newRow("depth zero") << "None"
                                << "None"
                                << "0"
                                << "txtDVDName" << kDepthTooSmall << kDVDErrorTitle;
    QTest::newRow("depth beyond 16 bits") << "None"
                                          << "None"
                                          << "40000"
                                          << "txtDVDName" << kDepthTooSmall << kDVDErrorTitle;
}

void tst_frmProp::failedChecks()
{
    QFETCH(QString, cd);
    QFETCH(QString, dvd);
    QFETCH(QString, depth);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    QFETCH(QString, title);
    const auto at = [this](QString s) { return s.replace(QLatin1Char('@'), m_tree.path()); };

    QVERIFY(open());
    QTest::mouseClick(child<QTabBar>("tsProp"), Qt::LeftButton, {},
                      child<QTabBar>("tsProp")->tabRect(1).center());
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg));
    child<QLineEdit>("txtCDCoverArt")->setText(at(cd));
    child<QLineEdit>("txtDVDCoverArt")->setText(at(dvd));
    child<QLineEdit>("txtDVDName")->setText(depth);
    child<QPushButton>("Command1")->setFocus();
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);

    QCOMPARE(m_box->box.shown.size(), 1);
    QCOMPARE(m_box->box.shown[0].text, message);
    QCOMPARE(m_box->box.shown[0].title, title);
    QCOMPARE(m_box->box.shown[0].buttons, MsgButtons::OkOnly);
    QCOMPARE(m_box->box.shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(focus));
    QVERIFY(child<QPushButton>("cmdApply")->isEnabled());
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("<missing>"));
    QCOMPARE(stored(QStringLiteral("BatchCDPath")), QStringLiteral("<missing>"));
    QCOMPARE(modJacketeer().batchDVDFolder, int16_t(1));
}

void tst_frmProp::okWithFailedCheckClosesWithoutSaving()
{
    QVERIFY(open());
    QPointer<frmProp> dlg = m_dlg;
    child<QLineEdit>("txtQSName")->setText(QStringLiteral("changed"));
    child<QLineEdit>("txtCDCoverArt")->setText(m_tree.filePath(QStringLiteral("nowhere")));
    QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(m_box->box.shown.size(), 1);
    QCOMPARE(m_box->box.shown[0].text, kCDMissing);
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("<missing>"));
    QCOMPARE(modJacketeer().qsName, QStringLiteral("folder"));
}

void tst_frmProp::okSavesUnhandledBoxes()
{
    QVERIFY(open());
    QPointer<frmProp> dlg = m_dlg;
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    child<QCheckBox>("chkSearchVantory")->click();
    QVERIFY(!child<QPushButton>("cmdApply")->isEnabled());
    QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(stored(QStringLiteral("BatchVantory")), QStringLiteral("1"));
    QCOMPARE(modJacketeer().batchVantory, int16_t(1));
}

void tst_frmProp::cancelDiscards()
{
    QVERIFY(open());
    QPointer<frmProp> dlg = m_dlg;
    child<QLineEdit>("txtQSName")->setText(QStringLiteral("changed"));
    child<QCheckBox>("chkMusicG(2)")->click();
    QTest::mouseClick(child<QPushButton>("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("<missing>"));
    QCOMPARE(modJacketeer().batchGenre[2], int16_t(0));
    // The close box discards as well; a new opening reloads the store.
    QVERIFY(open());
    QCOMPARE(child<QLineEdit>("txtQSName")->text(), QStringLiteral("folder"));
    child<QLineEdit>("txtQSName")->setText(QStringLiteral("changed"));
    dlg = m_dlg;
    m_dlg->close();
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("<missing>"));
}

void tst_frmProp::applyUpdatesSharedState()
{
    QVERIFY(open());
    const QString films = m_tree.filePath(QStringLiteral("films"));
    child<QLineEdit>("txtQSName")->setText(QStringLiteral(" @artist@ - @album@ "));
    child<QLineEdit>("txtDVDCoverArt")->setText(films);
    child<QLineEdit>("txtDVDName")->setText(QStringLiteral("2"));
    child<QCheckBox>("chkMusicG(4)")->click();
    child<QCheckBox>("chkSearchBrinsell")->click();
    child<QCheckBox>("ChkBatchReplace")->click();
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    QVERIFY(m_box->box.shown.isEmpty());
    const ModJacketeer &state = modJacketeer();
    QCOMPARE(state.qsName, QStringLiteral("@artist@ - @album@"));
    QCOMPARE(state.batchCDPath, kNone);
    QCOMPARE(state.batchDVDPath, films);
    QCOMPARE(state.batchDVDFolder, int16_t(2));
    QCOMPARE(state.batchGenre[4], int16_t(1));
    QCOMPARE(state.batchBrinsell, int16_t(1));
    QCOMPARE(state.batchReplace, int16_t(1));
    QCOMPARE(stored(QStringLiteral("QSName")), QStringLiteral("@artist@ - @album@"));
    QCOMPARE(stored(QStringLiteral("BatchDVDPath")), films);
    QCOMPARE(stored(QStringLiteral("BatchGenreJazz")), QStringLiteral("1"));
    // The dialog stays open after Apply.
    QVERIFY(m_dlg->isVisible());
}

void tst_frmProp::browseFillsBoxOrLeavesIt()
{
    QVERIFY(open());
    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    const QString music = m_tree.filePath(QStringLiteral("music"));
    QString seenBefore = QStringLiteral("<not run>");
    modJacketeer().browseResult = QStringLiteral("stale");
    frmProp::setBrowseRunner([&](QWidget *parent) {
        QCOMPARE(parent, m_dlg);
        seenBefore = modJacketeer().browseResult;
        modJacketeer().browseResult = music;
    });
    QTest::mouseClick(child<QPushButton>("cmdCDBrowse"), Qt::LeftButton);
    QCOMPARE(seenBefore, QString());
    QCOMPARE(child<QLineEdit>("txtCDCoverArt")->text(), music);
    QCOMPARE(child<QLineEdit>("txtDVDCoverArt")->text(), kNone);
    QVERIFY(child<QPushButton>("cmdApply")->isEnabled());

    QTest::mouseClick(child<QPushButton>("cmdApply"), Qt::LeftButton);
    frmProp::setBrowseRunner([](QWidget *) {}); // cancelled: the result stays ""
    QTest::mouseClick(child<QPushButton>("cmdDVDBrowse"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("txtDVDCoverArt")->text(), kNone);
    QVERIFY(!child<QPushButton>("cmdApply")->isEnabled());
}

void tst_frmProp::oneDialogBroughtToFront()
{
    QVERIFY(open());
    frmProp *first = m_dlg;
    child<QLineEdit>("txtQSName")->setText(QStringLiteral("unsaved"));
    QCOMPARE(frmProp::showOnPage(), first);
    QCOMPARE(child<QLineEdit>("txtQSName")->text(), QStringLiteral("unsaved"));
    QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 0);
    // The batch window's menu asks for the Batch page.
    QCOMPARE(frmProp::showOnPage(frmProp::BatchPage), first);
    QCOMPARE(child<QTabBar>("tsProp")->currentIndex(), 1);
    QVERIFY(child<QFrame>("fraProp(1)")->isVisible());
    QCOMPARE(child<QLineEdit>("txtQSName")->text(), QStringLiteral("unsaved"));
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                           [](QWidget *w) { return qobject_cast<frmProp *>(w) && w->isVisible(); }),
             1);
}

JACKETEER_GUI_TEST_MAIN(tst_frmProp)
#include "tst_frmprop.moc"
