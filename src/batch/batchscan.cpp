#include "batch/batchscan.h"

#include "base/trimblanks.h"
#include "batch/audiotags.h"
#include "batch/batchtexts.h"
#include "batch/id3v1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace
{

// Duplicates of folder descriptors held by jobs waiting for a worker; past
// this many a job names its folder by path, so a walk far ahead of the
// workers cannot exhaust the process's descriptors.
constexpr int kMaxHeldFolders = 64;

// One worker per core the process may run on, but no more than this: past a
// few, one walk cannot hand out folders fast enough to keep them busy.
constexpr int kMaxWorkers = 8;

// How long the scan, its walk done, waits for the workers before it gives
// the event loop a turn.
constexpr std::chrono::milliseconds kWaitTurn(20);

// The ID3v1 names first: on a collection that carries ID3v1 tags they are
// nearly every file, and the longer list is not needed for them.
bool audioFilter(const char *name, size_t length)
{
    const std::string_view view(name, length);
    return isTaggableAudioName(view) || isAudioName(view);
}

} // namespace

// Reads the tags other than ID3v1 of leaf folders on worker threads while
// the walk goes on: on a slow disk or a network share the waits for the
// files overlap, and on a fast one the parsing spreads over the cores. A job
// is one folder's audio files, tried in order until one names an artist or
// an album; jobs are numbered in the order they came.
class BatchScanner::TagReaders
{
public:
    TagReaders() = default;
    ~TagReaders() { cancel(); }
    TagReaders(const TagReaders &) = delete;
    TagReaders &operator=(const TagReaders &) = delete;

    void submit(int folderFd, const QString &folderPath, std::vector<std::string> names)
    {
        if (!m_started)
            start();
        Job job;
        job.names = std::move(names);
        if (m_heldFolders.load(std::memory_order_relaxed) < kMaxHeldFolders)
            job.folderFd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
        if (job.folderFd >= 0)
            m_heldFolders.fetch_add(1, std::memory_order_relaxed);
        else
            job.folderPath = QFile::encodeName(folderPath).toStdString();
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (m_idle > 0)
            m_wake.notify_one();
    }

    // Waits for every job, running jobs itself meanwhile, and gives yield a
    // turn after each of those and while it waits. False when yield asked
    // to stop; then no job runs any more.
    bool finish(const WalkYield &yield)
    {
        std::unique_lock lock(m_mutex);
        while (m_done < m_jobs.size()) {
            if (m_next < m_jobs.size()) {
                Job &job = m_jobs[m_next++];
                lock.unlock();
                run(job);
                lock.lock();
                done(job);
            } else {
                m_waiting = true;
                m_allDone.wait_for(lock, kWaitTurn);
                m_waiting = false;
            }
            if (yield) {
                lock.unlock();
                const bool go = yield();
                lock.lock();
                if (!go) {
                    lock.unlock();
                    cancel();
                    return false;
                }
            }
        }
        lock.unlock();
        cancel();
        return true;
    }

    // Drops the jobs no one has taken, lets the running ones end and waits
    // for the threads; afterwards nothing touches the jobs but the caller.
    void cancel()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
        m_threads.clear();
        for (size_t i = m_next; i < m_jobs.size(); ++i) {
            if (m_jobs[i].folderFd >= 0)
                ::close(m_jobs[i].folderFd);
            m_jobs[i].folderFd = -1;
        }
        m_next = m_jobs.size();
    }

    // Whether job number `job` ran, and what it found. Only after finish or
    // cancel.
    bool ran(size_t job) const { return m_jobs[job].ran; }
    const std::optional<AudioTags> &tags(size_t job) const { return m_jobs[job].tags; }

