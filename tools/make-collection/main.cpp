// make-collection: builds a sample music and DVD collection for trying the
// batch window. Creates only what is missing and never deletes anything.
#include "batch/samplecollection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("make-collection"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Creates a sample collection of tagged audio files and DVD folders. Without --albums "
        "it makes the demo collection; existing files are left alone."));
    parser.addHelpOption();
    const QCommandLineOption cd(QStringLiteral("cd"), QStringLiteral("CD root folder."),
                                QStringLiteral("dir"));
    const QCommandLineOption dvd(QStringLiteral("dvd"), QStringLiteral("DVD root folder."),
                                 QStringLiteral("dir"));
    const QCommandLineOption albums(
        QStringLiteral("albums"), QStringLiteral("Generate N album folders."), QStringLiteral("N"));
    const QCommandLineOption tracks(QStringLiteral("tracks"),
                                    QStringLiteral("Tagged files per album (default 10)."),
                                    QStringLiteral("M"), QStringLiteral("10"));
    const QCommandLineOption dvds(QStringLiteral("dvds"),
                                  QStringLiteral("Generate K DVD title folders."),
                                  QStringLiteral("K"), QStringLiteral("0"));
    parser.addOptions({cd, dvd, albums, tracks, dvds});
    parser.process(app);

    QTextStream err(stderr);
    QTextStream out(stdout);
    if (!parser.isSet(cd) && !parser.isSet(dvd)) {
        err << "make-collection: give --cd DIR and/or --dvd DIR\n";
        return 2;
    }
    auto number = [&](const QCommandLineOption &option, int &value) {
        bool ok = false;
        value = parser.value(option).toInt(&ok);
        if (!ok || value < 0) {
            err << "make-collection: --" << option.names().constFirst()
                << " needs a whole number of 0 or more\n";
            return false;
        }
        return true;
    };

    SampleCollectionReport report;
    if (parser.isSet(albums) || parser.isSet(dvds)) {
        int albumCount = 0;
        int trackCount = 0;
        int dvdCount = 0;
        if ((parser.isSet(albums) && !number(albums, albumCount)) || !number(tracks, trackCount) ||
            !number(dvds, dvdCount))
            return 2;
        report = makeGeneratedCollection(parser.value(cd), parser.value(dvd), albumCount,
                                         trackCount, dvdCount);
    } else {
        report = makeDemoCollection(parser.value(cd), parser.value(dvd));
    }
    out << "created " << report.foldersCreated << " folders and " << report.filesCreated
        << " files; " << report.existing << " already there\n";
    for (const QString &path : report.failures)
        err << "could not create " << path << '\n';
    return report.ok() ? 0 : 1;
}
