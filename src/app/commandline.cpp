#include "app/commandline.h"

#include "base/version.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

CommandLine CommandLine::parse(const QStringList &arguments, bool lenient)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Finds front-cover pictures for the album and DVD folders of your collection on the "
        "Vantory and Brinsell sites and saves them into the folders as .jpg files."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Reads and writes the settings in <file> instead of "
                       "~/.config/Jacketeer/Jacketeer.ini."),
        QStringLiteral("file"));
    const QCommandLineOption batch(
        QStringLiteral("batch"),
        QStringLiteral("Runs a batch of <type> (cd or dvd) without a window: scans the folder, "
                       "searches the sites and genres enabled in the batch settings and saves "
                       "the pictures that match, as the batch window's Start does."),
        QStringLiteral("type"));
    const QCommandLineOption root(
        QStringLiteral("root"),
        QStringLiteral("Scans <dir> instead of the batch folder of the settings (with --batch)."),
        QStringLiteral("dir"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("Searches every folder (with --batch; the "
                                                "default)."));
    const QCommandLineOption missing(
        QStringLiteral("missing"),
        QStringLiteral("Searches only the folders without a picture under the Quick Save name "
                       "(with --batch)."));
    const QCommandLineOption folderNames(
        QStringLiteral("folder-names"),
        QStringLiteral("Queues the album folders whose audio files carry no usable tag under "
                       "their folder names: \"Artist - Album\", or the parent folder's name and "
                       "the folder's own (with --batch; BatchFolderNames=1 in the settings does "
                       "the same for every run)."));
    parser.addOptions({help, version, settings, batch, root, all, missing, folderNames});
    // Qt's own single-dash words (-reverse, -platform) must not read as -r -e -v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    const QString program = QFileInfo(arguments.value(0, QStringLiteral("jacketeer"))).fileName();
    CommandLine line;
    const auto fail = [&](const QString &why) {
        line.action = Action::Error;
        line.text =
            QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, why);
        return line;
    };

    const bool parsed = parser.parse(arguments);
    // A missing value is ours to report even when reading leniently.
    if (!parsed && (!lenient || parser.unknownOptionNames().isEmpty()))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        line.action = Action::Help;
        line.text = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = Action::Version;
        line.text = QStringLiteral("Jacketeer %1\n").arg(QLatin1String(kJacketeerVersion));
        return line;
    }
    // Leniently, a stray argument may be the value of an option of Qt's.
    const bool strayAllowed = lenient && !parser.unknownOptionNames().isEmpty();
    if (!strayAllowed && !parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(settings)) {
        const QString file = parser.value(settings);
        if (file.isEmpty())
            return fail(QStringLiteral("--settings needs a file name."));
        const QFileInfo info(file);
        if (info.isDir())
            return fail(QStringLiteral("'%1' is a folder, not a settings file.").arg(file));
        line.settingsFile = info.absoluteFilePath();
    }

    if (!parser.isSet(batch)) {
        if (parser.isSet(root) || parser.isSet(all) || parser.isSet(missing) ||
            parser.isSet(folderNames))
            return fail(
                QStringLiteral("--root, --all, --missing and --folder-names go with --batch."));
        return line;
    }
    const QString type = parser.value(batch).toLower();
    if (type != QLatin1String("cd") && type != QLatin1String("dvd"))
        return fail(QStringLiteral("--batch takes cd or dvd, not '%1'.").arg(parser.value(batch)));
    if (parser.isSet(all) && parser.isSet(missing))
        return fail(QStringLiteral("--all and --missing cannot be used together."));
    if (parser.isSet(root)) {
        if (parser.value(root).isEmpty())
            return fail(QStringLiteral("--root needs a folder."));
        line.batchRoot = QDir::cleanPath(QFileInfo(parser.value(root)).absoluteFilePath());
    }
    line.action = Action::Batch;
    line.batchType = type == QLatin1String("cd") ? BatchType::CD : BatchType::DVD;
    line.missingOnly = parser.isSet(missing);
    line.folderNames = parser.isSet(folderNames);
    return line;
}
