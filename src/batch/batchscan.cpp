#include "batch/batchscan.h"

#include "batch/batchtexts.h"
#include "batch/id3v1.h"

#include <QFile>

#include <sys/stat.h>

namespace
{

// Past this many levels the path is not a collection any more but a
// pathological tree (or links that keep leading sideways); stop there.
constexpr int kMaxDepth = 256;

bool audioFilter(const char *name, size_t length)
{
    return isTaggableAudioName(std::string_view(name, length));
}

} // namespace

bool isNoRoot(const QString &root)
{
    return root.toUpper() == QLatin1String(BatchTexts::kNoRoot);
}

QString childPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

std::string childPath(const std::string &folder, const std::string &name)
{
    std::string path;
    path.reserve(folder.size() + name.size() + 1);
    path += folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

BatchScanner::BatchScanner(FolderTree &tree, std::vector<QueueEntry> &queue, YieldFn yield)
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
    m_below.clear();
    m_name = nullptr;
    scan(QFile::encodeName(path).toStdString(), path, folderNodeIndex, false);
}

void BatchScanner::ScanDVDFolder(const QString &path, FolderTree &tree, int folderNodeIndex)
{
    Q_ASSERT(&tree == &m_tree);
    Q_UNUSED(tree);
    m_below.clear();
    m_name = nullptr;
    scan(QFile::encodeName(path).toStdString(), path, folderNodeIndex, true);
}

void BatchScanner::scan(const std::string &nativePath, const QString &path, int nodeIndex, bool dvd)
{
    if (m_stopped)
        return;
    FolderLister::Listing listing;
    if (static_cast<int>(m_below.size()) > kMaxDepth ||
        !m_lister.enter(nativePath, dvd ? nullptr : audioFilter, listing, m_name)) {
        ++m_skipped;
        return;
    }
    if (m_yield && !m_yield()) {
        m_stopped = true;
        m_lister.leave();
        return;
    }
    const NodeImage image = dvd ? NodeImage::DvdFolder : NodeImage::MusicFolder;
    for (const std::string &name : listing.folders) {
        const QString qname = QFile::decodeName(
            QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size())));
        const QString subPath = childPath(path, qname);
        const int subIndex = m_tree.add(nodeIndex, subPath, qname, image);
        m_below.push_back(qname);
        m_name = name.c_str();
        scan(childPath(nativePath, name), subPath, subIndex, dvd);
        m_below.pop_back();
        if (m_stopped)
            break;
    }
    if (listing.folders.empty() && !m_stopped) {
        if (dvd)
            queueDVDLeaf(path, nodeIndex);
        else
            queueCDLeaf(path, nodeIndex, listing.files);
    }
    m_lister.leave();
}

void BatchScanner::queueCDLeaf(const QString &path, int nodeIndex,
                               const std::vector<std::string> &audioFiles)
{
    for (const std::string &name : audioFiles) {
        const auto tag = readId3v1TagAt(m_lister.folderFd(), name.c_str());
        if (!tag || (tag->artist.isEmpty() && tag->album.isEmpty()))
            continue;
        m_queue.push_back({tag->artist, tag->album, path,
                           QString::fromLatin1(BatchTexts::kStatusQueued), nodeIndex});
        return;
    }
}

void BatchScanner::queueDVDLeaf(const QString &path, int nodeIndex)
{
    // The title is the name of the folder depth levels below the root on the
    // way to this leaf; working on names rather than on the path text keeps a
    // root with a trailing separator, or a name holding a backslash, right.
    if (static_cast<int>(m_below.size()) < m_dvdDepth)
        return;
    m_queue.push_back({m_below[static_cast<size_t>(m_dvdDepth - 1)], QString(), path,
                       QString::fromLatin1(BatchTexts::kStatusQueued), nodeIndex});
}

BatchTreeBuild buildBatchTree(BatchType type, const QString &root, int dvdDepth,
                              const YieldFn &yield)
{
    BatchTreeBuild build;
    if (isNoRoot(root))
        return build;
    const int rootIndex = build.tree.add(0, root, root, NodeImage::Root);
    struct stat st {
    };
    const QByteArray nativeRoot = QFile::encodeName(root);
    if (::stat(nativeRoot.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        build.rootMissing = true;
        return build;
    }
    BatchScanner scanner(build.tree, build.queue, yield);
    scanner.setDvdDepth(dvdDepth);
    if (type == BatchType::CD)
        scanner.ScanCDFolder(root, build.tree, rootIndex);
    else
        scanner.ScanDVDFolder(root, build.tree, rootIndex);
    build.skippedFolders = scanner.skippedFolders();
    build.stopped = scanner.stopped();
    return build;
}
