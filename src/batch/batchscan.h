#pragma once

#include "base/folderwalk.h"
#include "base/foldertree.h"
#include "base/modjacketeer.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// What one tree build produced, with what it had to pass over.
struct BatchTreeBuild {
    FolderTree tree;
    std::vector<QueueEntry> queue;
    int skippedFolders = 0; // unreadable folders and links leading back up
    bool rootMissing = false;
    bool stopped = false;
};

// What the scan takes from the batch settings.
struct BatchScanSettings {
    int dvdDepth = 1;         // levels below the DVD root where the title folder lies
    bool folderNames = false; // untagged album folders are queued under their folder names

    static BatchScanSettings fromShared(const ModJacketeer &mod);
};

// The folder scan of the batch window: adds a node per folder below a folder
// and a queue row per qualifying leaf folder.
class BatchScanner
{
public:
    BatchScanner(FolderTree &tree, std::vector<QueueEntry> &queue, WalkYield yield = {});
    ~BatchScanner();
    BatchScanner(const BatchScanner &) = delete;
    BatchScanner &operator=(const BatchScanner &) = delete;

    // How many levels below the DVD root the title folder lies. A depth
    // below 1 counts as 1.
    void setDvdDepth(int depth);
    // Whether a leaf folder with audio files but no usable tag is queued
    // under its folder names: "Artist - Album" split at its first " - ",
    // else the parent folder's name and its own.
    void setFolderNames(bool on) { m_folderNames = on; }

    // Nodes for every folder below path (image 1) and a CD queue row for
    // every leaf folder whose tags name an artist or an album: the first file
    // with an ID3v1 tag that does, else the first audio file whose other tags
    // do. folderNodeIndex is the node of path itself. The tags other than
    // ID3v1 are read on worker threads while the walk goes on; the rows come
    // in the walk's order all the same, and none of the threads outlives the
    // call, even when the yield hook stops it.
    void ScanCDFolder(const QString &path, FolderTree &tree, int folderNodeIndex);
    // Nodes for every folder below path (image 3) and a DVD queue row for
    // every leaf folder at least depth levels below path, which is taken as
    // the DVD root.
    void ScanDVDFolder(const QString &path, FolderTree &tree, int folderNodeIndex);

    const WalkReport &report() const { return m_report; }

private:
    class TagReaders;

    // A leaf folder whose row waits for its tags from a worker.
    struct PendingLeaf {
        size_t queuePosition; // rows of the walk's earlier folders before it
        QString path;
        int node;
        std::optional<std::pair<QString, QString>> folderNames; // when its tags name nothing
    };

    void scan(const QString &path, int nodeIndex, bool dvd);
    void queueCDLeaf(const WalkLeaf &leaf);
    void queueDVDLeaf(const WalkLeaf &leaf);
    std::optional<std::pair<QString, QString>> folderNamesOf(const WalkLeaf &leaf) const;
    QString folderName(const std::vector<QString> &below, size_t up) const;
    void insertPendingRows();

    FolderTree &m_tree;
    std::vector<QueueEntry> &m_queue;
    WalkYield m_yield;
    WalkReport m_report;
    QString m_root;
    int m_dvdDepth = 1;
    bool m_folderNames = false;
    std::unique_ptr<TagReaders> m_readers;
    std::vector<PendingLeaf> m_pending;
};

// Builds one batch tree: empty for no root ("None" in any case), else the
// root node (key and text the root as stored, image 2) and everything below.
BatchTreeBuild buildBatchTree(BatchType type, const QString &root,
                              const BatchScanSettings &settings, const WalkYield &yield = {});
