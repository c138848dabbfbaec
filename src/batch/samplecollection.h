#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Builds sample collections on disk: album folders of small tagged audio
// files, and DVD title folders. Only what is missing is created; nothing is
// ever deleted or overwritten.

// How an album's files are made and tagged.
enum class SampleFormat {
    Id3v1Mp3, // a stand-in for audio ending in an ID3v1 tag
    Id3v2Mp3, // real MPEG audio with an ID3v2.4 tag and no ID3v1
    Flac,     // Vorbis comments
    M4a,      // MP4 atoms
};

struct SampleAlbum {
    QString artist;
    QString album;
    QString genre;
    SampleFormat format = SampleFormat::Id3v1Mp3;
};

// The shared demo list that the retailer simulator's catalogue also uses.
const std::vector<SampleAlbum> &demoAlbums();
const QStringList &demoDvdTitles();

struct SampleCollectionReport {
    int foldersCreated = 0;
    int filesCreated = 0;
    int existing = 0;     // files or folders that were already there
    QStringList failures; // paths that could not be created
    bool ok() const { return failures.isEmpty(); }
};

// The demo collection: cdRoot/<artist>/<album>/"01 - Track.mp3"... (".flac",
// ".m4a" for the albums of those formats) with tags, and
// dvdRoot/<title>/"VIDEO_TS.IFO". An empty root is left out.
SampleCollectionReport makeDemoCollection(const QString &cdRoot, const QString &dvdRoot,
                                          int tracksPerAlbum = 3);

// A generated collection of albums x tracks tagged files (ten albums per
// artist folder) and dvds DVD title folders.
SampleCollectionReport makeGeneratedCollection(const QString &cdRoot, const QString &dvdRoot,
                                               int albums, int tracks, int dvds);

// One small audio file: a few bytes of payload and the tag. Not written
// when the file exists.
bool writeTaggedAudioFile(const QString &path, const QString &title, const QString &artist,
                          const QString &album, unsigned char genre,
                          SampleCollectionReport &report);

// The ID3v1 genre number of a demo genre (255 when it has none).
unsigned char id3v1GenreNumber(const QString &genre);
