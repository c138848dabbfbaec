#pragma once

#include "base/folderwalk.h"
#include "base/foldertree.h"

#include <QString>

// What one restore of a tree produced.
struct BatchTreeRestore {
    FolderTree tree;
    qint64 hitCount = 0;
    int skippedFolders = 0;
    bool rootMissing = false;
    bool stopped = false;
};

// Rebuilds a result tree from the "batch.rlt" files of its leaf folders: the
// root node, a node per folder and, under every leaf folder, a hit node per
// record (image 6, as whether a hit had been saved is not recorded). Empty
// for no root ("None" in any case).
BatchTreeRestore restoreBatchTree(BatchType type, const QString &root, const WalkYield &yield = {});
