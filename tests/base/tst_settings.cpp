#include "base/settings.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QTest>

// The settings file as the program has always written and read it.
class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A private configuration folder per row: a real user's settings are
        // never touched.
        m_folders = std::make_unique<TestFolders>();
        m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    }

    void cleanup()
    {
        Settings::useFile({});
        m_boxes.reset();
        m_folders.reset();
    }

    // Every key in its declared order: what a missing key reads as, and the
    // line a value becomes in the file.
    void declaration_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QVariant>("missing");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QString>("line");
        int position = 0;
        const auto row = [&position](const char *name, const char *group, QVariant missing,
                                     QVariant written, const QString &line) {
            QTest::newRow(name) << position++ << name << group << missing << written << line;
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
                row(qPrintable(prefix + caption), "StartUp", false, true, prefix + spelled + "=1");
        row("SearchTypeCD", "StartUp", false, true, "SearchTypeCD=True");
        row("SearchTypeDVD", "StartUp", false, true, "SearchTypeDVD=True");
        row("Vantory", "StartUp", false, true, "Vantory=1");
        row("Brinsell", "StartUp", false, true, "Brinsell=1");
        row("Amazon", "StartUp", false, true, "Amazon=1");
        row("BatchReplace", "StartUp", false, true, "BatchReplace=1");
        row("BatchDVDFolder", "StartUp", 1, 3, "BatchDVDFolder=3");
        row("BatchBrinsell", "StartUp", false, true, "BatchBrinsell=1");
        row("BatchVantory", "StartUp", false, true, "BatchVantory=1");
        row("AutoCrop", "StartUp", false, true, "AutoCrop=1");
        row("SearchDrive", "StartUp", "", "/media/usb", "SearchDrive=/media/usb");
        row("SearchPath", "StartUp", "", "/srv/a=b;c,d", "SearchPath=\"/srv/a=b;c,d\"");
        row("BatchReplaceLarger", "StartUp", false, true, "BatchReplaceLarger=1");
        row("BatchFolderNames", "StartUp", false, true, "BatchFolderNames=1");
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
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(QVariant, missing);
        QFETCH(QVariant, written);
        QFETCH(QString, line);
        const std::vector<SettingKey> keys = Keys::all();
        QCOMPARE(keys.size(), 60u);
        const SettingKey &key = keys.at(static_cast<std::size_t>(position));
        QCOMPARE(key.name, name);
        QCOMPARE(QLatin1String(key.group), group);
        {
            Settings settings;
            QCOMPARE(typed(settings, key, written.typeId()), missing);
            // Reading never writes the default back.
            QVERIFY(settings.sync());
            QVERIFY(!QFile::exists(settings.fileName()));
            set(settings, key, written);
            QVERIFY(settings.sync());
            QCOMPARE(TestFiles::readFile(settings.fileName()),
                     ("[" + group + "]\n" + line + "\n").toUtf8());
        }
        QCOMPARE(typed(Settings(), key, written.typeId()), written);
        QVERIFY(m_boxes->box.shown.isEmpty());
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
        QTest::newRow("check box: a word") << QByteArray("[StartUp]\nVantory=yes\n") << "Vantory" << QVariant(false);
        QTest::newRow("option: any case") << QByteArray("[StartUp]\nSearchTypeDVD=true\n") << "SearchTypeDVD" << QVariant(true);
        QTest::newRow("option: a number") << QByteArray("[StartUp]\nSearchTypeCD=1\n") << "SearchTypeCD" << QVariant(false);
        QTest::newRow("depth: leading number") << QByteArray("[StartUp]\nBatchDVDFolder=3x\n") << "BatchDVDFolder" << QVariant(3);
        QTest::newRow("depth: beyond 16 bits") << QByteArray("[StartUp]\nBatchDVDFolder=99999\n") << "BatchDVDFolder" << QVariant(32767);
        QTest::newRow("depth: negative as stored") << QByteArray("[StartUp]\nBatchDVDFolder=-2\n") << "BatchDVDFolder" << QVariant(-2);
        QTest::newRow("empty template stays empty") << QByteArray("[StartUp]\nQSName=\n") << "QSName" << QVariant("");
        QTest::newRow("unquoted comma") << QByteArray("[StartUp]\nQSName=Cover, front\n") << "QSName" << QVariant("Cover, front");
        QTest::newRow("UTF-8 path") << QByteArray("[StartUp]\nBatchCDPath=/home/zo\xc3\xab/M\xc3\xbasica\n") << "BatchCDPath" << QVariant(QString::fromUtf8("/home/zo\xc3\xab/M\xc3\xbasica"));
        QTest::newRow("interval") << QByteArray("[Sites]\nRequestIntervalMs=250\n") << "RequestIntervalMs" << QVariant(250);
        QTest::newRow("interval: negative") << QByteArray("[Sites]\nRequestIntervalMs=-5\n") << "RequestIntervalMs" << QVariant(1000);
        QTest::newRow("interval: trailing letters") << QByteArray("[Sites]\nRequestIntervalMs=5x\n") << "RequestIntervalMs" << QVariant(1000);
        QTest::newRow("interval: in the other section") << QByteArray("[StartUp]\nRequestIntervalMs=7\n") << "RequestIntervalMs" << QVariant(1000);
        QTest::newRow("concurrency: one") << QByteArray("[Sites]\nSearchConcurrency=1\n") << "SearchConcurrency" << QVariant(1);
        QTest::newRow("concurrency: above six") << QByteArray("[Sites]\nSearchConcurrency=250\n") << "SearchConcurrency" << QVariant(6);
        QTest::newRow("concurrency: zero") << QByteArray("[Sites]\nSearchConcurrency=0\n") << "SearchConcurrency" << QVariant(4);
        // clang-format on
    }

    void oldFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        const QString path = m_folders->path("old.ini");
        QVERIFY(TestFiles::writeFile(path, file));
        Settings::useFile(path);
        const std::vector<SettingKey> keys = Keys::all();
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&name](const SettingKey &k) { return k.name == name; });
        QVERIFY(key != keys.end());
        QCOMPARE(typed(Settings(), *key, value.typeId()), value);
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

    // A file that cannot be written is told once, in a message naming it.
    void unwritable_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::newRow("read-only file") << "file";
        QTest::newRow("read-only folder") << "folder";
        QTest::newRow("a folder in the file's place") << "folder at file";
        QTest::newRow("a file in the folder's place") << "file at folder";
    }

    void unwritable()
    {
        QFETCH(QString, blocked);
        const QString folder = m_folders->path("locked");
        const QString file = folder + "/Jacketeer.ini";
        if (blocked == "file at folder") {
            QVERIFY(TestFiles::writeFile(folder));
        } else if (blocked == "folder at file") {
            QVERIFY(QDir().mkpath(file));
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (blocked == "file")
                QVERIFY(TestFiles::writeFile(file, "[StartUp]\nQSName=cover\n"));
            const QString target = blocked == "file" ? file : folder;
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
            if (QFileInfo(target).isWritable())
                QSKIP("permissions do not bind this user (root)");
        }
        Settings::useFile(file);
        for (int i = 0; i < 2; ++i) {
            Settings settings;
            settings.setOn(Keys::BatchReplace, true);
            QVERIFY(!settings.sync());
        }
        QCOMPARE(m_boxes->box.shown.size(), 1);
        const RecordingMessageBox::Shown &shown = m_boxes->box.shown[0];
        QCOMPARE(shown.text, "Jacketeer could not save its settings to " + file +
                                 ": the file or its folder is read-only, or the disk is full. "
                                 "Changes made now last only until the program ends.");
        QCOMPARE(shown.title, QStringLiteral("Settings Not Saved"));
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    // The key's value, read as the expected value's type asks.
    static QVariant typed(const Settings &settings, const SettingKey &key, int type)
    {
        if (type == QMetaType::Bool)
            return settings.isOn(key);
        if (type == QMetaType::Int)
            return settings.number(key);
        return settings.text(key);
    }

    static void set(Settings &settings, const SettingKey &key, const QVariant &value)
    {
        if (value.typeId() == QMetaType::Bool)
            settings.setOn(key, value.toBool());
        else if (value.typeId() == QMetaType::Int)
            settings.setNumber(key, value.toInt());
        else
            settings.setText(key, value.toString());
    }

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
