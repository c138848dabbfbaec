#include "batch/batchrestore.h"

#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"

#include <cstring>

namespace
{

bool resultsFileFilter(const char *name, size_t length)
{
    return length == sizeof(BatchTexts::kResultsFileName) - 1 &&
           std::memcmp(name, BatchTexts::kResultsFileName, length) == 0;
}

} // namespace

BatchTreeRestore restoreBatchTree(BatchType type, const QString &root, const WalkYield &yield)
{
    BatchTreeRestore restore;
    if (isNoRoot(root))
        return restore;
    FolderTree &tree = restore.tree;
    const int rootIndex = tree.add(0, root, root, NodeImage::Root);
    const NodeImage folderImage =
        type == BatchType::CD ? NodeImage::MusicFolder : NodeImage::DvdFolder;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &path, const QString &name) {
        return tree.add(parent, path, name, folderImage);
    };
    // Only leaf folders are searched by a run, so only theirs are read.
    visitor.leaf = [&](const WalkLeaf &leaf) {
        if (leaf.files.empty())
            return;
        const std::vector<BatchResultRecord> records =
            readBatchRecords(childPath(leaf.path, QLatin1String(BatchTexts::kResultsFileName)));
        qint64 number = 0;
        for (const BatchResultRecord &record : records) {
            ++number;
            tree.add(leaf.node,
                     hitNodeKey(number, leaf.path, BatchTexts::kSiteTagBrinsell, record.artist,
                                record.album),
                     hitNodeText(record.artist, record.album), NodeImage::HitNotSaved);
        }
        restore.hitCount += number;
    };
    const WalkReport report = walkFolders(root, rootIndex, resultsFileFilter, visitor, yield);
    restore.skippedFolders = report.skippedFolders();
    restore.rootMissing = report.rootMissing;
    restore.stopped = report.stopped;
    return restore;
}
