#include "batch/samplecollection.h"

#include "batch/id3v1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/xiphcomment.h>

// Outside any namespace: the macro declares the resource's own function.
static QByteArray sampleTemplate(const QString &name)
{
    Q_INIT_RESOURCE(sampleaudio);
    QFile file(QStringLiteral(":/sampleaudio/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace
{

QLatin1String extension(SampleFormat format)
{
    return QLatin1String(format == SampleFormat::Flac  ? "flac"
                         : format == SampleFormat::M4a ? "m4a"
                                                       : "mp3");
}

TagLib::String tagText(const QString &text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

// An untagged template of the format (a fifth of a second of silence, made
// by real encoders) with the texts written into its tag, all in memory.
QByteArray taggedTemplate(SampleFormat format, const QString &title, const QString &artist,
                          const QString &album, const QString &genre)
{
    const QByteArray bytes = sampleTemplate(QLatin1String("silence.") + extension(format));
    if (bytes.isEmpty())
        return {};
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size())));
    const auto fill = [&](TagLib::Tag *tag) {
        tag->setTitle(tagText(title));
        tag->setArtist(tagText(artist));
        tag->setAlbum(tagText(album));
        tag->setGenre(tagText(genre));
        tag->setYear(2026);
    };
    bool saved = false;
    if (format == SampleFormat::Flac) {
        TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        fill(file.xiphComment(true));
        saved = file.save();
    } else if (format == SampleFormat::M4a) {
        TagLib::MP4::File file(&stream, false);
        fill(file.tag());
        saved = file.save();
    } else {
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        fill(file.ID3v2Tag(true));
        // The ID3v2 tag alone, as today's taggers write it.
        saved = file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate);
    }
    if (!saved)
        return {};
    const TagLib::ByteVector *data = stream.data();
    return QByteArray(data->data(), static_cast<qsizetype>(data->size()));
}

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

QString trackFileName(int track, SampleFormat format = SampleFormat::Id3v1Mp3)
{
    return QStringLiteral("%1 - Track.%2")
        .arg(track, 2, 10, QLatin1Char('0'))
        .arg(extension(format));
}

void writeSampleTrack(const QString &folder, int track, const SampleAlbum &entry,
                      SampleCollectionReport &report)
{
    const QString path = folder + QLatin1Char('/') + trackFileName(track, entry.format);
    const QString title = QStringLiteral("Track %1").arg(track);
    if (entry.format == SampleFormat::Id3v1Mp3) {
        writeTaggedAudioFile(path, title, entry.artist, entry.album, id3v1GenreNumber(entry.genre),
                             report);
        return;
    }
    const QByteArray bytes =
        taggedTemplate(entry.format, title, entry.artist, entry.album, entry.genre);
    if (bytes.isEmpty())
        report.failures.append(path);
    else
        writeSmallFile(path, bytes, report);
}

} // namespace

const std::vector<SampleAlbum> &demoAlbums()
{
    static const std::vector<SampleAlbum> albums = {
        {"Metallica", "Black", "Rock"},
        {"The Quiet Harbours", "Lantern Season", "Folk"},
        {"Ada Lindqvist Trio", "Blue Meridian", "Jazz"},
        {"Copper Valley", "Dust Roads", "Country", SampleFormat::Flac},
        {"Neon Parade", "Night Shift", "Dance", SampleFormat::M4a},
        {"Marlow & Keys", "Second Floor", "R&B/Soul"},
        {"Hollow Pines", "Winter Ledger", "Rock"},
        {"Sofia Anders", "Glass Houses", "Pop", SampleFormat::Id3v2Mp3},
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
                writeSampleTrack(folder, t, entry, report);
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
