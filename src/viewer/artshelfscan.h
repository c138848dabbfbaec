#pragma once

#include "base/foldertree.h"
#include "base/folderwalk.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

enum class ShelfType : int { CD = 0, DVD = 1 };

struct ShelfNode {
    QString key;  // the full path; the root's is the configured text
    QString text; // the name; the root's is the configured text
    NodeImage image = NodeImage::Root;
    int parent = -1; // index of the parent node in ShelfTree::nodes, -1 for the root
};

// One of the viewer's trees, in the order the nodes are added: a folder's
// node comes before everything below it.
struct ShelfTree {
    std::vector<ShelfNode> nodes;
    bool rootMissing = false;      // the configured folder is not a folder
    QStringList unreadableFolders; // folders that could not be listed
    int loopingLinks = 0;          // links to a folder above them, not followed
    bool stopped = false;          // the yield hook asked to stop
};

// Builds the tree of one type: nothing for no root ("None" in any case, or
// ""), otherwise the root node and, below it, a node for every folder (in
// the shared walk's order) and, in folders without subfolders, a node for
// every ".jpg" file (any case).
ShelfTree buildShelfTree(ShelfType type, const QString &root, const WalkYield &yield = {});

// Whether a file name is one of the viewer's pictures (".jpg" in any case;
// ".jpeg" is not).
bool isShelfPicture(QStringView name);
