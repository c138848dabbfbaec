#pragma once

#include "base/folderlister.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

// Gives the event loop a turn once per folder; false stops the walk (its
// window is closing).
using WalkYield = std::function<bool()>;

// Whether a configured root means "no folder": "None" in any letter case, or
// nothing at all.
bool isNoRoot(const QString &root);

// A folder path and a name joined with exactly one separator.
QString childPath(const QString &folder, const QString &name);

// A folder without subfolders, as the walk hands it to its visitor.
struct WalkLeaf {
    const QString &path;
    int node; // the folder's node, as the visitor returned it (the root's own for the root)
    const std::vector<std::string> &files; // names passing the filter, file-manager order
    const std::vector<QString> &below;     // folder names from below the root down to this one
    int folderFd; // the folder, open: its files can be opened by name without the whole path
};

// What the walk does with what it finds. `folder` is called for every
// subfolder before the walk goes into it and returns the subfolder's node;
// `leaf` for every folder that has no subfolders, the root included.
struct FolderVisitor {
    std::function<int(int parent, const QString &path, const QString &name)> folder;
    std::function<void(const WalkLeaf &leaf)> leaf;
};

struct WalkReport {
    bool rootMissing = false;      // the root is not a folder
    bool stopped = false;          // the yield hook asked to stop
    QStringList unreadableFolders; // could not be listed, or lie past any sane depth
    int loopingLinks = 0;          // links to a folder above them, not followed
    int skippedFolders() const { return int(unreadableFolders.size()) + loopingLinks; }
};

// The walk the batch scan, the restore and the viewer share: depth first,
// subfolders in file-manager order, yielding once before each folder is
// opened. Only plain files (or links to them) that pass `filter` reach the
// leaf, so a pipe named like a wanted file is never opened. A folder that
// cannot be read is reported and passed over; links back up the path are
// not followed.
WalkReport walkFolders(const QString &root, int rootNode, FolderLister::FileFilter filter,
                       const FolderVisitor &visitor, const WalkYield &yield = {});
