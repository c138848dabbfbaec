#include "base/folderlister.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

inline unsigned char foldCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

bool folderNameLess(const std::string &a, const std::string &b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = foldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = foldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool FolderLister::onPath(const Identity &id)
{
    for (PathFolder &folder : m_path) {
        if (!folder.known) {
            struct stat st {
            };
            if (::stat(folder.path.c_str(), &st) != 0)
                continue;
            folder.id = {st.st_dev, st.st_ino};
            folder.known = true;
        }
        if (folder.id.dev == id.dev && folder.id.ino == id.ino)
            return true;
    }
    return false;
}

bool FolderLister::enter(const std::string &path, FileFilter filter, Listing &out,
                         const char *nameInCurrent)
{
    out.folders.clear();
    out.files.clear();
    DIR *dir = nullptr;
    if (nameInCurrent && !m_path.empty()) {
        const int fd =
            ::openat(folderFd(), nameInCurrent, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            dir = ::fdopendir(fd);
            if (!dir)
                ::close(fd);
        }
    } else {
        dir = ::opendir(path.c_str());
    }
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    m_path.push_back(PathFolder{path, dir, false, {}});

    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const size_t length = std::strlen(name);
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat target {
            };
            if (::fstatat(fd, name, &target, 0) != 0) {
                // A dangling link or a vanished entry: at most a file that
                // cannot be read, which the readers treat as untagged.
                type = DT_REG;
            } else if (S_ISDIR(target.st_mode)) {
                if (onPath({target.st_dev, target.st_ino})) {
                    ++m_loopingLinks;
                    continue;
                }
                type = DT_DIR;
            } else if (S_ISREG(target.st_mode)) {
                type = DT_REG;
            } else {
                continue; // a link to a device, pipe or socket
            }
        }
        if (type == DT_DIR)
            out.folders.emplace_back(name, length);
        // Only plain files: opening a pipe or a device could block.
        else if (type == DT_REG && filter && filter(name, length))
            out.files.emplace_back(name, length);
    }
    std::sort(out.folders.begin(), out.folders.end(), folderNameLess);
    std::sort(out.files.begin(), out.files.end(), folderNameLess);
    return true;
}

void FolderLister::leave()
{
    if (m_path.empty())
        return;
    ::closedir(static_cast<DIR *>(m_path.back().dir));
    m_path.pop_back();
}

FolderLister::~FolderLister()
{
    while (!m_path.empty())
        leave();
}

int FolderLister::folderFd() const
{
    return m_path.empty() ? -1 : ::dirfd(static_cast<DIR *>(m_path.back().dir));
}
