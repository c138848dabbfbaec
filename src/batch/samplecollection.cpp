#include "batch/samplecollection.h"

#include "batch/id3v1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

bool ensureFolder(const QString &path, SampleCollectionReport &report)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        ++report.existing;
        return true;
    }
    if (info.exists() || !QDir().mkpath(path)) {
        report.failures.append(path);
        return false;
    }
    ++report.foldersCreated;
    return true;
}

bool writeSmallFile(const QString &path, const QByteArray &bytes, SampleCollectionReport &report)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        ++report.existing;
        return true;
    }
    QFile file(path);
    // NewOnly: a file that appears between the test and the open is kept.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(bytes) != bytes.size()) {
        report.failures.append(path);
        return false;
    }
    ++report.filesCreated;
    return true;
}

QString trackFileName(int track)
{
    return QStringLiteral("%1 - Track.mp3").arg(track, 2, 10, QLatin1Char('0'));
}

} // namespace

const std::vector<SampleAlbum> &demoAlbums()
{
    static const std::vector<SampleAlbum> albums = {
        {"Metallica", "Black", "Rock"},
        {"The Quiet Harbours", "Lantern Season", "Folk"},
        {"Ada Lindqvist Trio", "Blue Meridian", "Jazz"},
        {"Copper Valley", "Dust Roads", "Country"},
        {"Neon Parade", "Night Shift", "Dance"},
        {"Marlow & Keys", "Second Floor", "R&B/Soul"},
        {"Hollow Pines", "Winter Ledger", "Rock"},
        {"Sofia Anders", "Glass Houses", "Pop"},
        {"The Brass Orchard", "Harvest Moon", "Blues"},
        {"Kite Theory", "Paper Satellites", "Pop"},
    };
    return albums;
}

const QStringList &demoDvdTitles()
{
    static const QStringList titles = {"Harbour Lights", "The Long Field", "Midnight Express Line",
                                       "Paper Moon Society", "Cold Creek"};
    return titles;
}

unsigned char id3v1GenreNumber(const QString &genre)
{
    static const QList<std::pair<QString, unsigned char>> numbers = {
        {"Blues", 0}, {"Country", 2},   {"Dance", 3}, {"Jazz", 8},
        {"Pop", 13},  {"R&B/Soul", 14}, {"Rock", 17}, {"Folk", 80},
    };
    for (const auto &[name, number] : numbers) {
        if (name == genre)
            return number;
    }
    return 255;
}

bool writeTaggedAudioFile(const QString &path, const QString &title, const QString &artist,
                          const QString &album, unsigned char genre, SampleCollectionReport &report)
{
    // A short stand-in for audio data keeps the files tiny but lets the tag
    // sit where a reader looks for it: the last 128 bytes.
    QByteArray bytes("ID3-less sample audio\n");
    bytes.append(makeId3v1Tag(title, artist, album, QStringLiteral("2026"),
                              QStringLiteral("Jacketeer sample"), genre));
    return writeSmallFile(path, bytes, report);
}

SampleCollectionReport makeDemoCollection(const QString &cdRoot, const QString &dvdRoot,
                                          int tracksPerAlbum)
{
    SampleCollectionReport report;
    if (!cdRoot.isEmpty() && ensureFolder(cdRoot, report)) {
        for (const SampleAlbum &entry : demoAlbums()) {
            const QString folder =
                cdRoot + QLatin1Char('/') + entry.artist + QLatin1Char('/') + entry.album;
            if (!ensureFolder(folder, report))
                continue;
            for (int t = 1; t <= tracksPerAlbum; ++t)
                writeTaggedAudioFile(folder + QLatin1Char('/') + trackFileName(t),
                                     QStringLiteral("Track %1").arg(t), entry.artist, entry.album,
                                     id3v1GenreNumber(entry.genre), report);
        }
    }
    if (!dvdRoot.isEmpty() && ensureFolder(dvdRoot, report)) {
        for (const QString &title : demoDvdTitles()) {
            const QString folder = dvdRoot + QLatin1Char('/') + title;
            if (ensureFolder(folder, report))
                writeSmallFile(folder + QStringLiteral("/VIDEO_TS.IFO"), "DVDVIDEO-VMG", report);
        }
    }
    return report;
}

SampleCollectionReport makeGeneratedCollection(const QString &cdRoot, const QString &dvdRoot,
                                               int albums, int tracks, int dvds)
{
    constexpr int kAlbumsPerArtist = 10;
    SampleCollectionReport report;
    if (!cdRoot.isEmpty() && albums > 0 && ensureFolder(cdRoot, report)) {
        for (int a = 0; a < albums; ++a) {
            const QString artist =
                QStringLiteral("Artist %1").arg(a / kAlbumsPerArtist + 1, 4, 10, QLatin1Char('0'));
            const QString album = QStringLiteral("Album %1").arg(a + 1, 5, 10, QLatin1Char('0'));
            const QString folder = cdRoot + QLatin1Char('/') + artist + QLatin1Char('/') + album;
            if (!ensureFolder(folder, report))
                continue;
            for (int t = 1; t <= tracks; ++t)
                writeTaggedAudioFile(folder + QLatin1Char('/') + trackFileName(t),
                                     QStringLiteral("Track %1").arg(t), artist, album, 17, report);
        }
    }
    if (!dvdRoot.isEmpty() && dvds > 0 && ensureFolder(dvdRoot, report)) {
        for (int d = 0; d < dvds; ++d) {
            const QString folder =
                dvdRoot + QStringLiteral("/Title %1").arg(d + 1, 5, 10, QLatin1Char('0'));
            if (ensureFolder(folder, report))
                writeSmallFile(folder + QStringLiteral("/VIDEO_TS.IFO"), "DVDVIDEO-VMG", report);
        }
    }
    return report;
}
