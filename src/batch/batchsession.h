#pragma once

#include "base/foldertree.h"
#include "batch/batchrun.h"

#include <QString>

#include <functional>
#include <vector>

class PageFetcher;

// One batch run as the batch window's Start and `jacketeer --batch` make it:
// the pages and pictures through one request pacer (the pause between
// requests from the settings file), every picture written down in the undo
// journal, every searched folder in the batch log with the counts at its
// end, and one stop test that ends the run, the wait between requests and
// the page being loaded alike. The caller keeps only its view of the run.
class BatchSession
{
public:
    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;

    // `fetcher` loads the pages; `stopRequested` turns true once the run is
    // to end (Cancel, the window closing, Ctrl-C). The elapsed time counts
    // from here.
    BatchSession(PageFetcher &fetcher, std::function<bool()> stopRequested);

    // Runs a queue with the choices given, the sites of the settings file
    // and the observer showing it.
    BatchRunOutcome run(BatchType type, const std::vector<QueueEntry> &queue,
                        const BatchSettings &settings, IBatchRunObserver &observer);

    qint64 elapsedSeconds() const;
    // "Batch Process Complete - 002:05", and how many folders failed when any did.
    QString completeText() const;

    // A test's clock instead of the real one; an empty function restores it.
    static void setClock(Clock clock);

private:
    PageFetcher &m_fetcher;
    std::function<bool()> m_stopRequested;
    qint64 m_startMs = 0;
    int m_failed = 0;
};
