#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Builds sample collections on disk: album folders of small audio files that
// carry ID3v1 tags, and DVD title folders. Only what is missing is created;
// nothing is ever deleted or overwritten.
struct SampleAlbum {
    QString artist;
    QString album;
    QString genre;
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

// The demo collection: cdRoot/<artist>/<album>/"01 - Track.mp3"... with tags,
// and dvdRoot/<title>/"VIDEO_TS.IFO". An empty root is left out.
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
