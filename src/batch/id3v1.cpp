#include "batch/id3v1.h"

#include "base/cp1252.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{

constexpr int kArtistOffset = 33;
constexpr int kAlbumOffset = 63;
constexpr int kTextFieldSize = 30;

QString fieldText(QByteArrayView tag, int offset, int size)
{
    QByteArrayView field = tag.sliced(offset, size);
    const qsizetype nul = field.indexOf('\0');
    if (nul >= 0)
        field = field.first(nul);
    // Only blanks are trimmed, as the tag's writers pad with them.
    while (!field.isEmpty() && field.front() == ' ')
        field = field.sliced(1);
    while (!field.isEmpty() && field.back() == ' ')
        field.chop(1);
    return fromCp1252(field);
}

void putField(QByteArray &tag, int offset, int size, const QString &text)
{
    const QByteArray bytes = toCp1252(text).left(size);
    tag.replace(offset, bytes.size(), bytes);
}

} // namespace

bool isTaggableAudioName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    const std::string_view ext = name.substr(name.size() - 4);
    if (ext[0] != '.')
        return false;
    char up[3];
    for (int i = 0; i < 3; ++i) {
        const char c = ext[static_cast<size_t>(i) + 1];
        up[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const std::string_view e(up, 3);
    return e == "MP3" || e == "APE" || e == "OGG" || e == "WM9";
}

std::optional<Id3v1Tag> parseId3v1Tag(QByteArrayView tag)
{
    if (tag.size() != kId3v1Size || !tag.startsWith("TAG"))
        return std::nullopt;
    return Id3v1Tag{fieldText(tag, kArtistOffset, kTextFieldSize),
                    fieldText(tag, kAlbumOffset, kTextFieldSize)};
}

std::optional<Id3v1Tag> readId3v1Tag(const char *path)
{
    return readId3v1TagAt(AT_FDCWD, path);
}

std::optional<Id3v1Tag> readId3v1TagAt(int folderFd, const char *name)
{
    // O_NONBLOCK keeps a FIFO that happens to carry an audio name from
    // blocking the scan; seeking it then fails and it counts as untagged.
    const int fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    char buffer[kId3v1Size];
    ssize_t got = -1;
    if (::lseek(fd, -kId3v1Size, SEEK_END) >= 0) {
        got = 0;
        while (got < kId3v1Size) {
            const ssize_t n = ::read(fd, buffer + got, static_cast<size_t>(kId3v1Size - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
    }
    ::close(fd);
    if (got != kId3v1Size)
        return std::nullopt;
    return parseId3v1Tag(QByteArrayView(buffer, kId3v1Size));
}

std::optional<Id3v1Tag> readId3v1Tag(const QString &path)
{
    return readId3v1Tag(QFile::encodeName(path).constData());
}

QByteArray makeId3v1Tag(const QString &title, const QString &artist, const QString &album,
                        const QString &year, const QString &comment, unsigned char genre)
{
    QByteArray tag(kId3v1Size, '\0');
    tag.replace(0, 3, "TAG");
    putField(tag, 3, kTextFieldSize, title);
    putField(tag, kArtistOffset, kTextFieldSize, artist);
    putField(tag, kAlbumOffset, kTextFieldSize, album);
    putField(tag, 93, 4, year);
    putField(tag, 97, kTextFieldSize, comment);
    tag[127] = static_cast<char>(genre);
    return tag;
}
