#include "app/modjacketeer.h"
#include "app/settingsstore.h"
#include "settings/propsettings.h"
#include "settings/settingstexts.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsTexts;

Q_DECLARE_METATYPE(PropField)

class tst_PropSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void preview_data();
    void preview();
    void templateCleaning_data();
    void templateCleaning();
    void depthText_data();
    void depthText();
    void depthValueSaturates();

    void check_data();
    void check();
    void driveLetterOnlyWhenFolderKeepsExisting();

    void loadDefaultsFromEmptyStore();
    void loadOrder();
    void loadNormalisesStoredValues();
    void writeOrderAndForms();
    void applyToStateMatchesStore();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_app;
};

void tst_PropSettings::initTestCase()
{
    QVERIFY(m_config.isValid());
    QVERIFY(m_app.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", m_app.path().toUtf8());
}

void tst_PropSettings::init()
{
    SettingsStore store;
    QFile::remove(store.fileName());
}

void tst_PropSettings::preview_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default") << "folder"
                             << "folder.jpg";
    QTest::newRow("artist and album") << "@artist@ - @album@"
                                      << "Metallica - Black.jpg";
    QTest::newRow("folder") << "@folder@"
                            << "Metallica - Black.jpg";
    QTest::newRow("other case kept") << "Cover @ARTIST@"
                                     << "Cover @ARTIST@.jpg";
    QTest::newRow("every occurrence") << "@album@ @album@"
                                      << "Black Black.jpg";
    QTest::newRow("blanks trimmed before .jpg") << "  @album@  "
                                                << "Black.jpg";
    QTest::newRow("placeholders back to back") << "@artist@@album@@folder@"
                                               << "MetallicaBlackMetallica - Black.jpg";
    QTest::newRow("half a placeholder") << "@artist"
                                        << "@artist.jpg";
    QTest::newRow("empty") << ""
                           << ".jpg";
    // The preview shows the name a save would really write.
    QTest::newRow("cleaned as Quick Save cleans") << "AC/DC: <Live>?"
                                                  << "AC-DC- -Live--.jpg";
}

void tst_PropSettings::preview()
{
    QFETCH(QString, templ);
    QFETCH(QString, expected);
    QCOMPARE(PropSettings::previewName(templ), expected);
}

void tst_PropSettings::templateCleaning_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "folder"
                           << "folder";
    QTest::newRow("backslashes") << "a\\b\\\\c\\"
                                 << "abc";
    // Only typing refuses these; a pasted one stays for Quick Save to clean.
    QTest::newRow("slash and quote stay") << "a/b\"c"
                                          << "a/b\"c";
}

void tst_PropSettings::templateCleaning()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(PropSettings::cleanTemplate(text), expected);
    QVERIFY(PropSettings::isRefusedTemplateKey(QLatin1Char('/')));
    QVERIFY(PropSettings::isRefusedTemplateKey(QLatin1Char('\\')));
    QVERIFY(PropSettings::isRefusedTemplateKey(QLatin1Char('"')));
    QVERIFY(!PropSettings::isRefusedTemplateKey(QLatin1Char('@')));
}

void tst_PropSettings::depthText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("value");
    QTest::newRow("number") << "2"
                            << "2" << qint64(2);
    QTest::newRow("trailing letter") << "3x"
                                     << "3" << qint64(3);
    QTest::newRow("emptied") << ""
                             << "0" << qint64(0);
    QTest::newRow("letters only") << "abc"
                                  << "0" << qint64(0);
    QTest::newRow("trailing point") << "3."
                                    << "3" << qint64(3);
    QTest::newRow("fraction dropped") << "3.7"
                                      << "3" << qint64(3);
    QTest::newRow("leading zeros") << "007"
                                   << "7" << qint64(7);
    QTest::newRow("leading blanks") << "  12"
                                    << "12" << qint64(12);
    QTest::newRow("negative") << "-2"
                              << "-2" << qint64(-2);
    QTest::newRow("minus zero") << "-0"
                                << "0" << qint64(0);
    QTest::newRow("lone sign") << "-"
                               << "0" << qint64(0);
    QTest::newRow("above 16 bits") << "40000"
                                   << "40000" << qint64(40000);
    QTest::newRow("letter first") << "x3"
                                  << "0" << qint64(0);
}

