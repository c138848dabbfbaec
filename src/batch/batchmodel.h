#pragma once

#include "base/foldertree.h"
#include "batch/batchhit.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// What the batch window's two trees and two queues hold, apart from the
// controls that show it. Per batch type: the nodes (folders, then hits) in
// the order they were made, numbered from 1 as the queue rows name them,
// each with its key, text, image, tick and place in the tree; and the queue
// rows with their statuses. The window makes an item per node and finds a
// node's item by its place: its row under its parent.
class BatchModel
{
public:
    struct Node {
        QString key;
        QString text;
        NodeImage image = NodeImage::MusicFolder;
        int parent = 0; // 0 for a root
        int row = 0;    // among its parent's children, or among the roots
        bool ticked = false;
        int firstChild = 0;
        int lastChild = 0;
        int nextSibling = 0;
    };

    // The nodes and the queue of a type go.
    void clear(BatchType type);
    // The nodes of a scan or a restore, below those already there.
    void addTree(BatchType type, const FolderTree &tree);
    void setQueue(BatchType type, std::vector<QueueEntry> queue);
    // A hit node, the last child of the folder node with that key; its
    // index, 0 when there is no such folder.
    int addHit(BatchType type, const QString &folderKey, const QString &key, const QString &text,
               NodeImage image);

    int nodeCount(BatchType type) const;
    // Null for an index without a node.
    const Node *node(BatchType type, int index) const;
    // 0 when no node has the key.
    int indexOf(BatchType type, const QString &key) const;
    void setImage(BatchType type, int index, NodeImage image);
    // The node's text and its ancestors', from the root down, joined by the
    // path separator: a folder node's folder on disk.
    QString fullPath(BatchType type, int index) const;
    // The node as a hit the preview and download work on: a node with a
    // hit's image under a folder; nothing for any other.
    std::optional<BatchHit> hit(BatchType type, int index) const;

    bool isTicked(BatchType type, int index) const;
    // Sets a tick as the user does, and carries it on: a tick up to the
    // root, an untick down through the whole subtree. The nodes whose tick
    // changed, the node itself first.
    std::vector<int> setTicked(BatchType type, int index, bool ticked);
    void setAllTicked(BatchType type, bool ticked);
    // Hits shown as saved are shown as not saved any more (their pictures
    // were taken back); the nodes changed.
    std::vector<int> unmarkSaved(BatchType type);

    const std::vector<QueueEntry> &queue(BatchType type) const;
    void setStatus(BatchType type, int row, const QString &status);

    // What the scans or restores since the last forgetPassedOver() had to
    // pass over, as the status line adds it; empty when nothing was.
    void notePassedOver(int skippedFolders, const QString &missingRoot = {});
    void forgetPassedOver();
    QString passedOverNote() const;

private:
    struct Tree {
        std::vector<Node> nodes;
        QHash<QString, int> byKey;
        int roots = 0;
        std::vector<QueueEntry> queue;
    };
    int add(Tree &tree, int parent, const QString &key, const QString &text, NodeImage image);
    Tree &tree(BatchType type) { return m_trees[static_cast<size_t>(type)]; }
    const Tree &tree(BatchType type) const { return m_trees[static_cast<size_t>(type)]; }

    std::array<Tree, 2> m_trees;
    int m_skippedFolders = 0;
    QStringList m_missingRoots;
};
