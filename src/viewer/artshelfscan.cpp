#include "viewer/artshelfscan.h"

#include "viewer/viewertexts.h"

#include <QFile>

#include <string>

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

} // namespace

bool isShelfPicture(QStringView name)
{
    return name.endsWith(ViewerTexts::kPictureSuffix, Qt::CaseInsensitive);
}

ShelfTree buildShelfTree(ShelfType type, const QString &root, const WalkYield &yield)
{
    ShelfTree tree;
    if (isNoRoot(root))
        return tree;
    const auto add = [&tree](const QString &key, const QString &text, NodeImage image,
                             int parent) {
        tree.nodes.push_back({key, text, image, parent});
        return int(tree.nodes.size()) - 1;
    };
    add(root, root, NodeImage::Root, -1);
    const NodeImage folderImage =
        type == ShelfType::CD ? NodeImage::MusicFolder : NodeImage::DvdFolder;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &path, const QString &name) {
        return add(path, name, folderImage, parent);
    };
    // Only album and DVD folders show their pictures.
    visitor.leaf = [&](const WalkLeaf &leaf) {
        for (const std::string &name : leaf.files) {
            const QString text = QFile::decodeName(name.c_str());
            add(childPath(leaf.path, text), text, NodeImage::Disc, leaf.node);
        }
    };
    const WalkReport report = walkFolders(root, 0, endsWithJpg, visitor, yield);
    tree.rootMissing = report.rootMissing;
    tree.unreadableFolders = report.unreadableFolders;
    tree.loopingLinks = report.loopingLinks;
    tree.stopped = report.stopped;
    return tree;
}
