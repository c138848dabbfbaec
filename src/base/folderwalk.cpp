#include "base/folderwalk.h"

#include <QFile>

#include <sys/stat.h>

namespace
{

// Past this many levels the path is not a collection any more but a
// pathological tree (or links that keep leading sideways); stop there.
constexpr int kMaxDepth = 256;

std::string nativeChild(const std::string &folder, const std::string &name)
{
    std::string path;
    path.reserve(folder.size() + name.size() + 1);
    path += folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

class Walker
{
public:
    Walker(FolderLister::FileFilter filter, const FolderVisitor &visitor, const WalkYield &yield,
           WalkReport &report)
        : m_filter(filter), m_visitor(visitor), m_yield(yield), m_report(report)
    {
    }

    void walk(const std::string &nativePath, const QString &path, int node,
              const char *nameInCurrent)
    {
        if (m_yield && !m_yield()) {
            m_report.stopped = true;
            return;
        }
        FolderLister::Listing listing;
        if (static_cast<int>(m_below.size()) > kMaxDepth ||
            !m_lister.enter(nativePath, m_filter, listing, nameInCurrent)) {
            m_report.unreadableFolders.append(path);
            return;
        }
        for (const std::string &name : listing.folders) {
            const QString qname = QFile::decodeName(
                QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size())));
            const QString subPath = childPath(path, qname);
            const int subNode = m_visitor.folder ? m_visitor.folder(node, subPath, qname) : 0;
            m_below.push_back(qname);
            walk(nativeChild(nativePath, name), subPath, subNode, name.c_str());
            m_below.pop_back();
            if (m_report.stopped)
                break;
        }
        if (listing.folders.empty() && m_visitor.leaf)
            m_visitor.leaf({path, node, listing.files, m_below, m_lister.folderFd()});
        m_lister.leave();
    }

    int loopingLinks() const { return m_lister.loopingLinks(); }

private:
    FolderLister::FileFilter m_filter;
    const FolderVisitor &m_visitor;
    const WalkYield &m_yield;
    WalkReport &m_report;
    FolderLister m_lister;
    std::vector<QString> m_below;
};

} // namespace

bool isNoRoot(const QString &root)
{
    // An empty root names no folder; walking it would start at the current one.
    return root.isEmpty() || root.compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0;
}

QString childPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

WalkReport walkFolders(const QString &root, int rootNode, FolderLister::FileFilter filter,
                       const FolderVisitor &visitor, const WalkYield &yield)
{
    WalkReport report;
    const QByteArray nativeRoot = QFile::encodeName(root);
    struct stat st {
    };
    if (::stat(nativeRoot.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        report.rootMissing = true;
        return report;
    }
    Walker walker(filter, visitor, yield, report);
    walker.walk(nativeRoot.toStdString(), root, rootNode, nullptr);
    report.loopingLinks = walker.loopingLinks();
    return report;
}
