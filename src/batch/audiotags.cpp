#include "batch/audiotags.h"

#include "base/trimblanks.h"

#include <taglib/fileref.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A file opened relative to its open folder and only ever read. TagLib
// seeks before nearly every read; pread at a position kept here, and the
// length known from one fstat, spare the seeks and the refills of a stdio
// buffer that a file stream costs for each of them. Under its own name, so
// TagLib picks the format by the extension as it would for a path.
class FolderFileStream : public TagLib::IOStream
{
public:
    FolderFileStream(int folderFd, const char *name) : m_name(name)
    {
        // O_NONBLOCK: a FIFO that carries an audio name does not block the scan.
        m_fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        struct stat st {
        };
        if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
        m_length = m_fd >= 0 ? static_cast<long>(st.st_size) : 0;
    }
    ~FolderFileStream() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
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
            w.data = readAt(w.start, std::min(kWindow, m_length - w.start));
            window = &w;
        }
        TagLib::ByteVector block;
        if (!window)
            block = readAt(m_position, size);
        else if (m_position - window->start < long(window->data.size())) // short when cut meanwhile
            block = window->data.mid(static_cast<unsigned int>(m_position - window->start),
                                     static_cast<unsigned int>(size));
        m_position += long(block.size());
        return block;
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

    TagLib::ByteVector readAt(long start, long size) const
    {
        TagLib::ByteVector block(static_cast<unsigned int>(size), '\0');
        size_t got = 0;
        while (got < size_t(size)) {
            const ssize_t n = ::pread(m_fd, block.data() + got, size_t(size) - got,
                                      static_cast<off_t>(start) + static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        block.resize(static_cast<unsigned int>(got));
        return block;
    }

    std::string m_name;
    int m_fd = -1;
    long m_length = 0;
    long m_position = 0;
    Window m_windows[2];
    int m_nextWindow = 0;
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
    FolderFileStream stream(folderFd, name);
    if (!stream.isOpen())
        return std::nullopt;
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
