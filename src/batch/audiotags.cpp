#include "batch/audiotags.h"

#include "base/trimblanks.h"

#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

// A file opened relative to its open folder and only ever read. TagLib
// seeks before nearly every read; pread at a position kept here, and the
// length known from one seek to the end, spare the seeks and the refills of
// a stdio buffer that a file stream costs for each of them. Under its own
// name, so TagLib picks the format by the extension as it would for a path.
class FolderFileStream : public TagLib::IOStream
{
public:
    FolderFileStream(int folderFd, const char *name) : m_name(name)
    {
        // O_NONBLOCK: a FIFO that carries an audio name does not block the
        // scan, and it cannot seek, so it counts as unreadable. The walk
        // hands over plain files only; a seek to the end is all the length
        // costs.
        m_fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        const off_t end = m_fd >= 0 ? ::lseek(m_fd, 0, SEEK_END) : -1;
        if (m_fd >= 0 && end < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        m_length = end > 0 ? static_cast<long>(end) : 0;
        for (Window &w : m_windows) {
            w.data.swap(t_spareWindows[&w - m_windows]);
            w.data.resize(0); // holds the last file's bytes
        }
    }
    ~FolderFileStream() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        for (Window &w : m_windows)
            w.data.swap(t_spareWindows[&w - m_windows]);
    }
    FolderFileStream(const FolderFileStream &) = delete;
    FolderFileStream &operator=(const FolderFileStream &) = delete;

    TagLib::FileName name() const override { return m_name.c_str(); }
    bool isOpen() const override { return m_fd >= 0; }
    bool readOnly() const override { return true; }
    long length() override { return m_length; }
    long tell() const override { return m_position; }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        if (m_fd < 0 || m_position >= m_length)
            return {};
        const long size = static_cast<long>(
            std::min<unsigned long>(length, static_cast<unsigned long>(m_length - m_position)));
        const Window *window = nullptr;
        for (const Window &w : m_windows) {
            if (m_position >= w.start && m_position + size <= w.start + long(w.data.size()))
                window = &w;
        }
        if (!window && size < kWindow) {
            // A window that ends at the end of the file when the read lies
            // near it, so the tags there (ID3v1, APE footer) come in one read.
            Window &w = m_windows[m_nextWindow];
            m_nextWindow = 1 - m_nextWindow;
            w.start = std::min(m_position, std::max(0L, m_length - kWindow));
            readInto(w.data, w.start, std::min(kWindow, m_length - w.start));
            window = &w;
        }
        if (!window) {
            TagLib::ByteVector block;
            readInto(block, m_position, size);
            m_position += long(block.size());
            return block;
        }
        // A part of the window shares its bytes; a block made empty first
        // and assigned would cost TagLib's four allocations more, and the
        // parsers read a few bytes at a time.
        const long offset = m_position - window->start;
        if (offset >= long(window->data.size())) // short when cut meanwhile
            return {};
        const long got = std::min(size, long(window->data.size()) - offset);
        m_position += got;
        return window->data.mid(static_cast<unsigned int>(offset), static_cast<unsigned int>(got));
    }

    void seek(long offset, Position from) override
    {
        const long base = from == Beginning ? 0 : from == Current ? m_position : m_length;
        m_position = std::max(0L, base + offset);
    }

    // The scan never writes.
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}

