#include "base/modjacketeer.h"
#include "base/settings.h"
#include "batch/consolebatch.h"
#include "batch/frmbatch.h"
#include "batch/samplecollection.h"
#include "guitestmain.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <csignal>

// The batch run without a window: what it refuses, what it prints, and that
// the program's run leaves the folders as the window's run does.
class tst_HeadlessBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SimulatorProcess m_sim;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A settings file with the simulator's sites, both sites and two genres on.
    QString settingsFor(const SimulatorProcess &sim, const QString &name, const QString &cdRoot,
                        const QString &dvdRoot = "None")
    {
        Settings::useFile(path(name));
        Settings store;
        sim.configureSites(store);
        for (const SettingKey &key :
             {Keys::BatchVantory, Keys::BatchBrinsell, Keys::batchGenre(0), Keys::batchGenre(11)})
            store.setOn(key, true);
        store.setText(Keys::QSName, "@artist@ - @album@");
        store.setText(Keys::BatchCDPath, cdRoot);
        store.setText(Keys::BatchDVDPath, dvdRoot);
        return path(name);
    }

    // The program in the test's folder, with no display of any kind.
    QProcess *startProgram(const QStringList &arguments, const QString &appFolder)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("JACKETEER_APPDIR", appFolder);
        auto *program = new QProcess(this);
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(m_dir.path());
        program->start(qEnvironmentVariable("JACKETEER_PROGRAM"), arguments);
        return program;
    }

    static QStringList filesBelow(const QString &root)
    {
        QStringList files;
        for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next().mid(root.size());
        files.sort();
        return files;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(makeDemoCollection(path("Music"), path("Movies")).ok());
        QFile cover(path("Music/Metallica/Black/Metallica - Black.jpg"));
        QFile blocker(path("blocker")); // a file where the settings want a folder
        QVERIFY(cover.open(QIODevice::WriteOnly) && blocker.open(QIODevice::WriteOnly));
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
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
        const auto here = [this](QString text) { return text.replace("<d>", m_dir.path()); };
        Settings::useFile(path(file));
        for (const QString &setting : settings)
            for (const SettingKey &key : Keys::all())
                if (key.name == setting.section('=', 0, 0))
                    Settings().setStored(key, here(setting.section('=', 1)));
        QString outText, errText;
        QTextStream out(&outText), errStream(&errText);
        ConsoleBatch batch({dvd ? BatchType::DVD : BatchType::CD, here(root), missingOnly},
                           {&out, &errStream, false, 80});
        QCOMPARE(batch.prepare(), err.isEmpty() ? 0 : 2);
        QCOMPARE(errText, here(err));
        QCOMPARE(Settings().text(dvd ? Keys::BatchDVDPath : Keys::BatchCDPath), here(recordedRoot));
        QTEST(int(batch.tickedNodes().size()), "ticked");
        Settings::useFile({});
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
        p.setRowFailure(2, "page not loaded (HTTP 503)", "page not loaded (HTTP 503): http://v/");
        p.setRowStatus(2, "Failed");
        QVERIFY(begin(3));
        p.addHitNode("", "0001", "D", NodeImage::HitNotSaved, true);
        p.finish();
        // 46 columns, none of which may be filled: the folder's start goes
        // first, then the folder; a failure is kept whole on its own line.
        QCOMPARE(text, QString::fromUtf8(
                           TestFiles::readFile(TestFiles::testData("batch/console-progress.txt"))));
    }

    void sameAsTheWindow_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("cd") << 0;
        QTest::newRow("dvd") << 1;
    }

    void sameAsTheWindow()
    {
        QFETCH(int, type);
        // Two copies of a generated collection: the demo albums or titles the
        // simulator knows, and a few it does not.
        const QString name = QTest::currentDataTag();
        const QString program = path(name + "-program");
        const QString window = path(name + "-window");
        for (const QString &root : {program, window}) {
            const QString cd = type == 0 ? root : "";
            const QString dvd = type == 1 ? root : "";
            QVERIFY(makeDemoCollection(cd, dvd).ok());
            QVERIFY(makeGeneratedCollection(cd, dvd, 3, 1, 2).ok());
        }

        // The root relative to the program's folder, and not the configured one.
        const QString settings = settingsFor(m_sim, name + "-program.ini", "None");
        QScopedPointer<QProcess> run(
            startProgram({"--batch", name, "--root", name + "-program", "--settings", settings},
                         path(name + "-app")));
        QVERIFY(run->waitForFinished(60000));
        const QString out = run->readAllStandardOutput();
        QCOMPARE(QString(run->readAllStandardError()), QString());
        QCOMPARE(run->exitCode(), 0);
        const QString summary = type == 0 ? "Searched 13, skipped 0, failed 0: 9 picture(s) "
                                            "saved, 15 hit(s).\n"
                                          : "Searched 7, skipped 0, failed 0: 5 picture(s) "
                                            "saved, 14 hit(s).\n";
        // The window's counts line too, and the same batch log as the window's.
        const auto logSummary = [this](const QString &app) {
            QFile log(path(app) + "/batch-log.csv");
            return log.open(QIODevice::ReadOnly)
                       ? QString(log.readAll()).split("\r\n", Qt::SkipEmptyParts).last()
                       : QString();
        };
        const QString counts = logSummary(name + "-app").section('"', 1, 1);
        QVERIFY2(counts.startsWith(type == 0 ? "Saved 9, replaced 0, kept 0, no match "
                                             : "Saved 5, replaced 0, kept 0, no match "),
                 qPrintable(counts));
        QVERIFY2(out.endsWith(summary + counts +
                              "\nRestore Last Batch in the batch window shows the hits.\n"),
                 qPrintable(out));

        qputenv("JACKETEER_APPDIR", path(name + "-window-app").toUtf8());
        settingsFor(m_sim, name + "-window.ini", type == 0 ? window : "None",
                    type == 1 ? window : "None");
        modJacketeer().read(Settings());
        {
            frmBatch w;
            w.findChild<QRadioButton *>(QStringLiteral("optType(%1)").arg(type))->setChecked(true);
            w.cmdCheckAll_Click();
            w.cmdStart_Click();
        }

        QCOMPARE(logSummary(name + "-window-app"), logSummary(name + "-app"));

        // The same files with the same bytes, results files and pictures alike.
        const QStringList files = filesBelow(program);
        QCOMPARE(files, filesBelow(window));
        QCOMPARE(files.filter("/batch.rlt").size(), type == 0 ? 13 : 7);
        qint64 records = 0;
        for (const QString &file : files) {
            QFile a(program + file);
            QFile b(window + file);
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QVERIFY2(a.readAll() == b.readAll(), qPrintable(file));
            records += file.endsWith("/batch.rlt") ? a.size() / 355 : 0;
        }

        // The program recorded its root: the window's restore shows its hits.
        Settings::useFile(settings);
        modJacketeer().read(Settings());
        frmBatch w;
        w.RestoreLastBatch();
        int hitNodes = 0;
        for (QTreeWidgetItemIterator it(w.tvBatch(type)); *it; ++it)
            hitNodes +=
                w.model().node(BatchType(type), w.nodeIndex(*it))->image == NodeImage::HitNotSaved;
        QVERIFY(records > 0);
        QCOMPARE(hitNodes, records);
        Settings::useFile({});
    }

    void ctrlCStopsCleanly()
    {
        SimulatorProcess slow;
        QVERIFY2(slow.start(qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"), {"--latency", "150"}),
                 qPrintable(slow.errorString()));
        const QString root = path("Interrupted");
        QVERIFY(makeDemoCollection(root, {}).ok());
        const QString settings = settingsFor(slow, "interrupted.ini", root);
        Settings::useFile({});
        QScopedPointer<QProcess> run(
            startProgram({"--batch", "cd", "--settings", settings}, path("interrupted-app")));
        QString out;
        while (!out.contains("Entry 3 of 10") && run->waitForReadyRead(20000))
            out += run->readAllStandardOutput();
        ::kill(pid_t(run->processId()), SIGINT);
        QVERIFY(run->waitForFinished(20000));
        out += run->readAllStandardOutput();
        const QString err = run->readAllStandardError();
        QCOMPARE(run->exitStatus(), QProcess::NormalExit);
        QCOMPARE(run->exitCode(), 130);
        QVERIFY2(err.startsWith("Stopping after the current page (Ctrl-C again quits at once)...\n"
                                "jacketeer: stopped by Ctrl-C at entry ") &&
                     err.endsWith(" of 10; every results file holds the hits found until then.\n"),
                 qPrintable(err));
        QVERIFY2(out.contains("\nEntry 1 of 10: 1 hit, saved - " + root +
                              "/Ada Lindqvist Trio/Blue Meridian\n") &&
                     out.contains("\nBatch Process Cancelled\n"),
                 qPrintable(out));

        // Whole records, whole pictures, no temporary or scratch file, and
        // the folders after the stop untouched.
        const QStringList files = filesBelow(root);
        for (const QString &file : files) {
            const QFileInfo info(root + file);
            QVERIFY2(QStringList({"mp3", "flac", "m4a"}).contains(info.suffix()) ||
                         (info.suffix() == "jpg" && !QImage(root + file).isNull()) ||
                         (info.fileName() == "batch.rlt" && info.size() % 355 == 0),
                     qPrintable(file));
        }
        const qsizetype resultsFiles = files.filter("/batch.rlt").size();
        QVERIFY2(resultsFiles >= 3 && resultsFiles < 10, qPrintable(out));
        // No scratch picture either: only the batch log of the entries done.
        QCOMPARE(QDir(path("interrupted-app")).entryList(QDir::Files),
                 QStringList{"batch-log.csv"});
    }
};

JACKETEER_GUI_TEST_MAIN(tst_HeadlessBatch)
#include "tst_headlessbatch.moc"
