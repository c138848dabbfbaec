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
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <csignal>

// The batch run without a window: what it refuses, what it prints, and that
// the window can restore what it found.
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

private slots:
    void initTestCase()
    {
        QVERIFY(makeDemoCollection(path("Music"), path("Movies")).ok());
        QFile cover(path("Music/Metallica/Black/Metallica - Black.jpg"));
        QFile blocker(path("blocker")); // a file where the settings want a folder
        QVERIFY(cover.open(QIODevice::WriteOnly) && blocker.open(QIODevice::WriteOnly));
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    }

    void cleanup() { Settings::useFile({}); }

    void prepare_data() { TestFiles::addTableRows("batch-console-prepare.tsv"); }

    void prepare()
    {
        QFETCH(QString, type);
        QFETCH(QString, file);
        QFETCH(QString, settings);
        QFETCH(QString, root);
        QFETCH(QString, missingOnly);
        QFETCH(QString, err);
        QFETCH(QString, recordedRoot);
        const auto here = [this](QString text) { return text.replace("<d>", m_dir.path()); };
        const bool dvd = type == "DVD";
        Settings::useFile(path(file));
        for (const QString &setting : settings.split(';', Qt::SkipEmptyParts))
            for (const SettingKey &key : Keys::all())
                if (key.name == setting.section('=', 0, 0))
                    Settings().setStored(key, here(setting.section('=', 1)));
        QString outText, errText;
        QTextStream out(&outText), errStream(&errText);
        ConsoleBatch batch(
            {dvd ? BatchType::DVD : BatchType::CD, here(root), !missingOnly.isEmpty()},
            {&out, &errStream, false, 80});
        QCOMPARE(batch.prepare(), err.isEmpty() ? 0 : 2);
        QCOMPARE(errText, err.isEmpty() ? err : here(err) + '\n');
        QCOMPARE(Settings().text(dvd ? Keys::BatchDVDPath : Keys::BatchCDPath), here(recordedRoot));
        QTEST(QString::number(batch.tickedNodes().size()), "ticked");
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

    void batchRun_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("cd") << 0;
        QTest::newRow("dvd") << 1;
    }

    void batchRun()
    {
        QFETCH(int, type);
        // A generated collection: the demo albums or titles the simulator
        // knows, and a few it does not.
        const QString name = QTest::currentDataTag();
        const QString cd = type == 0 ? path(name) : "", dvd = type == 1 ? path(name) : "";
        QVERIFY(makeDemoCollection(cd, dvd).ok() && makeGeneratedCollection(cd, dvd, 3, 1, 2).ok());

        // The root relative to the program's folder, and not the configured one.
        const QString settings = settingsFor(m_sim, name + ".ini", "None");
        QScopedPointer<QProcess> run(startProgram(
            {"--batch", name, "--root", name, "--settings", settings}, path(name + "-app")));
        QVERIFY(run->waitForFinished(60000));
        const QString out = run->readAllStandardOutput();
        QCOMPARE(QString(run->readAllStandardError()), QString());
        QCOMPARE(run->exitCode(), 0);
        // The run's counts, and the window's counts line, which ends the log too.
        const QString summary =
            TestFiles::readFile(TestFiles::testData("batch/console-end-" + name + ".txt"));
        QCOMPARE(out.right(summary.size()), summary);
        const QString log = TestFiles::readFile(path(name + "-app/batch-log.csv"));
        QVERIFY2(log.endsWith(",summary,,\"" + summary.section('\n', 1, 1) + "\"\r\n"),
                 qPrintable(log));

        // The program recorded its root: the window's restore shows every hit.
        Settings::useFile(settings);
        modJacketeer().read(Settings());
        frmBatch w;
        w.RestoreLastBatch();
        int hitNodes = 0;
        for (QTreeWidgetItemIterator it(w.tvBatch(type)); *it; ++it)
            hitNodes +=
                w.model().node(BatchType(type), w.nodeIndex(*it))->image == NodeImage::HitNotSaved;
        QVERIFY2(summary.contains(QStringLiteral(", %1 hit(s)").arg(hitNodes)),
                 qPrintable(summary));
    }

    void ctrlCStopsCleanly()
    {
        SimulatorProcess slow;
        QVERIFY2(slow.start(qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"), {"--latency", "150"}),
                 qPrintable(slow.errorString()));
        const QString root = path("Interrupted");
        QVERIFY(makeDemoCollection(root, {}).ok());
        const QString settings = settingsFor(slow, "interrupted.ini", root);
        QScopedPointer<QProcess> run(
            startProgram({"--batch", "cd", "--settings", settings}, path("interrupted-app")));
        QString out;
        while (!out.contains("Entry 3 of 10") && run->waitForReadyRead(20000))
            out += run->readAllStandardOutput();
        // A program already gone has no id, and kill(0) would hit the test's own group.
        const qint64 pid = run->processId();
        QVERIFY2(pid > 0, qPrintable(out));
        ::kill(pid_t(pid), SIGINT);
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
        int resultsFiles = 0;
        for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QFileInfo info(it.next());
            resultsFiles += info.fileName() == "batch.rlt";
            QVERIFY2(QStringList({"mp3", "flac", "m4a"}).contains(info.suffix()) ||
                         (info.suffix() == "jpg" && !QImage(info.filePath()).isNull()) ||
                         (info.fileName() == "batch.rlt" && info.size() % 355 == 0),
                     qPrintable(info.filePath()));
        }
        QVERIFY2(resultsFiles >= 3 && resultsFiles < 10, qPrintable(out));
        // No scratch picture either: only the batch log of the entries done.
        QCOMPARE(QDir(path("interrupted-app")).entryList(QDir::Files),
                 QStringList{"batch-log.csv"});
    }
};

JACKETEER_GUI_TEST_MAIN(tst_HeadlessBatch)
#include "tst_headlessbatch.moc"
