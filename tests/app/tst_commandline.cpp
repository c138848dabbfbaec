#include "app/commandline.h"
#include "base/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void settingsFileTakesTheStore();

private:
    QTemporaryDir m_dir;
};

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(CommandLine::Action)

void tst_CommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(QDir().mkdir("folder"));
}

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("settingsFile"); // relative to the test's folder
    QTest::addColumn<QString>("text");         // the start of the text

    const QString version = QStringLiteral("Jacketeer " JACKETEER_PROJECT_VERSION "\n");
    const auto row = [](const char *name, QStringList args, bool lenient, Action action,
                        const QString &file, const QString &text) {
        QTest::newRow(name) << (QStringList{"/usr/bin/jacketeer"} + args) << lenient << action
                            << file << text;
    };
    row("nothing", {}, false, Action::Run, "", "");
    row("settings file", {"--settings", "mine.ini"}, false, Action::Run, "mine.ini", "");
    row("settings file with =", {"--settings=sub/j.ini"}, false, Action::Run, "sub/j.ini", "");
    row("help", {"--help"}, false, Action::Help, "", "Usage: ");
    row("short help", {"-h", "--settings", "x.ini"}, false, Action::Help, "", "Usage: ");
    row("version", {"--version"}, false, Action::Version, "", version);
    row("short version", {"-v"}, false, Action::Version, "", version);
    row("help among Qt's options", {"-platform", "offscreen", "--help"}, true, Action::Help, "",
        "Usage: ");
    row("Qt's options, leniently", {"-platform", "offscreen", "-reverse"}, true, Action::Run, "",
        "");
    row("Qt's options, strictly", {"-reverse"}, false, Action::Error, "",
        "jacketeer: Unknown option 'reverse'.\n");
    row("settings without a file", {"--settings"}, true, Action::Error, "",
        "jacketeer: Missing value after '--settings'.\n"
        "Try 'jacketeer --help' for more information.\n");
    row("settings with an empty name", {"--settings="}, false, Action::Error, "",
        "jacketeer: --settings needs a file name.\n");
    row("settings naming a folder", {"--settings", "folder"}, false, Action::Error, "",
        "jacketeer: 'folder' is a folder, not a settings file.\n");
    row("unknown option", {"--bogus"}, false, Action::Error, "",
        "jacketeer: Unknown option 'bogus'.\n");
    row("stray argument", {"cover.jpg"}, false, Action::Error, "",
        "jacketeer: Unexpected argument 'cover.jpg'.\n");
    row("stray argument, leniently", {"cover.jpg"}, true, Action::Error, "",
        "jacketeer: Unexpected argument 'cover.jpg'.\n");
}

void tst_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, lenient);
    QFETCH(Action, action);
    QFETCH(QString, settingsFile);
    QFETCH(QString, text);
    const CommandLine line = CommandLine::parse(arguments, lenient);
    QCOMPARE(line.action, action);
    QCOMPARE(line.settingsFile,
             settingsFile.isEmpty() ? QString() : QDir(m_dir.path()).filePath(settingsFile));
    if (text.isEmpty())
        QVERIFY2(line.text.isEmpty(), qPrintable(line.text));
    else
        QVERIFY2(line.text.startsWith(text), qPrintable(line.text));
    if (action == Action::Help)
        QVERIFY2(line.text.contains(QLatin1String("  --settings <file>  Reads and writes the "
                                                  "settings in <file> instead of\n")),
                 qPrintable(line.text));
}

void tst_CommandLine::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString version = QStringLiteral("Jacketeer " JACKETEER_PROJECT_VERSION "\n");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: "
                          << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << version << "";
    QTest::newRow("version after Qt's options")
        << QStringList{"-platform", "xcb", "-v"} << 0 << version << "";
    QTest::newRow("settings without a file") << QStringList{"--settings"} << 1 << ""
                                             << "jacketeer: Missing value after '--settings'.\n"
                                                "Try 'jacketeer --help' for more information.\n";
    QTest::newRow("stray argument") << QStringList{"x"} << 1 << ""
                                    << "jacketeer: Unexpected argument 'x'.\n";
}

void tst_CommandLine::answersWithoutDisplay()
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
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
}

void tst_CommandLine::settingsFileTakesTheStore()
{
    qputenv("XDG_CONFIG_HOME", QDir(m_dir.path()).filePath("config").toLocal8Bit());
    const CommandLine line = CommandLine::parse({"jacketeer", "--settings", "other/settings.ini"});
    SettingsStore::useFile(line.settingsFile);
    {
        SettingsStore store;
        QCOMPARE(store.fileName(), QDir(m_dir.path()).filePath("other/settings.ini"));
        store.write("QSName", "cover");
    }
    QFile file(line.settingsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll().contains("\nQSName=cover\n"), "value not in the file");
    QCOMPARE(SettingsStore().read("QSName", "folder"), QString("cover"));

    SettingsStore::useFile({});
    SettingsStore store;
    QCOMPARE(store.fileName(), QDir(m_dir.path()).filePath("config/Jacketeer/Jacketeer.ini"));
    QCOMPARE(store.read("QSName", "folder"), QString("folder"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
