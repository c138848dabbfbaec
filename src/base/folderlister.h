#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Lists one folder for the scan and the restore walk without a stat per
// entry: the entry type comes from readdir, and only links (and entries of
// file systems that do not report a type) are looked up. Links to folders
// are followed unless they lead back to a folder on the current path, which
// would make the walk endless.
class FolderLister
{
public:
    struct Listing {
        std::vector<std::string> folders; // names, sorted
        std::vector<std::string> files;   // names passing the filter, sorted
    };

    // Files are kept only when keepFile(name) is true.
    using FileFilter = bool (*)(const char *name, size_t length);

    FolderLister() = default;
    FolderLister(const FolderLister &) = delete;
    FolderLister &operator=(const FolderLister &) = delete;
    ~FolderLister();

    // Opens a folder and lists it. False when it cannot be read. On success
    // the folder becomes the innermost one of the current path until leave().
    // nameInCurrent, when given, is the folder's name within the current
    // innermost folder and spares resolving the whole path.
    bool enter(const std::string &path, FileFilter filter, Listing &out,
               const char *nameInCurrent = nullptr);
    void leave();
    // The innermost folder, open, so its files can be opened by name
    // without resolving the whole path again. -1 when there is none.
    int folderFd() const;

    // Links skipped because they lead back up the path.
    int loopingLinks() const { return m_loopingLinks; }

private:
    struct Identity {
        dev_t dev;
        ino_t ino;
    };
    // A folder of the current path; its identity is looked up only when a
    // link to a folder turns up, which most collections never have.
    struct PathFolder {
        std::string path;
        void *dir = nullptr; // the open DIR
        bool known = false;
        Identity id{};
    };
    bool onPath(const Identity &id);

    std::vector<PathFolder> m_path;
    int m_loopingLinks = 0;
};

// Folder-name order: ASCII letters without regard to case, then bytes, so a
// listing reads as a file manager shows it and is the same on every run.
bool folderNameLess(const std::string &a, const std::string &b);
