#include "base/modjacketeer.h"
#include "base/settingsstore.h"
#include "testfolders.h"

#include <QFile>
#include <QTest>

class tst_SettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        // A fresh, private configuration folder per test: nothing leaks between
        // tests and a real user's settings are never touched.
        m_folders = std::make_unique<TestFolders>();
    }

    void missingKeyYieldsDefault()
    {
        SettingsStore store;
        QCOMPARE(store.read("QSName", "folder"), QString("folder"));
        // Reading never writes the default back.
        store.sync();
        QVERIFY(!QFile::exists(store.fileName()) || QFile(store.fileName()).size() == 0);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        // clang-format off
        QTest::newRow("plain") << "QSName" << "@artist@ - @album@";
        QTest::newRow("doubled ampersand and slash") << "GenreR&&B/Soul" << "1";
        QTest::newRow("blank in key") << "GenreSpecial Interest" << "0";
        QTest::newRow("path value") << "BatchCDPath" << "/home/ann/Music/CD Rips";
        QTest::newRow("value with equals and semicolon") << "SearchPath" << "/srv/a=b;c,d";
        QTest::newRow("non-ASCII value") << "SearchPath" << QString::fromUtf8("/home/zoë/Música");
        QTest::newRow("empty value") << "QSName" << "";
        // clang-format on
    }

    void roundTrip()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        {
            SettingsStore store;
            store.write(key, value);
        }
        SettingsStore again;
        QCOMPARE(again.read(key, "missing"), value);
        // A key that only resembles it is a different key.
        QCOMPARE(again.read(key + "x", "missing"), QString("missing"));
    }

    void sharedStateFromStore()
    {
        SettingsStore store;
        ModJacketeer state;
        state.qsName = "changed";
        state.batchDVDFolder = 7;
        state.batchGenre.fill(1);
        state.loadFromStore(store);
        // An empty store gives the defaults, whatever the state held before.
        QCOMPARE(state.qsName, QString("folder"));
        QCOMPARE(state.batchCDPath, QString("None"));
        QCOMPARE(state.batchDVDPath, QString("None"));
        QCOMPARE(state.batchDVDFolder, int16_t(1));
        for (int16_t g : state.batchGenre)
            QCOMPARE(g, int16_t(0));
        QCOMPARE(state.batchReplace, int16_t(0));
        QCOMPARE(state.batchVantory, int16_t(0));
        QCOMPARE(state.batchBrinsell, int16_t(0));
        QCOMPARE(state.autoCrop, int16_t(0));
        // What it reads from a filled store is tst_propsettings's storeRoundTrip.
    }

    void storedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("one") << "1" << 1 << false;
        QTest::newRow("zero") << "0" << 0 << false;
        QTest::newRow("blank") << "" << 0 << false;
        QTest::newRow("leading number only") << "3x" << 3 << false;
        QTest::newRow("negative") << "-2" << -2 << false;
        QTest::newRow("beyond 16 bits is capped") << "99999" << 32767 << false;
        QTest::newRow("True") << "True" << 0 << true;
        QTest::newRow("true lower case") << "true" << 0 << true;
        QTest::newRow("False") << "False" << 0 << false;
    }

    void storedNumbers()
    {
        QFETCH(QString, text);
        QTEST(int(storedInt16(text)), "number");
        QTEST(storedBool(text), "boolean");
    }

    // The two numbers of the "Sites" section, each read from the same text.
    void siteNumbers_data()
    {
        QTest::addColumn<QString>("text"); // "unset": no key at all
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("concurrency");
        QTest::newRow("unset") << "unset" << 1000 << 4;
        QTest::newRow("off") << "0" << 0 << 4;
        QTest::newRow("one") << "1" << 1 << 1;
        QTest::newRow("quarter second") << "250" << 250 << 6;
        QTest::newRow("negative") << "-5" << 1000 << 4;
        QTest::newRow("not a number") << "fast" << 1000 << 4;
    }

    void siteNumbers()
    {
        QFETCH(QString, text);
        SettingsStore store;
        if (text != "unset") {
            store.writeSite("RequestIntervalMs", text);
            store.writeSite("SearchConcurrency", text);
        }
        // A StartUp key of that name is not the one: the two sections are apart.
        store.write("RequestIntervalMs", "7");
        store.write("SearchConcurrency", "7");
        QTEST(store.requestIntervalMs(), "ms");
        QTEST(store.searchConcurrency(), "concurrency");
    }

private:
    std::unique_ptr<TestFolders> m_folders;
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
