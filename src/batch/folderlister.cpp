#include "batch/folderlister.h"

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

bool FolderLister::onPath(const Identity &id) const
{
    return std::any_of(m_path.begin(), m_path.end(),
                       [&](const Identity &p) { return p.dev == id.dev && p.ino == id.ino; });
}

bool FolderLister::enter(const std::string &path, FileFilter filter, Listing &out)
{
    out.folders.clear();
    out.files.clear();
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    struct stat self {
    };
    if (::fstat(fd, &self) != 0) {
        ::closedir(dir);
        return false;
    }
    m_path.push_back({self.st_dev, self.st_ino});

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
            } else {
                type = DT_REG;
            }
        }
        if (type == DT_DIR)
            out.folders.emplace_back(name, length);
        else if (filter && filter(name, length))
            out.files.emplace_back(name, length);
    }
    ::closedir(dir);
    std::sort(out.folders.begin(), out.folders.end(), folderNameLess);
    std::sort(out.files.begin(), out.files.end(), folderNameLess);
    return true;
}

void FolderLister::leave()
{
    if (!m_path.empty())
        m_path.pop_back();
}
