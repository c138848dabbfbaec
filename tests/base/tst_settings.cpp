#include "base/settings.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QTest>

#include <optional>

// The settings file as the program has always written and read it.
class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A private configuration folder per row: a real user's settings are
        // never touched.
        m_folders.emplace();
        m_boxes.box.shown.clear();
    }

    void cleanup() { Settings::useFile({}); }

    // Every key, named by the row: what a missing key reads as, and the line
    // a value becomes in the file.
    void declaration_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QVariant>("missing");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QString>("line");
        const auto row = [](const QString &name, const char *group, QVariant missing,
                            QVariant written, const QString &line) {
            QTest::newRow(qPrintable(name)) << group << missing << written << line;
        };
        // clang-format off
        row("QSName", "StartUp", "folder", "@artist@ - @album@", "QSName=@@artist@ - @album@");
        row("BatchCDPath", "StartUp", "None", "/srv/CD Rips", "BatchCDPath=/srv/CD Rips");
        row("BatchDVDPath", "StartUp", "None", "/srv/DVD", "BatchDVDPath=/srv/DVD");
        // The captions as the file spells them in a key ("/" encoded twice, "&" and blanks once).
        const QList<QPair<const char *, const char *>> genres{
            {"Rock", "Rock"}, {"Blues", "Blues"}, {"Country", "Country"}, {"Dance", "Dance"},
            {"Jazz", "Jazz"}, {"Christian", "Christian"}, {"R&&B/Soul", "R%26%26B%252FSoul"},
            {"Special Interest", "Special%20Interest"}, {"Folk", "Folk"}, {"New Age", "New%20Age"},
            {"Reggae", "Reggae"}, {"Pop", "Pop"}, {"Classical", "Classical"}, {"Latin", "Latin"},
            {"Childrens", "Childrens"}, {"Rap/Hip Hop", "Rap%252FHip%20Hop"},
            {"Soundtrack", "Soundtrack"}, {"Compilation", "Compilation"}};
        for (const QString prefix : {"BatchGenre", "Genre"})
            for (const auto &[caption, spelled] : genres)
                row(prefix + caption, "StartUp", false, true, prefix + spelled + "=1");
        row("SearchTypeCD", "StartUp", false, true, "SearchTypeCD=True");
        row("SearchTypeDVD", "StartUp", false, true, "SearchTypeDVD=True");
        for (const QString name : {"Vantory", "Brinsell", "Amazon", "BatchReplace", "BatchBrinsell", "BatchVantory", "AutoCrop", "BatchReplaceLarger", "BatchFolderNames"})
            row(name, "StartUp", false, true, name + "=1");
        row("BatchDVDFolder", "StartUp", 1, 3, "BatchDVDFolder=3");
        row("SearchDrive", "StartUp", "", "/media/usb", "SearchDrive=/media/usb");
        row("SearchPath", "StartUp", "", "/srv/a=b;c,d", "SearchPath=\"/srv/a=b;c,d\"");
        row("VantoryHost", "Sites", "www.vantory.com", "127.0.0.1:80", "VantoryHost=127.0.0.1:80");
        row("BrinsellHost", "Sites", "www.brinsell.com", "b.test", "BrinsellHost=b.test");
        row("BrinsellImageHost", "Sites", "images.brinsell.com", "i.test", "BrinsellImageHost=i.test");
        row("UpdateInfoUrl", "Sites", "http://www.jacketeer.net/version.html", "http://u.test/v.html", "UpdateInfoUrl=http://u.test/v.html");
        row("DownloadPageUrl", "Sites", "http://www.jacketeer.net/download.html", "http://u.test/d.html", "DownloadPageUrl=http://u.test/d.html");
        row("RequestIntervalMs", "Sites", 1000, 0, "RequestIntervalMs=0");
        row("SearchConcurrency", "Sites", 4, 2, "SearchConcurrency=2");
        // clang-format on
    }

    void declaration()
    {
        QFETCH(QString, group);
        QFETCH(QVariant, missing);
        QFETCH(QVariant, written);
        QFETCH(QString, line);
        const SettingKey key = named(QTest::currentDataTag());
        {
            Settings settings;
            QCOMPARE(typed(settings, key, written.typeId()), missing);
            // Reading never writes the default back.
            QVERIFY(settings.sync());
            QVERIFY(!QFile::exists(settings.fileName()));
            if (written.typeId() == QMetaType::Bool)
                settings.setOn(key, written.toBool());
            else if (written.typeId() == QMetaType::Int)
                settings.setNumber(key, written.toInt());
            else
                settings.setText(key, written.toString());
            QVERIFY(settings.sync());
            QCOMPARE(TestFiles::readFile(settings.fileName()),
                     ("[" + group + "]\n" + line + "\n").toUtf8());
        }
        QCOMPARE(typed(Settings(), key, written.typeId()), written);
        QVERIFY(m_boxes.box.shown.isEmpty());
    }

    // Texts as old versions wrote them or a user edited them.
    void oldFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        // clang-format off
        QTest::newRow("check box: leading number") << QByteArray("[StartUp]\nBatchReplace=1x\n") << "BatchReplace" << QVariant(true);
        QTest::newRow("check box: only 1 is on") << QByteArray("[StartUp]\nBatchReplace=2\n") << "BatchReplace" << QVariant(false);
        QTest::newRow("option: any case") << QByteArray("[StartUp]\nSearchTypeDVD=true\n") << "SearchTypeDVD" << QVariant(true);
        QTest::newRow("option: a number") << QByteArray("[StartUp]\nSearchTypeCD=1\n") << "SearchTypeCD" << QVariant(false);
        QTest::newRow("depth: leading number") << QByteArray("[StartUp]\nBatchDVDFolder=3x\n") << "BatchDVDFolder" << QVariant(3);
        QTest::newRow("depth: beyond 16 bits") << QByteArray("[StartUp]\nBatchDVDFolder=99999\n") << "BatchDVDFolder" << QVariant(32767);
        QTest::newRow("depth: negative as stored") << QByteArray("[StartUp]\nBatchDVDFolder=-2\n") << "BatchDVDFolder" << QVariant(-2);
        QTest::newRow("empty template stays empty") << QByteArray("[StartUp]\nQSName=\n") << "QSName" << QVariant("");
        QTest::newRow("unquoted comma") << QByteArray("[StartUp]\nQSName=Cover, front\n") << "QSName" << QVariant("Cover, front");
        QTest::newRow("interval: trailing letters") << QByteArray("[Sites]\nRequestIntervalMs=5x\n") << "RequestIntervalMs" << QVariant(1000);
        QTest::newRow("concurrency: above six") << QByteArray("[Sites]\nSearchConcurrency=250\n") << "SearchConcurrency" << QVariant(6);
        QTest::newRow("concurrency: zero") << QByteArray("[Sites]\nSearchConcurrency=0\n") << "SearchConcurrency" << QVariant(4);
        // clang-format on
    }

    void oldFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QVERIFY(TestFiles::writeFile(m_folders->path("old.ini"), file));
        Settings::useFile(m_folders->path("old.ini"));
        QCOMPARE(typed(Settings(), named(name), value.typeId()), value);
    }

    void sites()
    {
        QVERIFY(TestFiles::writeFile(m_folders->path("s.ini"),
                                     "[Sites]\nVantoryHost=v:1\nBrinsellHost=b:2\n"
                                     "BrinsellImageHost=i:3\nUpdateInfoUrl=http://u/4\n"
                                     "DownloadPageUrl=http://d/5\n"));
        Settings::useFile(m_folders->path("s.ini"));
        const SiteEndpoints s = Settings().sites();
        QCOMPARE(QStringList({s.vantoryHost, s.brinsellHost, s.brinsellImageHost, s.updateInfoUrl,
                              s.downloadPageUrl}),
                 QStringList({"v:1", "b:2", "i:3", "http://u/4", "http://d/5"}));
    }

    // A file that cannot be written (here a folder stands in its place, which
    // binds root as well as a read-only file binds a user) is told once, in a
    // message naming it.
    void unwritable()
    {
        const QString file = m_folders->path("Jacketeer.ini");
        QVERIFY(QDir().mkpath(file));
        Settings::useFile(file);
        for (int i = 0; i < 2; ++i) {
            Settings settings;
            settings.setOn(Keys::BatchReplace, true);
            QVERIFY(!settings.sync());
        }
        QCOMPARE(m_boxes.box.shown.size(), 1);
        const RecordingMessageBox::Shown &shown = m_boxes.box.shown[0];
        QCOMPARE(shown.text, "Jacketeer could not save its settings to " + file +
                                 ": the file or its folder is read-only, or the disk is full. "
                                 "Changes made now last only until the program ends.");
        QCOMPARE(shown.title, QStringLiteral("Settings Not Saved"));
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
    }

private:
    static SettingKey named(const QString &name)
    {
        for (const SettingKey &key : Keys::all())
            if (key.name == name)
                return key;
        qFatal("no key %s", qPrintable(name));
    }

    // The key's value, read as the expected value's type asks.
    static QVariant typed(const Settings &settings, const SettingKey &key, int type)
    {
        return type == QMetaType::Bool  ? QVariant(settings.isOn(key))
               : type == QMetaType::Int ? QVariant(settings.number(key))
                                        : QVariant(settings.text(key));
    }

    std::optional<TestFolders> m_folders;
    ScopedRecordingMessageBox m_boxes;
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
