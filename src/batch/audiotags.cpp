#include "batch/audiotags.h"

#include "base/trimblanks.h"

#include <taglib/fileref.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>

#include <array>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

// A file opened relative to its folder, under its own name, so TagLib picks
// the format by the extension as it would for a path.
class NamedFdStream : public TagLib::FileStream
{
public:
    NamedFdStream(int fd, const char *name) : TagLib::FileStream(fd, true), m_name(name) {}
    TagLib::FileName name() const override { return m_name.c_str(); }

private:
    std::string m_name;
};

QString firstValue(const TagLib::PropertyMap &properties, const char *key)
{
    const auto it = properties.find(key);
    if (it == properties.end() || it->second.isEmpty())
        return {};
    const std::string utf8 = it->second.front().to8Bit(true);
    return trimBlanks(QString::fromUtf8(utf8.c_str())); // fromUtf8(char *) stops at a NUL
}

} // namespace

bool isAudioName(std::string_view name)
{
    static constexpr std::array<std::string_view, 21> kExtensions = {
        "MP3",  "MP2", "FLAC", "OGG", "OGA", "OPUS", "SPX", "M4A",  "M4B", "MP4", "AAC",
        "ALAC", "APE", "WV",   "MPC", "WMA", "ASF",  "AIF", "AIFF", "WAV", "DSF"};
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot - 1 < 2 || name.size() - dot - 1 > 4)
        return false;
    char up[4];
    const std::string_view ext = name.substr(dot + 1);
    for (size_t i = 0; i < ext.size(); ++i)
        up[i] = (ext[i] >= 'a' && ext[i] <= 'z') ? static_cast<char>(ext[i] - 'a' + 'A') : ext[i];
    const std::string_view e(up, ext.size());
    for (const std::string_view known : kExtensions) {
        if (e == known)
            return true;
    }
    return false;
}

std::optional<AudioTags> readAudioTagsAt(int folderFd, const char *name)
{
    const int fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    NamedFdStream stream(fd, name); // closes fd once it has it open
    if (!stream.isOpen()) {
        ::close(fd);
        return std::nullopt;
    }
    const TagLib::FileRef file(&stream, false);
    if (file.isNull())
        return std::nullopt;
    const TagLib::PropertyMap properties = file.file()->properties();
    AudioTags tags;
    tags.artist = firstValue(properties, "ALBUMARTIST");
    if (tags.artist.isEmpty())
        tags.artist = firstValue(properties, "ALBUM ARTIST");
    if (tags.artist.isEmpty())
        tags.artist = firstValue(properties, "ARTIST");
    tags.album = firstValue(properties, "ALBUM");
    return tags;
}