private:
    struct Job {
        int folderFd = -1;      // a duplicate of the folder's descriptor, else
        std::string folderPath; // the folder's path
        std::vector<std::string> names;
        std::optional<AudioTags> tags;
        bool ran = false;
    };

    void start()
    {
        m_started = true;
        const int workers = std::clamp(QThread::idealThreadCount(), 1, kMaxWorkers);
        for (int i = 0; i < workers; ++i) {
            try {
                m_threads.emplace_back([this] { work(); });
            } catch (const std::system_error &) {
                break; // fewer threads; finish runs whatever is left
            }
        }
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        while (!m_ending) {
            if (m_next == m_jobs.size()) {
                ++m_idle;
                m_wake.wait(lock);
                --m_idle;
                continue;
            }
            // A reference taken under the lock stays good while the scan
            // appends further jobs.
            Job &job = m_jobs[m_next++];
            lock.unlock();
            run(job);
            lock.lock();
            done(job);
        }
    }

    void run(Job &job)
    {
        for (const std::string &name : job.names) {
            auto tags = job.folderFd >= 0
                            ? readAudioTagsAt(job.folderFd, name.c_str())
                            : readAudioTagsAt(AT_FDCWD, (job.folderPath + '/' + name).c_str());
            if (tags && !(tags->artist.isEmpty() && tags->album.isEmpty())) {
                job.tags = std::move(tags);
                break;
            }
        }
        if (job.folderFd >= 0) {
            ::close(job.folderFd);
            job.folderFd = -1;
            m_heldFolders.fetch_sub(1, std::memory_order_relaxed);
        }
    }

    // Under the lock.
    void done(Job &job)
    {
        job.ran = true;
        if (++m_done == m_jobs.size() && m_waiting)
            m_allDone.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;    // a job came, or the threads are to end
    std::condition_variable m_allDone; // the last job is done
    std::deque<Job> m_jobs;            // appended to only, so references stay good
    size_t m_next = 0;                 // the first job no one has taken
    size_t m_done = 0;
    int m_idle = 0;
    bool m_waiting = false;
    bool m_ending = false;
    bool m_started = false;
    std::atomic<int> m_heldFolders = 0;
    std::vector<std::thread> m_threads;
};

BatchScanSettings BatchScanSettings::fromShared(const ModJacketeer &mod)
{
    return {mod.batchDVDFolder, mod.batch.folderNames};
}

BatchScanner::BatchScanner(FolderTree &tree, std::vector<QueueEntry> &queue, WalkYield yield)
    : m_tree(tree), m_queue(queue), m_yield(std::move(yield))
{
}

BatchScanner::~BatchScanner() = default;

void BatchScanner::setDvdDepth(int depth)
{
    m_dvdDepth = depth < 1 ? 1 : depth;
}

void BatchScanner::ScanCDFolder(const QString &path, FolderTree &tree, int folderNodeIndex)
{
    Q_ASSERT(&tree == &m_tree);
    Q_UNUSED(tree);
    scan(path, folderNodeIndex, false);
}

void BatchScanner::ScanDVDFolder(const QString &path, FolderTree &tree, int folderNodeIndex)
{
    Q_ASSERT(&tree == &m_tree);
    Q_UNUSED(tree);
    scan(path, folderNodeIndex, true);
}

void BatchScanner::scan(const QString &path, int nodeIndex, bool dvd)
{
    m_root = path;
    const NodeImage image = dvd ? NodeImage::DvdFolder : NodeImage::MusicFolder;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &subPath, const QString &name) {
        return m_tree.add(parent, subPath, name, image);
    };
    visitor.leaf = [&](const WalkLeaf &leaf) {
        if (dvd)
            queueDVDLeaf(leaf);
        else
            queueCDLeaf(leaf);
    };
    m_readers = std::make_unique<TagReaders>();
    m_pending.clear();
    m_report = walkFolders(path, nodeIndex, dvd ? nullptr : audioFilter, visitor, m_yield);
    if (m_report.stopped)
        m_readers->cancel();
    else if (!m_readers->finish(m_yield))
        m_report.stopped = true;
    insertPendingRows();
    m_readers.reset();
    m_pending.clear();
}

