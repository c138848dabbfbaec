#pragma once

#include <QString>

#include <optional>
#include <string_view>

// The artist and album that a file's tags name.
struct AudioTags {
    QString artist;
    QString album;
};

// Whether a file name ends in one of the audio extensions whose tags the scan
// reads when no ID3v1 tag names the album (mp3 mp2 flac ogg oga opus spx m4a
// m4b mp4 aac alac ape wv mpc wma asf aif aiff wav dsf), in any case.
bool isAudioName(std::string_view name);

// Reads the tags of a file named relative to an open folder with TagLib:
// ID3v2.2 to 2.4, Vorbis comments, MP4 atoms, APEv2, ASF and whatever else it
// knows for the file's type. The artist is the album artist where the file
// has one. Each text is cut at a NUL, as an ID3v1 field is, and loses its
// surrounding blanks; only the first of several values counts. Empty when the
// file cannot be read.
std::optional<AudioTags> readAudioTagsAt(int folderFd, const char *name);