void tst_PropSettings::depthText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(qint64, value);
    QCOMPARE(PropSettings::depthText(text), expected);
    QCOMPARE(PropSettings::depthValue(text), value);
    // Filtering is stable: a filtered text filters to itself.
    QCOMPARE(PropSettings::depthText(expected), expected);
}

void tst_PropSettings::depthValueSaturates()
{
    const QString huge = QStringLiteral("123456789012345678901234567890");
    QVERIFY(PropSettings::depthValue(huge) > PropSettings::kMaxDepth);
    QVERIFY(PropSettings::depthValue(QLatin1Char('-') + huge) < 1);
    QCOMPARE(PropSettings::depthText(huge), huge);
}

void tst_PropSettings::check_data()
{
    QTest::addColumn<QString>("cd");
    QTest::addColumn<QString>("dvd");
    QTest::addColumn<QString>("depth");
    QTest::addColumn<PropField>("failedField");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("cdAfter");
    QTest::addColumn<QString>("dvdAfter");

    // "@" stands for the temporary folder that holds "music" and "films".
    const PropField ok = PropField::None;
    QTest::newRow("both none") << "None"
                               << "None"
                               << "1" << ok << QString() << QString() << "None"
                               << "None";
    QTest::newRow("existing roots") << "@/music"
                                    << "@/films"
                                    << "2" << ok << QString() << QString() << "@/music"
                                    << "@/films";
    QTest::newRow("one trailing separator removed")
        << " @/music/ "
        << "@/films//"
        << "1" << ok << QString() << QString() << "@/music"
        << "@/films/";
    QTest::newRow("root stays root") << "/"
                                     << " / "
                                     << "1" << ok << QString() << QString() << "/"
                                     << " / ";
    QTest::newRow("emptied roots become None") << "   "
                                               << ""
                                               << "1" << ok << QString() << QString() << "None"
                                               << "None";
    QTest::newRow("none in any case is not checked")
        << "none"
        << " NoNe "
        << "1" << ok << QString() << QString() << "none"
        << " NoNe ";
    QTest::newRow("missing cd root")
        << "@/nowhere"
        << "@/nowhere"
        << "1" << PropField::CDPath << kCDMissing << kCDErrorTitle << "@/nowhere"
        << "@/nowhere";
    QTest::newRow("missing dvd root")
        << "@/music/"
        << "@/nowhere/"
        << "1" << PropField::DVDPath << kDVDMissing << kDVDErrorTitle << "@/music"
        << "@/nowhere";
    QTest::newRow("a file is not a folder")
        << "@/music/track.mp3"
        << "None"
        << "1" << PropField::CDPath << kCDMissing << kCDErrorTitle << "@/music/track.mp3"
        << "None";
    QTest::newRow("roots checked before depth")
        << "@/nowhere"
        << "None"
        << "0" << PropField::CDPath << kCDMissing << kCDErrorTitle << "@/nowhere"
        << "None";
    QTest::newRow("depth zero") << "None"
                                << "None"
                                << "0" << PropField::DVDName << kDepthTooSmall << kDVDErrorTitle
                                << "None"
                                << "None";
    QTest::newRow("depth negative")
        << "None"
        << "None"
        << "-3" << PropField::DVDName << kDepthTooSmall << kDVDErrorTitle << "None"
        << "None";
    QTest::newRow("depth largest") << "None"
                                   << "None"
                                   << "32767" << ok << QString() << QString() << "None"
                                   << "None";
    QTest::newRow("depth beyond 16 bits")
        << "None"
        << "None"
        << "32768" << PropField::DVDName << kDepthTooSmall << kDVDErrorTitle << "None"
        << "None";
}

void tst_PropSettings::check()
{
    QFETCH(QString, cd);
    QFETCH(QString, dvd);
    QFETCH(QString, depth);
    QFETCH(PropField, failedField);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, cdAfter);
    QFETCH(QString, dvdAfter);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("music")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("films")));
    QFile track(dir.filePath(QStringLiteral("music/track.mp3")));
    QVERIFY(track.open(QIODevice::WriteOnly));
    track.close();
    const auto at = [&dir](QString s) { return s.replace(QLatin1Char('@'), dir.path()); };

    PropValues v;
    v.cdPath = at(cd);
    v.dvdPath = at(dvd);
    v.dvdName = depth;
    const PropCheckFailure failure = PropSettings::check(v, &PropSettings::folderExists);
    QCOMPARE(failure.field, failedField);
    QCOMPARE(failure.failed(), failedField != PropField::None);
    QCOMPARE(failure.text, message);
    QCOMPARE(failure.title, title);
    QCOMPARE(v.cdPath, at(cdAfter));
    QCOMPARE(v.dvdPath, at(dvdAfter));
}

