#pragma once

#include "base/folderlister.h"
#include "base/foldertree.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

// Gives the event loop a turn during a long walk; returns false when the walk
// should stop (its window is closing).
using YieldFn = std::function<bool()>;

// What one tree build produced, with what it had to pass over.
struct BatchTreeBuild {
    FolderTree tree;
    std::vector<QueueEntry> queue;
    int skippedFolders = 0; // unreadable folders and links leading back up
    bool rootMissing = false;
    bool stopped = false;
};

// The folder scan of the batch window: adds a node per folder below a folder
// and a queue row per qualifying leaf folder.
class BatchScanner
{
public:
    BatchScanner(FolderTree &tree, std::vector<QueueEntry> &queue, YieldFn yield = {});

    // How many levels below the DVD root the title folder lies. A depth
    // below 1 counts as 1.
    void setDvdDepth(int depth);

    // Nodes for every folder below path (image 1) and a CD queue row for
    // every leaf folder whose first tagged audio file names an artist or an
    // album. folderNodeIndex is the node of path itself.
    void ScanCDFolder(const QString &path, FolderTree &tree, int folderNodeIndex);
    // Nodes for every folder below path (image 3) and a DVD queue row for
    // every leaf folder at least depth levels below path, which is taken as
    // the DVD root.
    void ScanDVDFolder(const QString &path, FolderTree &tree, int folderNodeIndex);

    int skippedFolders() const { return m_skipped + m_lister.loopingLinks(); }
    bool stopped() const { return m_stopped; }

private:
    void scan(const std::string &nativePath, const QString &path, int nodeIndex, bool dvd);
    void queueCDLeaf(const QString &path, int nodeIndex,
                     const std::vector<std::string> &audioFiles);
    void queueDVDLeaf(const QString &path, int nodeIndex);

    FolderTree &m_tree;
    std::vector<QueueEntry> &m_queue;
    YieldFn m_yield;
    FolderLister m_lister;
    std::vector<QString> m_below; // folder names from below the root down to the current one
    const char *m_name = nullptr; // the folder about to be entered, within the current one
    int m_dvdDepth = 1;
    int m_skipped = 0;
    bool m_stopped = false;
};

// Builds one batch tree: empty for a root of "None" in any case, else the
// root node (key and text the root as stored, image 2) and everything below.
BatchTreeBuild buildBatchTree(BatchType type, const QString &root, int dvdDepth,
                              const YieldFn &yield = {});

// Whether a stored root means "no tree".
bool isNoRoot(const QString &root);

// Joins a folder path and a child name with one separator.
QString childPath(const QString &folder, const QString &name);
std::string childPath(const std::string &folder, const std::string &name);
