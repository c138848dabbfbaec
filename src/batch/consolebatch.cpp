#include "batch/consolebatch.h"

#include "base/folderwalk.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "batch/batchmissing.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/batchsession.h"
#include "batch/batchtexts.h"
#include "batch/consoletexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace ConsoleTexts;

namespace
{

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Whether the settings can be written at file: the file itself, or, for a
// file still to be made, the nearest folder above it that exists.
bool settingsWritable(const QString &file)
{
    QFileInfo info(file);
    if (info.exists())
        return info.isFile() && info.isWritable();
    for (QDir dir = info.absoluteDir();; dir = QFileInfo(dir.absolutePath()).absoluteDir()) {
        const QFileInfo up(dir.absolutePath());
        if (up.exists())
            return up.isDir() && up.isWritable();
        if (dir.isRoot())
            return false;
    }
}

// Whether a folder is the configured root or lies below it, so that a
// restore of the configured root shows it.
bool isWithin(const QString &folder, const QString &root)
{
    if (isNoRoot(root))
        return false;
    const QString f = QDir::cleanPath(folder);
    QString r = QDir::cleanPath(root);
    if (f == r)
        return true;
    if (!r.endsWith(QLatin1Char('/')))
        r += QLatin1Char('/');
    return f.startsWith(r);
}

} // namespace

ConsoleBatch::ConsoleBatch(ConsoleBatchRequest request, ConsoleStreams streams)
    : m_request(std::move(request)), m_streams(streams)
{
}

QString ConsoleBatch::typeName() const
{
    return text(m_request.type == BatchType::CD ? BatchTexts::kOptCD : BatchTexts::kOptDVD);
}

int ConsoleBatch::cannotRun(const QString &why)
{
    *m_streams.err << "jacketeer: " << why << '\n';
    m_streams.err->flush();
    return kExitCannotRun;
}

int ConsoleBatch::prepare()
{
    Settings store;
    ModJacketeer &mod = modJacketeer();
    mod.read(store);
    m_settings = BatchSettings::fromShared(mod);
    const bool cd = m_request.type == BatchType::CD;
    const QString configured = cd ? mod.batchCDPath : mod.batchDVDPath;

    m_root = m_request.root.isEmpty() ? configured : m_request.root;
    if (isNoRoot(m_root))
        return cannotRun(QString::fromUtf8(kNoRoot).arg(typeName()));
    if (!QFileInfo(m_root).isDir())
        return cannotRun(QString::fromUtf8(kRootNotFound).arg(typeName(), m_root));

    const bool recordRoot = !m_request.root.isEmpty() && !isWithin(m_request.root, configured);
    if (recordRoot && !settingsWritable(store.fileName()))
        return cannotRun(QString::fromUtf8(kSettingsUnwritable).arg(store.fileName(), typeName()));

    // A CD run reaches Vantory only through a genre.
    bool anyGenre = false;
    for (bool genre : m_settings.genres)
        anyGenre = anyGenre || genre;
    if (!m_settings.brinsell && !(m_settings.vantory && (anyGenre || !cd)))
        return cannotRun(QString::fromUtf8(cd ? kNoSiteCD : kNoSiteDVD).arg(store.fileName()));

    BatchScanSettings scan = BatchScanSettings::fromShared(mod);
    scan.folderNames = scan.folderNames || m_request.folderNames;
    const BatchTreeBuild build = buildBatchTree(m_request.type, m_root, scan, [this] {
        QCoreApplication::processEvents();
        return !m_stop;
    });
    if (build.stopped) {
        *m_streams.err << "jacketeer: " << text(kStoppedScanning) << '\n';
        m_streams.err->flush();
        return kExitStopped;
    }
    if (build.queue.empty())
        return cannotRun(
            QString::fromUtf8(kNothingQueued).arg(text(BatchTexts::kEmptyQueueText), m_root));
    m_queue = build.queue;
    if (m_request.missingOnly) {
        for (const int node :
             foldersWithoutPicture(m_request.type, m_queue, m_settings.templateName))
            m_ticked.insert(node);
    } else {
        for (const QueueEntry &entry : m_queue)
            m_ticked.insert(entry.nodeIndex);
    }

    QTextStream &out = *m_streams.out;
    if (recordRoot) {
        store.setText(cd ? Keys::BatchCDPath : Keys::BatchDVDPath, m_root);
        if (!store.sync())
            return cannotRun(
                QString::fromUtf8(kSettingsUnwritable).arg(store.fileName(), typeName()));
        out << QString::fromUtf8(kRootRecorded).arg(typeName(), m_root) << '\n';
    }
    const QString skipped =
        build.skippedFolders > 0
            ? QString::fromUtf8(BatchTexts::kSkippedFolders).arg(build.skippedFolders)
            : QString();
    out << QString::fromUtf8(kQueued).arg(typeName(), m_root, QString::number(m_queue.size()),
                                          QString::number(m_ticked.size()), skipped)
        << '\n';
    out.flush();
    return kExitRan;
}

int ConsoleBatch::run()
{
    PageFetcher fetcher;
    ConsoleProgress progress(m_streams, m_queue,
                             [this](int node) { return m_ticked.contains(node); });
    BatchSession session(fetcher, [this] { return m_stop; });
    const BatchRunOutcome outcome = session.run(m_request.type, m_queue, m_settings, progress);
    progress.finish();

    QTextStream &out = *m_streams.out;
    if (outcome.stopped) {
        *m_streams.err
            << "jacketeer: "
            << QString::fromUtf8(kStoppedAt).arg(progress.currentEntry()).arg(m_queue.size())
            << '\n';
        m_streams.err->flush();
        out << text(BatchTexts::kRunCancelled) << '\n';
    } else {
        out << session.completeText() << '\n';
    }
    qint64 saved = 0;
    qint64 hits = 0;
    for (const ConsoleBatchEntry &entry : progress.entries()) {
        saved += entry.saved ? 1 : 0;
        hits += entry.hits;
    }
    out << QString::fromUtf8(kSummary)
               .arg(outcome.searched)
               .arg(outcome.skipped)
               .arg(outcome.failed)
               .arg(saved)
               .arg(hits)
        << '\n'
        << outcome.summary.text() << '\n'
        << text(kReview) << '\n';
    out.flush();
    return outcome.stopped ? kExitStopped : kExitRan;
}

int ConsoleBatch::exec()
{
    const int prepared = prepare();
    return prepared == kExitRan ? run() : prepared;
}

void ConsoleBatch::requestStop()
{
    m_stop = true;
    if (m_stopShown)
        return;
    m_stopShown = true;
    // On a terminal the progress line is still open: the message goes below it.
    *m_streams.err << (m_streams.terminal ? "\n" : "") << text(kStopping) << '\n';
    m_streams.err->flush();
}