void tst_PropSettings::driveLetterOnlyWhenFolderKeepsExisting()
{
    QSet<QString> folders{QStringLiteral("d:/music"), QStringLiteral("D:/music"),
                          QStringLiteral("e:/films"), QStringLiteral("/home/x")};
    const auto exists = [&folders](const QString &p) { return folders.contains(p); };

    PropValues v;
    v.cdPath = QStringLiteral("d:/music/");
    v.dvdPath = QStringLiteral("e:/films");
    QVERIFY(!PropSettings::check(v, exists).failed());
    QCOMPARE(v.cdPath, QStringLiteral("D:/music"));
    // "E:/films" is not there: upper-casing would point the root elsewhere.
    QCOMPARE(v.dvdPath, QStringLiteral("e:/films"));

    // A Linux path's first letter is never touched.
    folders.insert(QStringLiteral("/Home/x"));
    QCOMPARE(PropSettings::upperDriveLetter(QStringLiteral("/home/x"), exists),
             QStringLiteral("/home/x"));
    folders.insert(QStringLiteral("Music"));
    QCOMPARE(PropSettings::upperDriveLetter(QStringLiteral("music"), exists),
             QStringLiteral("music"));
}

void tst_PropSettings::loadDefaultsFromEmptyStore()
{
    SettingsStore store;
    const PropValues v = PropSettings::load(store);
    QCOMPARE(v.qsName, QStringLiteral("folder"));
    QCOMPARE(v.cdPath, kNone);
    QCOMPARE(v.dvdPath, kNone);
    QCOMPARE(v.dvdName, QStringLiteral("1"));
    for (int16_t g : v.genre)
        QCOMPARE(g, int16_t(0));
    QCOMPARE(v.replace, int16_t(0));
    QCOMPARE(v.vantory, int16_t(0));
    QCOMPARE(v.brinsell, int16_t(0));
    QCOMPARE(v.autoCrop, int16_t(0));
}

static QStringList propKeyOrder(bool load)
{
    QStringList keys{QStringLiteral("QSName"), QStringLiteral("BatchCDPath"),
                     QStringLiteral("BatchDVDPath")};
    for (int i = 0; i < kGenreCount; ++i)
        keys << QStringLiteral("BatchGenre") + genreCaption(i);
    keys << QStringLiteral("BatchReplace") << QStringLiteral("BatchDVDFolder");
    // Loading reads Brinsell before Vantory; Apply writes them the other way round.
    if (load)
        keys << QStringLiteral("BatchBrinsell") << QStringLiteral("BatchVantory");
    else
        keys << QStringLiteral("BatchVantory") << QStringLiteral("BatchBrinsell");
    keys << QStringLiteral("AutoCrop");
    return keys;
}

void tst_PropSettings::loadOrder()
{
    SettingsStore store;
    QStringList seen;
    store.trace = [&seen](const QString &op, const QString &key) {
        QCOMPARE(op, QStringLiteral("read"));
        seen << key;
    };
    PropSettings::load(store);
    QCOMPARE(seen, propKeyOrder(true));
}

void tst_PropSettings::loadNormalisesStoredValues()
{
    {
        SettingsStore store;
        store.write(QStringLiteral("QSName"), QStringLiteral("@artist@ - @album@"));
        store.write(QStringLiteral("BatchCDPath"), QStringLiteral("/srv/music"));
        store.write(QStringLiteral("BatchGenreR&&B/Soul"), QStringLiteral("1"));
        store.write(QStringLiteral("BatchGenreCompilation"), QStringLiteral("1"));
        store.write(QStringLiteral("BatchDVDFolder"), QStringLiteral("3x"));
        store.write(QStringLiteral("BatchVantory"), QStringLiteral("1"));
        store.write(QStringLiteral("AutoCrop"), QStringLiteral("junk"));
    }
    SettingsStore store;
    const PropValues v = PropSettings::load(store);
    QCOMPARE(v.qsName, QStringLiteral("@artist@ - @album@"));
    QCOMPARE(v.cdPath, QStringLiteral("/srv/music"));
    QCOMPARE(v.dvdPath, kNone);
    QCOMPARE(v.genre[6], int16_t(1));
    QCOMPARE(v.genre[17], int16_t(1));
    QCOMPARE(v.genre[0], int16_t(0));
    QCOMPARE(v.dvdName, QStringLiteral("3"));
    QCOMPARE(v.vantory, int16_t(1));
    QCOMPARE(v.brinsell, int16_t(0));
    QCOMPARE(v.autoCrop, int16_t(0));
}

