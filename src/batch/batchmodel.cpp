#include "batch/batchmodel.h"

#include "base/folderwalk.h"
#include "batch/batchtexts.h"

using namespace BatchTexts;

void BatchModel::clear(BatchType type)
{
    tree(type) = Tree();
}

int BatchModel::add(Tree &tree, int parent, const QString &key, const QString &text,
                    NodeImage image)
{
    const int index = static_cast<int>(tree.nodes.size()) + 1;
    Node node{key, text, image, parent};
    if (parent == 0) {
        node.row = tree.roots++;
    } else {
        Node &up = tree.nodes[static_cast<size_t>(parent) - 1];
        if (up.lastChild == 0) {
            up.firstChild = index;
        } else {
            Node &before = tree.nodes[static_cast<size_t>(up.lastChild) - 1];
            before.nextSibling = index;
            node.row = before.row + 1;
        }
        up.lastChild = index;
    }
    tree.nodes.push_back(std::move(node));
    tree.byKey.insert(key, index);
    return index;
}

void BatchModel::addTree(BatchType type, const FolderTree &folders)
{
    Tree &t = tree(type);
    const int offset = static_cast<int>(t.nodes.size());
    t.nodes.reserve(t.nodes.size() + static_cast<size_t>(folders.count()));
    t.byKey.reserve(offset + folders.count());
    for (const FolderNode &node : folders.nodes())
        add(t, node.parent == 0 ? 0 : offset + node.parent, node.key, node.text, node.image);
}

void BatchModel::setQueue(BatchType type, std::vector<QueueEntry> queue)
{
    tree(type).queue = std::move(queue);
}

int BatchModel::addHit(BatchType type, const QString &folderKey, const QString &key,
                       const QString &text, NodeImage image)
{
    const int folder = indexOf(type, folderKey);
    return folder == 0 ? 0 : add(tree(type), folder, key, text, image);
}

int BatchModel::nodeCount(BatchType type) const
{
    return static_cast<int>(tree(type).nodes.size());
}

const BatchModel::Node *BatchModel::node(BatchType type, int index) const
{
    const std::vector<Node> &nodes = tree(type).nodes;
    if (index < 1 || static_cast<size_t>(index) > nodes.size())
        return nullptr;
    return &nodes[static_cast<size_t>(index) - 1];
}

int BatchModel::indexOf(BatchType type, const QString &key) const
{
    return tree(type).byKey.value(key, 0);
}

void BatchModel::setImage(BatchType type, int index, NodeImage image)
{
    if (node(type, index))
        tree(type).nodes[static_cast<size_t>(index) - 1].image = image;
}

QString BatchModel::fullPath(BatchType type, int index) const
{
    QStringList parts;
    for (const Node *n = node(type, index); n; n = node(type, n->parent))
        parts.prepend(n->text);
    QString path;
    for (const QString &part : parts)
        path = path.isEmpty() ? part : childPath(path, part);
    return path;
}

std::optional<BatchHit> BatchModel::hit(BatchType type, int index) const
{
    const Node *n = node(type, index);
    if (!n || (n->image != NodeImage::HitSaved && n->image != NodeImage::HitNotSaved) ||
        n->parent == 0)
        return std::nullopt;
    return BatchHit{n->key, node(type, n->parent)->key, fullPath(type, n->parent)};
}

bool BatchModel::isTicked(BatchType type, int index) const
{
    const Node *n = node(type, index);
    return n && n->ticked;
}

std::vector<int> BatchModel::setTicked(BatchType type, int index, bool ticked)
{
    std::vector<int> changed;
    std::vector<Node> &nodes = tree(type).nodes;
    const auto set = [&](int i) {
        Node &n = nodes[static_cast<size_t>(i) - 1];
        if (n.ticked != ticked) {
            n.ticked = ticked;
            changed.push_back(i);
        }
    };
    if (!node(type, index))
        return changed;
    set(index);
    if (ticked) {
        // The ancestors are searched too: a hit ticked alone takes its folders along.
        for (int up = nodes[static_cast<size_t>(index) - 1].parent; up != 0;
             up = nodes[static_cast<size_t>(up) - 1].parent)
            set(up);
        return changed;
    }
    // Nothing below an unticked folder is searched.
    std::vector<int> todo{nodes[static_cast<size_t>(index) - 1].firstChild};
    while (!todo.empty()) {
        const int i = todo.back();
        todo.pop_back();
        if (i == 0)
            continue;
        set(i);
        todo.push_back(nodes[static_cast<size_t>(i) - 1].nextSibling);
        todo.push_back(nodes[static_cast<size_t>(i) - 1].firstChild);
    }
    return changed;
}

void BatchModel::setAllTicked(BatchType type, bool ticked)
{
    for (Node &n : tree(type).nodes)
        n.ticked = ticked;
}

std::vector<int> BatchModel::unmarkSaved(BatchType type)
{
    std::vector<int> changed;
    std::vector<Node> &nodes = tree(type).nodes;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].image == NodeImage::HitSaved) {
            nodes[i].image = NodeImage::HitNotSaved;
            changed.push_back(static_cast<int>(i) + 1);
        }
    }
    return changed;
}

const std::vector<QueueEntry> &BatchModel::queue(BatchType type) const
{
    return tree(type).queue;
}

void BatchModel::setStatus(BatchType type, int row, const QString &status)
{
    std::vector<QueueEntry> &queue = tree(type).queue;
    if (row >= 0 && static_cast<size_t>(row) < queue.size())
        queue[static_cast<size_t>(row)].status = status;
}

void BatchModel::notePassedOver(int skippedFolders, const QString &missingRoot)
{
    m_skippedFolders += skippedFolders;
    if (!missingRoot.isEmpty())
        m_missingRoots.append(missingRoot);
}

void BatchModel::forgetPassedOver()
{
    m_skippedFolders = 0;
    m_missingRoots.clear();
}

QString BatchModel::passedOverNote() const
{
    QString note;
    for (const QString &root : m_missingRoots)
        note += QString::fromUtf8(kRootMissing).arg(root);
    if (m_skippedFolders > 0)
        note += QString::fromUtf8(kSkippedFolders).arg(m_skippedFolders);
    return note;
}
