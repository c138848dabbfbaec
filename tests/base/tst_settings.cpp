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
        TestFiles::addTableRows("settings-keys.tsv", {"group", "missing", "written", "line"});
    }

    void declaration()
    {
        QFETCH(QString, group);
        QFETCH(QString, written);
        QFETCH(QString, line);
        const SettingKey key = named(QTest::currentDataTag());
        {
            Settings settings;
            QCOMPARE(settings.fileName(), m_folders->path("config/Jacketeer/Jacketeer.ini"));
            QTEST(value(settings, key), "missing");
            // Reading never writes the default back.
            QVERIFY(settings.sync());
            QVERIFY(!QFile::exists(settings.fileName()));
            if (isSwitch(key))
                settings.setOn(key, written == "true");
            else if (key.form == SettingForm::Text)
                settings.setText(key, written);
            else
                settings.setNumber(key, written.toInt());
            QVERIFY(settings.sync());
            QCOMPARE(TestFiles::readFile(settings.fileName()),
                     ("[" + group + "]\n" + line + "\n").toUtf8());
        }
        QCOMPARE(value(Settings(), key), written);
        QVERIFY(m_boxes.box.shown.isEmpty());
    }

    // Texts as old versions wrote them or a user edited them.
    void oldFiles_data()
    {
        TestFiles::addTableRows("settings-files.tsv", {"file", "name", "value"});
    }

    void oldFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QVERIFY(TestFiles::writeFile(m_folders->path("old.ini"), file.toUtf8()));
        Settings::useFile(m_folders->path("old.ini"));
        QTEST(value(Settings(), named(name)), "value");
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

    // The key's value as a text: "true" or "false" for a box or option.
    static QString value(const Settings &settings, const SettingKey &key)
    {
        return key.form == SettingForm::Text ? settings.text(key)
               : isSwitch(key)               ? QVariant(settings.isOn(key)).toString()
                                             : QString::number(settings.number(key));
    }

    static bool isSwitch(const SettingKey &key)
    {
        return key.form == SettingForm::Check || key.form == SettingForm::Option;
    }

    std::optional<TestFolders> m_folders;
    ScopedRecordingMessageBox m_boxes;
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
