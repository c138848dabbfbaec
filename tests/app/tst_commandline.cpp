#include "app/commandline.h"
#include "base/appfolder.h"
#include "base/settings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Action = CommandLine::Action;
static const QString kVersion = QStringLiteral("Jacketeer " JACKETEER_PROJECT_VERSION "\n");

// The command line, and where an installed program keeps its files.
class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path()) && QDir().mkdir("folder")); }

    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("lenient");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("settingsFile"); // below the test's folder
        QTest::addColumn<QString>("text");         // how the text starts
        const auto row = [](const char *name, const QStringList &args, bool lenient, Action action,
                            const QString &file, const QString &text) {
            QTest::newRow(name) << (QStringList{"/usr/bin/jacketeer"} + args) << lenient << action
                                << file << text;
        };
        // clang-format off
        row("nothing", {}, false, Action::Run, "", "");
        row("settings file", {"--settings", "sub/j.ini"}, false, Action::Run, "sub/j.ini", "");
        row("help", {"-h", "--settings", "x.ini"}, false, Action::Help, "", "Usage: ");
        row("version", {"--version"}, false, Action::Version, "", kVersion);
        // "-reverse" is not -r -e -v (version) ...
        row("Qt's options, leniently", {"-platform", "xcb", "-reverse"}, true, Action::Run, "", "");
        row("Qt's options, strictly", {"-reverse"}, false, Action::Error, "", "jacketeer: Unknown option 'reverse'.\n");
        row("settings without a file", {"--settings"}, true, Action::Error, "",
            "jacketeer: Missing value after '--settings'.\n"
            "Try 'jacketeer --help' for more information.\n");
        row("settings naming a folder", {"--settings", "folder"}, false, Action::Error, "",
            "jacketeer: 'folder' is a folder, not a settings file.\n");
        row("stray argument", {"cover.jpg"}, true, Action::Error, "", "jacketeer: Unexpected argument 'cover.jpg'.\n");
        row("batch of no known type", {"--batch", "bluray"}, true, Action::Error, "",
            "jacketeer: --batch takes cd or dvd, not 'bluray'.\n");
        row("batch, all and missing", {"--batch", "cd", "--all", "--missing"}, false, Action::Error,
            "", "jacketeer: --all and --missing cannot be used together.\n");
        row("folder names without batch", {"--folder-names"}, false, Action::Error, "",
            "jacketeer: --root, --all, --missing and --folder-names go with --batch.\n");
        row("batch with folder names", {"--batch", "cd", "--folder-names"}, false, Action::Batch, "", "");
        row("batch, empty root", {"--batch", "cd", "--root", ""}, false, Action::Error, "", "jacketeer: --root needs a folder.\n");
        // clang-format on
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, lenient);
        QFETCH(Action, action);
        QFETCH(QString, settingsFile);
        QFETCH(QString, text);
        const CommandLine line = CommandLine::parse(arguments, lenient);
        QCOMPARE(line.action, action);
        QCOMPARE(line.folderNames, action == Action::Batch && arguments.contains("--folder-names"));
        QCOMPARE(line.settingsFile,
                 settingsFile.isEmpty() ? QString() : m_dir.filePath(settingsFile));
        QVERIFY2(text.isEmpty() ? line.text.isEmpty() : line.text.startsWith(text),
                 qPrintable(line.text));
        if (action == Action::Help)
            QVERIFY2(line.text.contains("\n  --settings <file>  Reads and writes the settings in "
                                        "<file> instead of\n"),
                     qPrintable(line.text));
    }

    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        // clang-format off
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: " << "";
        QTest::newRow("version") << QStringList{"-platform", "xcb", "-v"} << 0 << kVersion << "";
        QTest::newRow("mistake") << QStringList{"--settings"} << 1 << "" << "jacketeer: Missing value after '--settings'.\n";
        // clang-format on
    }

    void answersWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        // No display of any kind: a window, or the web engine, would fail to start.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("JACKETEER_PROGRAM"), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QString stdOut = program.readAllStandardOutput();
        const QString stdErr = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
    }

    void settingsFileTakesTheStore()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit());
        Settings::useFile(CommandLine::parse({"jacketeer", "--settings", "o/s.ini"}).settingsFile);
        Settings{}.setText(Keys::QSName, "cover");
        QFile file(m_dir.filePath("o/s.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\nQSName=cover\n"));

        Settings::useFile({});
        const Settings own;
        QCOMPARE(own.fileName(), m_dir.filePath("config/Jacketeer/Jacketeer.ini"));
        QCOMPARE(own.stored(Keys::QSName), std::nullopt);
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
