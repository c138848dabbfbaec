#pragma once

#include "batch/batchscan.h"
#include "base/foldertree.h"

#include <QString>

// What one restore of a tree produced.
struct BatchTreeRestore {
    FolderTree tree;
    int hitCount = 0;
    int skippedFolders = 0;
    bool rootMissing = false;
    bool stopped = false;
};

// Rebuilds a result tree from the "batch.rlt" files of its leaf folders:
// a node per folder and, under every leaf folder, a hit node per record
// (image 6, as whether a hit had been saved is not recorded).
class BatchRestorer
{
public:
    BatchRestorer(FolderTree &tree, NodeImage folderImage, YieldFn yield = {});

    // Adds the nodes below folder, whose own node is folderNodeIndex.
    void walk(const QString &folder, int folderNodeIndex);

    int hitCount() const { return m_hits; }
    int skippedFolders() const { return m_skipped + m_lister.loopingLinks(); }
    bool stopped() const { return m_stopped; }

private:
    void walk(const std::string &nativePath, const QString &path, int nodeIndex, int depth);
    void addHits(const QString &path, int nodeIndex);

    FolderTree &m_tree;
    NodeImage m_folderImage;
    YieldFn m_yield;
    FolderLister m_lister;
    const char *m_name = nullptr; // the folder about to be entered, within the current one
    int m_hits = 0;
    int m_skipped = 0;
    bool m_stopped = false;
};

// Restores one tree: empty for a root of "None" in any case, else the root
// node and the walk below it.
BatchTreeRestore restoreBatchTree(BatchType type, const QString &root, const YieldFn &yield = {});
