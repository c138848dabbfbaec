#include "batch/batchrestore.h"

#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"

#include <QFile>

#include <cstring>
#include <sys/stat.h>

namespace
{

constexpr int kMaxDepth = 256;

bool resultsFileFilter(const char *name, size_t length)
{
    return length == sizeof(BatchTexts::kResultsFileName) - 1 &&
           std::memcmp(name, BatchTexts::kResultsFileName, length) == 0;
}

} // namespace

BatchRestorer::BatchRestorer(FolderTree &tree, NodeImage folderImage, YieldFn yield)
    : m_tree(tree), m_folderImage(folderImage), m_yield(std::move(yield))
{
}

void BatchRestorer::walk(const QString &folder, int folderNodeIndex)
{
    m_name = nullptr;
    walk(QFile::encodeName(folder).toStdString(), folder, folderNodeIndex, 0);
}

void BatchRestorer::walk(const std::string &nativePath, const QString &path, int nodeIndex,
                         int depth)
{
    if (m_stopped)
        return;
    FolderLister::Listing listing;
    if (depth > kMaxDepth || !m_lister.enter(nativePath, resultsFileFilter, listing, m_name)) {
        ++m_skipped;
        return;
    }
    if (m_yield && !m_yield()) {
        m_stopped = true;
        m_lister.leave();
        return;
    }
    for (const std::string &name : listing.folders) {
        const QString qname = QFile::decodeName(
            QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size())));
        const QString subPath = childPath(path, qname);
        const int subIndex = m_tree.add(nodeIndex, subPath, qname, m_folderImage);
        m_name = name.c_str();
        walk(childPath(nativePath, name), subPath, subIndex, depth + 1);
        if (m_stopped)
            break;
    }
    // Only leaf folders are searched by a run, so only theirs are read.
    if (listing.folders.empty() && !listing.files.empty() && !m_stopped)
        addHits(path, nodeIndex);
    m_lister.leave();
}

void BatchRestorer::addHits(const QString &path, int nodeIndex)
{
    const QString file = childPath(path, QLatin1String(BatchTexts::kResultsFileName));
    const std::vector<BatchResultRecord> records = readBatchRecords(file);
    qint64 number = 0;
    for (const BatchResultRecord &record : records) {
        ++number;
        m_tree.add(
            nodeIndex,
            hitNodeKey(number, path, BatchTexts::kSiteTagBrinsell, record.artist, record.album),
            hitNodeText(record.artist, record.album), NodeImage::HitNotSaved);
        ++m_hits;
    }
}

BatchTreeRestore restoreBatchTree(BatchType type, const QString &root, const YieldFn &yield)
{
    BatchTreeRestore restore;
    if (isNoRoot(root))
        return restore;
    const int rootIndex = restore.tree.add(0, root, root, NodeImage::Root);
    struct stat st {
    };
    if (::stat(QFile::encodeName(root).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        restore.rootMissing = true;
        return restore;
    }
    BatchRestorer restorer(
        restore.tree, type == BatchType::CD ? NodeImage::MusicFolder : NodeImage::DvdFolder, yield);
    restorer.walk(root, rootIndex);
    restore.hitCount = restorer.hitCount();
    restore.skippedFolders = restorer.skippedFolders();
    restore.stopped = restorer.stopped();
    return restore;
}