private:
    // Most tag reads are a few bytes; a file's head and its tail each come
    // in one read of this size.
    static constexpr long kWindow = 8192;
    struct Window {
        long start = 0;
        TagLib::ByteVector data;
    };

    // Reads into a block, reusing its bytes unless parts of it are still
    // in use (TagLib's blocks copy on write).
    void readInto(TagLib::ByteVector &block, long start, long size) const
    {
        block.resize(static_cast<unsigned int>(size));
        char *data = block.data();
        size_t got = 0;
        while (got < size_t(size)) {
            const ssize_t n = ::pread(m_fd, data + got, size_t(size) - got,
                                      static_cast<off_t>(start) + static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        block.resize(static_cast<unsigned int>(got));
    }

    // The windows of the last stream this thread closed: a fresh 8 KiB block
    // for each file costs the allocator more than parsing a small tag does.
    static thread_local TagLib::ByteVector t_spareWindows[2];

    std::string m_name;
    int m_fd = -1;
    long m_length = 0;
    long m_position = 0;
    Window m_windows[2];
    int m_nextWindow = 0;
};

thread_local TagLib::ByteVector FolderFileStream::t_spareWindows[2];

QString text(const TagLib::String &value)
{
    const std::string utf8 = value.to8Bit(true);
    return trimBlanks(QString::fromUtf8(utf8.c_str())); // fromUtf8(char *) stops at a NUL
}

QString firstValue(const TagLib::PropertyMap &properties, const char *key)
{
    const auto it = properties.find(key);
    if (it == properties.end() || it->second.isEmpty())
        return {};
    return text(it->second.front());
}

AudioTags fromProperties(const TagLib::PropertyMap &properties)
{
    AudioTags tags;
    tags.artist = firstValue(properties, "ALBUMARTIST");
    if (tags.artist.isEmpty())
        tags.artist = firstValue(properties, "ALBUM ARTIST");
    if (tags.artist.isEmpty())
        tags.artist = firstValue(properties, "ARTIST");
    tags.album = firstValue(properties, "ALBUM");
    return tags;
}

// The four keys of an ID3v2 tag's property map that name the album, taken
// from the frames that can carry them only: the whole map costs half as much
// again as reading the tag. Frames count in the tag's order and a key's
// first value is its first frame's, as in the whole map.
AudioTags fromId3v2(const TagLib::ID3v2::Tag &tag)
{
    static const char *const kKeys[] = {"ALBUMARTIST", "ALBUM ARTIST", "ARTIST", "ALBUM"};
    TagLib::String values[4];
    bool found[4] = {};
    for (const TagLib::ID3v2::Frame *frame : tag.frameList()) {
        // The frames whose property key can be one of the four: the text
        // frames of artist, album artist and album, and free-text frames,
        // whose key is their description.
        const TagLib::ByteVector &id = frame->frameID();
        if (!(id == "TPE1" || id == "TPE2" || id == "TALB" || id == "TXXX"))
            continue;
        TagLib::PropertyMap properties;
        if (id == "TXXX") {
            if (const auto *userText =
                    dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame *>(frame))
                properties = userText->asProperties();
        } else if (const auto *frameText =
                       dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame *>(frame)) {
            properties = frameText->asProperties();
        }
        for (int k = 0; k < 4; ++k) {
            const auto it = properties.find(kKeys[k]);
            if (!found[k] && it != properties.end() && !it->second.isEmpty()) {
                values[k] = it->second.front();
                found[k] = true;
            }
        }
    }
    AudioTags tags;
    for (int k = 0; k < 3 && tags.artist.isEmpty(); ++k)
        tags.artist = found[k] ? text(values[k]) : QString();
    tags.album = found[3] ? text(values[3]) : QString();
    return tags;
}

bool isMp3Name(std::string_view name)
{
    if (name.size() < 4 || name[name.size() - 4] != '.')
        return false;
    const auto up = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    return up(name[name.size() - 3]) == 'M' && up(name[name.size() - 2]) == 'P' &&
           name[name.size() - 1] == '3';
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
    FolderFileStream stream(folderFd, name);
    if (!stream.isOpen())
        return std::nullopt;
    if (isMp3Name(name)) {
        // What TagLib would open for the name, without its properties: a
        // tag with any frame is the one whose properties it would give.
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (file.isValid()) {
            const TagLib::ID3v2::Tag *id3v2 = file.ID3v2Tag();
            if (id3v2 && !id3v2->isEmpty())
                return fromId3v2(*id3v2);
            return fromProperties(file.properties());
        }
        // Not an MPEG file after all: TagLib looks at the content next.
        stream.seek(0, TagLib::IOStream::Beginning);
    }
    const TagLib::FileRef file(&stream, false);
    if (file.isNull())
        return std::nullopt;
    return fromProperties(file.file()->properties());
}
