#include "viewer/artshelfscan.h"

#include "viewer/viewertexts.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace
{

unsigned char foldCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Letters without regard to case, then the bytes: the order a file manager
// shows, and the same on every run whatever order the file system keeps.
bool nameLess(const std::string &a, const std::string &b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = foldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = foldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool endsWithJpg(const char *name, size_t length)
{
    static const char suffix[] = ".JPG";
    if (length < 4)
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (foldCase(static_cast<unsigned char>(name[length - 4 + i])) !=
            static_cast<unsigned char>(suffix[i]))
            return false;
    return true;
}

struct Identity {
    dev_t dev;
    ino_t ino;
    bool operator==(const Identity &) const = default;
};

class ShelfWalker
{
public:
    ShelfWalker(ShelfTree &tree, ShelfImage folderImage, const ShelfYield &yield)
        : m_tree(tree), m_folderImage(folderImage), m_yield(yield)
    {
    }

    void walk(const QString &path, int nodeIndex)
    {
        if (m_tree.stopped)
            return;
        if (m_yield && !m_yield()) {
            m_tree.stopped = true;
            return;
        }
        std::vector<std::string> folders;
        std::vector<std::string> pictures;
        if (!list(QFile::encodeName(path).toStdString(), folders, pictures)) {
            m_tree.unreadableFolders.append(path);
            return;
        }
        if (folders.empty()) {
            // Only album and DVD folders show their pictures.
            for (const std::string &name : pictures) {
                const QString text = QFile::decodeName(name.c_str());
                add(shelfChildPath(path, text), text, ShelfImage::Disc, nodeIndex);
            }
        } else {
            for (const std::string &name : folders) {
                const QString text = QFile::decodeName(name.c_str());
                const QString child = shelfChildPath(path, text);
                walk(child, add(child, text, m_folderImage, nodeIndex));
                if (m_tree.stopped)
                    break;
            }
        }
        m_path.pop_back();
    }

private:
    int add(const QString &key, const QString &text, ShelfImage image, int parent)
    {
        m_tree.nodes.push_back({key, text, image, parent});
        return int(m_tree.nodes.size()) - 1;
    }

    // Lists a folder and, on success, makes it the innermost folder of the
    // current path (walk() leaves it again). Links are followed unless they
    // lead back to a folder on the path, which would never end.
    bool list(const std::string &native, std::vector<std::string> &folders,
              std::vector<std::string> &pictures)
    {
        DIR *dir = ::opendir(native.c_str());
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
                    type = DT_REG; // a dangling link: listed, fails when shown
                } else if (S_ISDIR(target.st_mode)) {
                    const Identity id{target.st_dev, target.st_ino};
                    if (std::find(m_path.begin(), m_path.end(), id) != m_path.end()) {
                        ++m_tree.loopingLinks;
                        continue;
                    }
                    type = DT_DIR;
                } else {
                    type = DT_REG;
                }
            }
            if (type == DT_DIR)
                folders.emplace_back(name, length);
            else if (endsWithJpg(name, length))
                pictures.emplace_back(name, length);
        }
        ::closedir(dir);
        std::sort(folders.begin(), folders.end(), nameLess);
        std::sort(pictures.begin(), pictures.end(), nameLess);
        return true;
    }

    ShelfTree &m_tree;
    ShelfImage m_folderImage;
    const ShelfYield &m_yield;
    std::vector<Identity> m_path;
};

} // namespace

bool isNoShelfRoot(const QString &root)
{
    // An empty root would otherwise walk the whole file system from "/".
    return root.isEmpty() || root.toUpper() == ViewerTexts::kNoRoot;
}

bool isShelfPicture(QStringView name)
{
    return name.endsWith(ViewerTexts::kPictureSuffix, Qt::CaseInsensitive);
}

QString shelfChildPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

ShelfTree buildShelfTree(ShelfType type, const QString &root, const ShelfYield &yield)
{
    ShelfTree tree;
    if (isNoShelfRoot(root))
        return tree;
    tree.nodes.push_back({root, root, ShelfImage::Root, -1});
    struct stat info {
    };
    if (::stat(QFile::encodeName(root).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        tree.rootMissing = true;
        return tree;
    }
    ShelfWalker walker(
        tree, type == ShelfType::CD ? ShelfImage::MusicFolder : ShelfImage::DvdFolder, yield);
    walker.walk(root, 0);
    return tree;
}
