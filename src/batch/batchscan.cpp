#include "batch/batchscan.h"

#include "batch/batchtexts.h"
#include "batch/id3v1.h"

namespace
{

bool audioFilter(const char *name, size_t length)
{
    return isTaggableAudioName(std::string_view(name, length));
}

} // namespace

BatchScanner::BatchScanner(FolderTree &tree, std::vector<QueueEntry> &queue, WalkYield yield)
    : m_tree(tree), m_queue(queue), m_yield(std::move(yield))
{
}

void BatchScanner::setDvdDepth(int depth)
{
    m_dvdDepth = depth < 1 ? 1 : depth;
}

void BatchScanner::ScanCDFolder(const QString &path, FolderTree &tree, int folderNodeIndex)
{
    Q_ASSERT(&tree == &m_tree);
    Q_UNUSED(tree);
    scan(path, folderNodeIndex, false);
}

void BatchScanner::ScanDVDFolder(const QString &path, FolderTree &tree, int folderNodeIndex)
{
    Q_ASSERT(&tree == &m_tree);
    Q_UNUSED(tree);
    scan(path, folderNodeIndex, true);
}

void BatchScanner::scan(const QString &path, int nodeIndex, bool dvd)
{
    const NodeImage image = dvd ? NodeImage::DvdFolder : NodeImage::MusicFolder;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &subPath, const QString &name) {
        return m_tree.add(parent, subPath, name, image);
    };
    visitor.leaf = [&](const WalkLeaf &leaf) {
        if (dvd)
            queueDVDLeaf(leaf);
        else
            queueCDLeaf(leaf);
    };
    m_report = walkFolders(path, nodeIndex, dvd ? nullptr : audioFilter, visitor, m_yield);
}

void BatchScanner::queueCDLeaf(const WalkLeaf &leaf)
{
    for (const std::string &name : leaf.files) {
        const auto tag = readId3v1TagAt(leaf.folderFd, name.c_str());
        if (!tag || (tag->artist.isEmpty() && tag->album.isEmpty()))
            continue;
        m_queue.push_back({tag->artist, tag->album, leaf.path,
                           QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
        return;
    }
}

void BatchScanner::queueDVDLeaf(const WalkLeaf &leaf)
{
    // The title is the name of the folder depth levels below the root on the
    // way to this leaf; working on names rather than on the path text keeps a
    // root with a trailing separator, or a name holding a backslash, right.
    if (static_cast<int>(leaf.below.size()) < m_dvdDepth)
        return;
    m_queue.push_back({leaf.below[static_cast<size_t>(m_dvdDepth - 1)], QString(), leaf.path,
                       QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
}

BatchTreeBuild buildBatchTree(BatchType type, const QString &root, int dvdDepth,
                              const WalkYield &yield)
{
    BatchTreeBuild build;
    if (isNoRoot(root))
        return build;
    const int rootIndex = build.tree.add(0, root, root, NodeImage::Root);
    BatchScanner scanner(build.tree, build.queue, yield);
    scanner.setDvdDepth(dvdDepth);
    if (type == BatchType::CD)
        scanner.ScanCDFolder(root, build.tree, rootIndex);
    else
        scanner.ScanDVDFolder(root, build.tree, rootIndex);
    build.skippedFolders = scanner.report().skippedFolders();
    build.rootMissing = scanner.report().rootMissing;
    build.stopped = scanner.report().stopped;
    return build;
}
