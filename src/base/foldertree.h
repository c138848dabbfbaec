#pragma once

#include <QString>

#include <vector>

// Node images of the batch window and the viewer, 1-based as in imgView.
enum class NodeImage : int {
    MusicFolder = 1,
    Root = 2,
    DvdFolder = 3,
    Disc = 4,
    HitSaved = 5,
    HitNotSaved = 6,
};

// Batch types, which also index every per-type control.
enum class BatchType : int { CD = 0, DVD = 1 };

struct FolderNode {
    QString key;
    QString text;
    NodeImage image = NodeImage::MusicFolder;
    int parent = 0; // 1-based index of the parent node, 0 for a root
};

// A tree of nodes as the scan and the restore build it, before a window turns
// it into items. Indexes are 1-based and follow creation order, so a queue
// row's node index is the same here and in the window's tree.
class FolderTree
{
public:
    int add(int parent, const QString &key, const QString &text, NodeImage image)
    {
        m_nodes.push_back({key, text, image, parent});
        return static_cast<int>(m_nodes.size());
    }
    const FolderNode &node(int index) const { return m_nodes.at(static_cast<size_t>(index - 1)); }
    int count() const { return static_cast<int>(m_nodes.size()); }
    bool isEmpty() const { return m_nodes.empty(); }
    void clear() { m_nodes.clear(); }
    void reserve(size_t n) { m_nodes.reserve(n); }
    const std::vector<FolderNode> &nodes() const { return m_nodes; }

private:
    std::vector<FolderNode> m_nodes;
};

// One row of a batch queue. For a DVD row the title is held in artist and
// album stays empty.
struct QueueEntry {
    QString artist;
    QString album;
    QString directory;
    QString status;
    int nodeIndex = 0; // the folder's node in the tree of the same type
};
