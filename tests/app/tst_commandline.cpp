#include "app/commandline.h"
#include "base/appfolder.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Action = CommandLine::Action;

// The command line, and where an installed program keeps its files.
class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path()) && QDir().mkdir("folder")); }

    void parse_data()
    {
        TestFiles::addTableRows("command-lines.tsv",
                                {"arguments", "lenient", "action", "settingsFile", "text"});
    }

    void parse()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, lenient);
        QFETCH(QString, action);
        QFETCH(QString, settingsFile);
        QFETCH(QString, text);
        text.replace("@VERSION@", JACKETEER_PROJECT_VERSION);
        const QStringList args = QStringList{"/usr/bin/jacketeer"} +
                                 (arguments.isEmpty() ? QStringList() : arguments.split('|'));
        const CommandLine line = CommandLine::parse(args, lenient == "true");
        const QStringList actions{"Run", "Help", "Version", "Error", "Batch"};
        QCOMPARE(line.action, Action(actions.indexOf(action)));
        QCOMPARE(line.folderNames, action == "Batch" && args.contains("--folder-names"));
        QCOMPARE(line.settingsFile,
                 settingsFile.isEmpty() ? QString() : m_dir.filePath(settingsFile));
        QVERIFY2(text.isEmpty() ? line.text.isEmpty() : line.text.startsWith(text),
                 qPrintable(line.text));
        if (action == "Help")
            QVERIFY2(line.text.contains("\n  --settings <file>  Reads and writes the settings in "
                                        "<file> instead of\n"),
                     qPrintable(line.text));
    }

    void answersWithoutDisplay_data()
    {
        for (const char *column : {"arguments", "exitCode", "out", "err"})
            QTest::addColumn<QString>(column);
        for (QStringList r : TestFiles::table("command-line-runs.tsv"))
            QTest::newRow(qPrintable(r[0]))
                << r[1] << r[2] << r[3].replace("@VERSION@", JACKETEER_PROJECT_VERSION) << r[4];
    }

    void answersWithoutDisplay()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        // No display of any kind: a window, or the web engine, would fail to start.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("JACKETEER_PROGRAM"), arguments.split('|'));
        QVERIFY(program.waitForFinished(10000));
        const QString stdOut = program.readAllStandardOutput();
        const QString stdErr = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::number(program.exitCode()), exitCode);
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
    }

    void scratchFolder_data()
    {
        // The program's folder, whether it is read-only, whether $XDG_DATA_HOME is
        // absolute (else relative, which does not count), the scratch folder ("" for
        // the program's own).
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("build folder") << "build" << false << true << "";
        QTest::newRow("installed, bin writable") << "usr/bin" << false << true << "d/Jacketeer";
        QTest::newRow("read-only") << "opt/j" << true << true << "d/Jacketeer";
        QTest::newRow("relative data home") << "bin" << false << false << "h/.local/share/Jacketeer";
        // clang-format on
    }

    void scratchFolder()
    {
        QFETCH(QString, program);
        QFETCH(bool, readOnly);
        QFETCH(bool, absolute);
        QFETCH(QString, expected);
        const QString folder = m_dir.filePath(program);
        QVERIFY(QDir().mkpath(folder));
        if (readOnly && QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner) &&
            QFileInfo(folder).isWritable())
            QSKIP("permissions do not bind this user (root)");
        qputenv("HOME", m_dir.filePath("h").toLocal8Bit());
        qputenv("XDG_DATA_HOME", absolute ? m_dir.filePath("d").toLocal8Bit() : "d");
        QCOMPARE(appFolderFor(folder), m_dir.filePath(expected.isEmpty() ? program : expected));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
