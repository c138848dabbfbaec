#include "base/modjacketeer.h"
#include "base/settingsstore.h"
#include "batch/consolebatch.h"
#include "batch/samplecollection.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

// The batch run without a window: what it refuses and what it prints.
class tst_HeadlessBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(makeDemoCollection(path("Music"), path("Movies")).ok());
        QFile cover(path("Music/Metallica/Black/Metallica - Black.jpg"));
        QFile blocker(path("blocker")); // a file where the settings want a folder
        QVERIFY(cover.open(QIODevice::WriteOnly) && blocker.open(QIODevice::WriteOnly));
    }

    void prepare_data()
    {
        // <d> stands for the test's folder; settings are "StartUp" keys.
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("root"); // from the command line
        QTest::addColumn<bool>("missingOnly");
        QTest::addColumn<QString>("err"); // empty: the run can start
        QTest::addColumn<QString>("recordedRoot");
        QTest::addColumn<int>("ticked");
        const QStringList brinsell{"BatchBrinsell=1"};
        QTest::newRow("no root") << false << "a.ini" << brinsell << "" << false
                                 << "jacketeer: no CD folder to scan: give --root DIR, or choose "
                                    "the CD folder in the batch settings.\n"
                                 << "None" << 0;
        QTest::newRow("CD: Vantory without a genre")
            << false << "b.ini" << QStringList{"BatchVantory=1", "BatchCDPath=<d>/Music"} << ""
            << false
            << "jacketeer: no site is enabled for CD batches in <d>/b.ini: set BatchBrinsell=1, "
               "or BatchVantory=1 and at least one BatchGenre key to 1 (or tick them on the batch "
               "settings page).\n"
            << "<d>/Music" << 0;
        QTest::newRow("settings unwritable")
            << false << "blocker/s.ini" << QStringList() << "<d>/Music" << false
            << "jacketeer: cannot write the settings file <d>/blocker/s.ini, so the CD folder "
               "cannot be recorded there and Restore Last Batch would not find this run's "
               "results.\n"
            << "None" << 0;
        QTest::newRow("root outside: recorded")
            << false << "e.ini" << brinsell << "<d>/Music" << false << ""
            << "<d>/Music" << 10;
        QTest::newRow("root inside: kept, missing only")
            << false << "f.ini"
            << QStringList{"BatchBrinsell=1", "BatchCDPath=<d>", "QSName=@artist@ - @album@"}
            << "<d>/Music" << true << ""
            << "<d>" << 9;
        QTest::newRow("DVD, Vantory alone")
            << true << "g.ini" << QStringList{"BatchVantory=1", "BatchDVDPath=<d>/Movies"} << ""
            << true << ""
            << "<d>/Movies" << 5;
    }

    void prepare()
    {
        QFETCH(bool, dvd);
        QFETCH(QString, file);
        QFETCH(QStringList, settings);
        QFETCH(QString, root);
        QFETCH(bool, missingOnly);
        QFETCH(QString, err);
        QFETCH(QString, recordedRoot);
        QFETCH(int, ticked);
        const auto here = [this](QString text) { return text.replace("<d>", m_dir.path()); };
        SettingsStore::useFile(path(file));
        for (const QString &setting : settings)
            SettingsStore().write(setting.section('=', 0, 0), here(setting.section('=', 1)));
        QString outText, errText;
        QTextStream out(&outText), errStream(&errText);
        ConsoleBatch batch({dvd ? BatchType::DVD : BatchType::CD, here(root), missingOnly},
                           {&out, &errStream, false, 80});
        QCOMPARE(batch.prepare(), err.isEmpty() ? 0 : 2);
        QCOMPARE(errText, here(err));
        QCOMPARE(SettingsStore().read(dvd ? "BatchDVDPath" : "BatchCDPath", "None"),
                 here(recordedRoot));
        QCOMPARE(batch.tickedNodes().size(), ticked);
        SettingsStore::useFile({});
    }

    void progress()
    {
        const std::vector<QueueEntry> queue = {{"A", "One", "/music/Artist A/One", "Queued", 2},
                                               {"B", "", "/m/B", "Queued", 3},
                                               {"C", "", "/m/C", "Queued", 4},
                                               {"D", "", "/m/D", "Queued", 5}};
        QString text;
        QTextStream out(&text);
        ConsoleProgress p({&out, &out, true, 46}, queue, [](int node) { return node != 3; });
        // As a run reports an entry: its status, its labels, then the tick.
        const auto begin = [&](int row) {
            p.setRowStatus(row, "Searching");
            p.setLabel(BatchLabel::Site, "Vantory");
            return p.isTicked(queue[size_t(row)].nodeIndex);
        };
        QVERIFY(begin(0));
        p.addHitNode("", "0001", "A One", NodeImage::HitNotSaved, true);
        p.setLabel(BatchLabel::Site, "Brinsell...");
        p.addHitNode("", "0002", "A One", NodeImage::HitNotSaved, false);
        p.setNodeImage("0002", NodeImage::HitSaved);
        p.setRowStatus(0, "Complete");
        QVERIFY(!begin(1));
        p.setRowStatus(1, "Skipped");
        QVERIFY(begin(2));
        p.setRowStatus(2, "Failed");
        QVERIFY(begin(3));
        p.addHitNode("", "0001", "D", NodeImage::HitNotSaved, true);
        p.finish();
        // 46 columns, none of which may be filled: the folder's start goes
        // first, then the folder; a failure is kept whole on its own line.
        QCOMPARE(text, QString("\rEntry 1 of 4: Vantory, no hits - ...ist A/One\x1b[K"
                               "\rEntry 1 of 4: Vantory, 1 hit - ...rtist A/One\x1b[K"
                               "\rEntry 1 of 4: Brinsell..., 1 hit\x1b[K"
                               "\rEntry 1 of 4: Brinsell..., 2 hits\x1b[K"
                               "\rEntry 1 of 4: 2 hits, saved - ...Artist A/One\x1b[K"
                               "\rEntry 2 of 4: skipped - /m/B\x1b[K"
                               "\rEntry 3 of 4: Vantory, no hits - /m/C\x1b[K"
                               "\rEntry 3 of 4: failed, the folder could not be written - "
                               "/m/C\x1b[K\n"
                               "\rEntry 4 of 4: Vantory, no hits - /m/D\x1b[K"
                               "\rEntry 4 of 4: Vantory, 1 hit - /m/D\x1b[K"
                               "\rEntry 4 of 4: stopped, 1 hit - /m/D\x1b[K\n"));
    }
};

QTEST_GUILESS_MAIN(tst_HeadlessBatch)
#include "tst_headlessbatch.moc"
