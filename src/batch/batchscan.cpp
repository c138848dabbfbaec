#include "batch/batchscan.h"

#include "base/trimblanks.h"
#include "batch/audiotags.h"
#include "batch/batchtexts.h"
#include "batch/id3v1.h"

#include <QDir>
#include <QFileInfo>

namespace
{

// The ID3v1 names first: on a collection that carries ID3v1 tags they are
// nearly every file, and the longer list is not needed for them.
bool audioFilter(const char *name, size_t length)
{
    const std::string_view view(name, length);
    return isTaggableAudioName(view) || isAudioName(view);
}

} // namespace

BatchScanSettings BatchScanSettings::fromShared(const ModJacketeer &mod)
{
    return {mod.batchDVDFolder, mod.batch.folderNames};
}

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
    m_root = path;
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
    const auto queue = [&](const QString &artist, const QString &album) {
        m_queue.push_back(
            {artist, album, leaf.path, QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
    };
    for (const std::string &name : leaf.files) {
        if (!isTaggableAudioName(name))
            continue;
        const auto tag = readId3v1TagAt(leaf.folderFd, name.c_str());
        if (tag && !(tag->artist.isEmpty() && tag->album.isEmpty()))
            return queue(tag->artist, tag->album);
    }
    // Only then the other tags: ID3v1 stays first wherever a file has one.
    for (const std::string &name : leaf.files) {
        if (!isAudioName(name))
            continue;
        const auto tags = readAudioTagsAt(leaf.folderFd, name.c_str());
        if (tags && !(tags->artist.isEmpty() && tags->album.isEmpty()))
            return queue(tags->artist, tags->album);
    }
    if (!m_folderNames || leaf.files.empty())
        return;
    const QString own = trimBlanks(folderName(leaf.below, 0));
    const qsizetype dash = own.indexOf(QLatin1String(" - "));
    if (dash >= 0)
        return queue(trimBlanks(own.left(dash)), trimBlanks(own.mid(dash + 3)));
    const QString parent = trimBlanks(folderName(leaf.below, 1));
    if (!parent.isEmpty() || !own.isEmpty())
        queue(parent, own);
}

QString BatchScanner::folderName(const std::vector<QString> &below, size_t up) const
{
    if (up < below.size())
        return below[below.size() - 1 - up];
    // The root, or a folder above it: the root's own path names them (for a
    // root that is itself an album folder, its parent is the artist's).
    const QStringList above = QDir::cleanPath(QFileInfo(m_root).absoluteFilePath())
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const qsizetype index = above.size() - 1 - static_cast<qsizetype>(up - below.size());
    return index >= 0 ? above[index] : QString();
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

BatchTreeBuild buildBatchTree(BatchType type, const QString &root,
                              const BatchScanSettings &settings, const WalkYield &yield)
{
    BatchTreeBuild build;
    if (isNoRoot(root))
        return build;
    const int rootIndex = build.tree.add(0, root, root, NodeImage::Root);
    BatchScanner scanner(build.tree, build.queue, yield);
    scanner.setDvdDepth(settings.dvdDepth);
    scanner.setFolderNames(settings.folderNames);
    if (type == BatchType::CD)
        scanner.ScanCDFolder(root, build.tree, rootIndex);
    else
        scanner.ScanDVDFolder(root, build.tree, rootIndex);
    build.skippedFolders = scanner.report().skippedFolders();
    build.rootMissing = scanner.report().rootMissing;
    build.stopped = scanner.report().stopped;
    return build;
}