void tst_PropSettings::writeOrderAndForms()
{
    PropValues v;
    v.qsName = QStringLiteral("  @folder@ ");
    v.cdPath = QStringLiteral(" /srv/music ");
    v.dvdPath = QStringLiteral("None");
    v.dvdName = QStringLiteral("007");
    v.genre[6] = 1;
    v.replace = 1;
    v.brinsell = 1;
    {
        SettingsStore store;
        QStringList seen;
        store.trace = [&seen](const QString &op, const QString &key) {
            QCOMPARE(op, QStringLiteral("write"));
            seen << key;
        };
        PropSettings::writeToStore(v, store);
        QCOMPARE(seen, propKeyOrder(false));
    }
    SettingsStore store;
    QCOMPARE(store.read(QStringLiteral("QSName"), {}), QStringLiteral("@folder@"));
    QCOMPARE(store.read(QStringLiteral("BatchCDPath"), {}), QStringLiteral("/srv/music"));
    QCOMPARE(store.read(QStringLiteral("BatchDVDPath"), {}), QStringLiteral("None"));
    QCOMPARE(store.read(QStringLiteral("BatchGenreR&&B/Soul"), {}), QStringLiteral("1"));
    QCOMPARE(store.read(QStringLiteral("BatchGenreRock"), {}), QStringLiteral("0"));
    QCOMPARE(store.read(QStringLiteral("BatchReplace"), {}), QStringLiteral("1"));
    QCOMPARE(store.read(QStringLiteral("BatchDVDFolder"), {}), QStringLiteral("7"));
    QCOMPARE(store.read(QStringLiteral("BatchVantory"), {}), QStringLiteral("0"));
    QCOMPARE(store.read(QStringLiteral("BatchBrinsell"), {}), QStringLiteral("1"));
    QCOMPARE(store.read(QStringLiteral("AutoCrop"), {}), QStringLiteral("0"));
}

void tst_PropSettings::applyToStateMatchesStore()
{
    PropValues v;
    v.qsName = QStringLiteral(" Cover ");
    v.cdPath = QStringLiteral("/srv/music ");
    v.dvdPath = QStringLiteral(" /srv/films");
    v.dvdName = QStringLiteral("32767");
    v.genre[0] = 1;
    v.genre[11] = 1;
    v.vantory = 1;
    v.autoCrop = 1;
    ModJacketeer state;
    state.browseResult = QStringLiteral("/kept");
    PropSettings::applyToState(v, state);
    QCOMPARE(state.qsName, QStringLiteral("Cover"));
    QCOMPARE(state.batchCDPath, QStringLiteral("/srv/music"));
    QCOMPARE(state.batchDVDPath, QStringLiteral("/srv/films"));
    QCOMPARE(state.batchDVDFolder, int16_t(32767));
    QCOMPARE(state.batchGenre, v.genre);
    QCOMPARE(state.batchVantory, int16_t(1));
    QCOMPARE(state.batchBrinsell, int16_t(0));
    QCOMPARE(state.autoCrop, int16_t(1));
    QCOMPARE(state.browseResult, QStringLiteral("/kept"));

    // What the store holds after an Apply is what the shared state holds, read back.
    SettingsStore store;
    PropSettings::writeToStore(v, store);
    ModJacketeer reread;
    reread.loadFromStore(store);
    QCOMPARE(reread.qsName, state.qsName);
    QCOMPARE(reread.batchCDPath, state.batchCDPath);
    QCOMPARE(reread.batchDVDPath, state.batchDVDPath);
    QCOMPARE(reread.batchDVDFolder, state.batchDVDFolder);
    QCOMPARE(reread.batchGenre, state.batchGenre);
    QCOMPARE(reread.batchVantory, state.batchVantory);
    QCOMPARE(reread.autoCrop, state.autoCrop);
}

QTEST_GUILESS_MAIN(tst_PropSettings)
#include "tst_propsettings.moc"
