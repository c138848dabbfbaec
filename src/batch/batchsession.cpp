#include "batch/batchsession.h"

#include "base/appfolder.h"
#include "base/pagefetcher.h"
#include "base/requestpacer.h"
#include "base/settings.h"
#include "batch/batchjournal.h"
#include "batch/batchlog.h"
#include "batch/batchtexts.h"

#include <QCoreApplication>

#include <chrono>

using namespace BatchTexts;

namespace
{

BatchSession::Clock &sessionClock()
{
    static BatchSession::Clock clock;
    return clock;
}

// A clock that never goes back, so a changed system time cannot make a run
// seem to take hours or no time at all.
qint64 nowMs()
{
    if (sessionClock())
        return sessionClock()();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

BatchSession::BatchSession(PageFetcher &fetcher, std::function<bool()> stopRequested)
    : m_fetcher(fetcher), m_stopRequested(std::move(stopRequested)), m_startMs(nowMs())
{
}

void BatchSession::setClock(Clock clock)
{
    sessionClock() = std::move(clock);
}

BatchRunOutcome BatchSession::run(BatchType type, const std::vector<QueueEntry> &queue,
                                  const BatchSettings &settings, IBatchRunObserver &observer)
{
    const Settings store;
    // A stop gives up the page being loaded instead of waiting for it (up
    // to the fetcher's time-out).
    m_fetcher.setCancelTest(m_stopRequested);
    // One pacer for the whole run, so its interval holds across entries.
    RequestPacer pacer(store.number(Keys::RequestIntervalMs), &m_fetcher);
    pacer.setCancelTest(m_stopRequested);
    // The same journal and log for a run in the window and one without: Undo
    // Last Batch in the window takes back what a night's run did.
    BatchJournal journal;
    BatchLog log(appFile(QLatin1String(kLogFileName)));
    log.start();

    BatchRunIo io;
    io.pages = &pacer;
    io.download = pacer.downloadFunction();
    io.journal = &journal;
    io.entryDone = [&log](const BatchEntryResult &result) { log.add(result); };
    io.observer = &observer;
    io.yield = [] { QCoreApplication::processEvents(); };
    io.stopRequested = m_stopRequested;
    const BatchRunOutcome outcome = runBatch(type, queue, settings, store.sites(), io);
    log.finish(outcome.summary);
    m_failed = outcome.failed;
    return outcome;
}

qint64 BatchSession::elapsedSeconds() const
{
    return std::max<qint64>(0, nowMs() - m_startMs) / 1000;
}

QString BatchSession::completeText() const
{
    QString text = QString::fromLatin1(kRunComplete) + batchElapsedText(elapsedSeconds());
    if (m_failed > 0)
        text += QString::fromLatin1(kRunFailedFolders).arg(m_failed);
    return text;
}
