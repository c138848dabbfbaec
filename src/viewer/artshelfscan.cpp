#include "viewer/artshelfscan.h"

#include "base/folderlister.h"
#include "viewer/viewertexts.h"

#include <QFile>

#include <string>
#include <sys/stat.h>

namespace
{

// ASCII case only, whatever the locale.
bool endsWithJpg(const char *name, size_t length)
{
    static const char suffix[] = ".jpg";
    if (length < 4)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        const char c = name[length - 4 + i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != suffix[i])
            return false;
    }
    return true;
}

class ShelfWalker
{
public:
    ShelfWalker(ShelfTree &tree, ShelfImage folderImage, const ShelfYield &yield)
        : m_tree(tree), m_folderImage(folderImage), m_yield(yield)
    {
    }

    int loopingLinks() const { return m_lister.loopingLinks(); }

    void walk(const QString &path, int nodeIndex)
    {
        if (m_tree.stopped)
            return;
        if (m_yield && !m_yield()) {
            m_tree.stopped = true;
            return;
        }
        // The same walk as the batch scan's, so both trees list a collection
        // alike; only plain files count, as opening a pipe named like a
        // picture would hang the viewer.
        FolderLister::Listing listing;
        if (!m_lister.enter(QFile::encodeName(path).toStdString(), endsWithJpg, listing)) {
            m_tree.unreadableFolders.append(path);
            return;
        }
        if (listing.folders.empty()) {
            // Only album and DVD folders show their pictures.
            for (const std::string &name : listing.files) {
                const QString text = QFile::decodeName(name.c_str());
                add(shelfChildPath(path, text), text, ShelfImage::Disc, nodeIndex);
            }
        } else {
            for (const std::string &name : listing.folders) {
                const QString text = QFile::decodeName(name.c_str());
                const QString child = shelfChildPath(path, text);
                walk(child, add(child, text, m_folderImage, nodeIndex));
                if (m_tree.stopped)
                    break;
            }
        }
        m_lister.leave();
    }

private:
    int add(const QString &key, const QString &text, ShelfImage image, int parent)
    {
        m_tree.nodes.push_back({key, text, image, parent});
        return int(m_tree.nodes.size()) - 1;
    }

    ShelfTree &m_tree;
    ShelfImage m_folderImage;
    const ShelfYield &m_yield;
    FolderLister m_lister;
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
    tree.loopingLinks = walker.loopingLinks();
    return tree;
}