void BatchScanner::queueCDLeaf(const WalkLeaf &leaf)
{
    const auto queue = [&](const QString &artist, const QString &album) {
        m_queue.push_back(
            {artist, album, leaf.path, QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
    };
    for (const std::string &name : leaf.files) {
        if (!isTaggableAudioName(name))
            continue;
        const auto tag = readId3v1TagAt(leaf.folderFd, name.c_str());
        if (tag && !(tag->artist.isEmpty() && tag->album.isEmpty()))
            return queue(tag->artist, tag->album);
    }
    // Only then the other tags, on a worker: ID3v1 stays first wherever a
    // file has one.
    std::vector<std::string> audio;
    for (const std::string &name : leaf.files) {
        if (isAudioName(name))
            audio.push_back(name);
    }
    auto names = folderNamesOf(leaf);
    if (audio.empty()) {
        if (names)
            queue(names->first, names->second);
        return;
    }
    m_pending.push_back({m_queue.size(), leaf.path, leaf.node, std::move(names)});
    m_readers->submit(leaf.folderFd, leaf.path, std::move(audio));
}

std::optional<std::pair<QString, QString>> BatchScanner::folderNamesOf(const WalkLeaf &leaf) const
{
    if (!m_folderNames || leaf.files.empty())
        return std::nullopt;
    const QString own = trimBlanks(folderName(leaf.below, 0));
    const qsizetype dash = own.indexOf(QLatin1String(" - "));
    if (dash >= 0)
        return std::pair(trimBlanks(own.left(dash)), trimBlanks(own.mid(dash + 3)));
    const QString parent = trimBlanks(folderName(leaf.below, 1));
    if (parent.isEmpty() && own.isEmpty())
        return std::nullopt;
    return std::pair(parent, own);
}

// The rows of the folders whose tags the workers read, each where the walk
// met its folder.
void BatchScanner::insertPendingRows()
{
    if (m_pending.empty())
        return;
    std::vector<QueueEntry> rows;
    rows.reserve(m_queue.size() + m_pending.size());
    size_t from = 0;
    for (size_t job = 0; job < m_pending.size(); ++job) {
        PendingLeaf &leaf = m_pending[job];
        for (; from < leaf.queuePosition; ++from)
            rows.push_back(std::move(m_queue[from]));
        if (!m_readers->ran(job))
            continue; // stopped before its turn
        const std::optional<AudioTags> &tags = m_readers->tags(job);
        if (!tags && !leaf.folderNames)
            continue;
        rows.push_back({tags ? tags->artist : leaf.folderNames->first,
                        tags ? tags->album : leaf.folderNames->second, std::move(leaf.path),
                        QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
    }
    for (; from < m_queue.size(); ++from)
        rows.push_back(std::move(m_queue[from]));
    m_queue = std::move(rows);
}

QString BatchScanner::folderName(const std::vector<QString> &below, size_t up) const
{
    if (up < below.size())
        return below[below.size() - 1 - up];
    // The root, or a folder above it: the root's own path names them (for a
    // root that is itself an album folder, its parent is the artist's).
    const QStringList above = QDir::cleanPath(QFileInfo(m_root).absoluteFilePath())
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const qsizetype index = above.size() - 1 - static_cast<qsizetype>(up - below.size());
    return index >= 0 ? above[index] : QString();
}

void BatchScanner::queueDVDLeaf(const WalkLeaf &leaf)
{
    // The title is the name of the folder depth levels below the root on the
    // way to this leaf; working on names rather than on the path text keeps a
    // root with a trailing separator, or a name holding a backslash, right.
    if (static_cast<int>(leaf.below.size()) < m_dvdDepth)
        return;
    m_queue.push_back({leaf.below[static_cast<size_t>(m_dvdDepth - 1)], QString(), leaf.path,
                       QString::fromLatin1(BatchTexts::kStatusQueued), leaf.node});
}

BatchTreeBuild buildBatchTree(BatchType type, const QString &root,
                              const BatchScanSettings &settings, const WalkYield &yield)
{
    BatchTreeBuild build;
    if (isNoRoot(root))
        return build;
    const int rootIndex = build.tree.add(0, root, root, NodeImage::Root);
    BatchScanner scanner(build.tree, build.queue, yield);
    scanner.setDvdDepth(settings.dvdDepth);
    scanner.setFolderNames(settings.folderNames);
    if (type == BatchType::CD)
        scanner.ScanCDFolder(root, build.tree, rootIndex);
    else
        scanner.ScanDVDFolder(root, build.tree, rootIndex);
    build.skippedFolders = scanner.report().skippedFolders();
    build.rootMissing = scanner.report().rootMissing;
    build.stopped = scanner.report().stopped;
    return build;
}
