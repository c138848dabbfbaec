#pragma once

#include "base/foldertree.h"
#include "batch/batchrun.h"
#include "batch/consoleprogress.h"

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

// What a batch run without a window is asked to do.
struct ConsoleBatchRequest {
    BatchType type = BatchType::CD;
    QString root;             // the folder to scan instead of the configured one, or empty
    bool missingOnly = false; // search only the folders that lack their picture
    bool folderNames = false; // untagged album folders by their names, whatever the settings
};

// The batch window's Start without the window: reads the settings, scans the
// folder, ticks every queued folder (or those that lack their picture), runs
// the queue with the window's run and shows its progress on the console. The
// results files and pictures are the window's, so Restore Last Batch in the
// window shows the run afterwards.
class ConsoleBatch
{
public:
    static constexpr int kExitRan = 0;
    static constexpr int kExitCannotRun = 2;
    static constexpr int kExitStopped = 130; // as a shell reports a program ended by Ctrl-C

    ConsoleBatch(ConsoleBatchRequest request, ConsoleStreams streams);

    // Reads the settings, checks that a run can start and scans: kExitRan
    // when it can, else the exit code, with the reason on the error stream.
    // A root given on the command line that lies outside the configured one
    // is recorded in the settings, where Restore Last Batch looks.
    int prepare();
    // Runs the prepared queue; the exit code.
    int run();
    int exec();

    // Ends the run at its next check point: after the page being loaded, at
    // once in a wait between requests. Also ends a scan.
    void requestStop();

    // The folder nodes of the queue a run searches.
    const QSet<int> &tickedNodes() const { return m_ticked; }

private:
    int cannotRun(const QString &why);
    QString typeName() const;

    ConsoleBatchRequest m_request;
    ConsoleStreams m_streams;
    BatchSettings m_settings;
    QString m_root;
    std::vector<QueueEntry> m_queue;
    QSet<int> m_ticked;
    bool m_stop = false;
    bool m_stopShown = false;
};
