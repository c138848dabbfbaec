#pragma once

#include "batch/batchrun.h"

#include <QString>

#include <functional>
#include <vector>

class QTextStream;

// Where a run without a window prints: progress on `out`, messages on `err`.
// On a terminal the progress is one line rewritten in place, cut to `width`
// columns; elsewhere (a pipe, a log file) every entry gets a line of its own.
struct ConsoleStreams {
    QTextStream *out = nullptr;
    QTextStream *err = nullptr;
    bool terminal = false;
    int width = 80;
};

// How one entry of a run ended.
struct ConsoleBatchEntry {
    int row = 0; // 0-based queue position
    QString folder;
    QString status;  // the queue status the run left ("Searching" for one it was stopped in)
    QString failure; // why it failed, in a few words
    qint64 hits = 0;
    bool saved = false;
};

// Shows a batch run on the console: what the batch window shows in its
// queue and Current Search frame, as text.
class ConsoleProgress : public IBatchRunObserver
{
public:
    ConsoleProgress(const ConsoleStreams &streams, const std::vector<QueueEntry> &queue,
                    std::function<bool(int nodeIndex)> ticked);

    // Called as each entry ends, with how it ended: where a log of the run
    // adds its line.
    // Ends the entry a stopped run left open and the terminal's line.
    void finish();
    const std::vector<ConsoleBatchEntry> &entries() const { return m_entries; }
    // The 1-based number of the entry being searched, or of the last one.
    int currentEntry() const { return m_current.row + 1; }

    bool isTicked(int nodeIndex) override;
    void setRowStatus(int row, const QString &status) override;
    void setRowFailure(int row, const QString &reason, const QString &detail) override;
    void setLabel(BatchLabel label, const QString &text) override;
    void setBarMaximum(BatchBar, int) override {}
    void setBarValue(BatchBar, int) override {}
    void addHitNode(const QString &folderKey, const QString &nodeKey, const QString &text,
                    NodeImage image, bool scrollTo) override;
    void setNodeImage(const QString &nodeKey, NodeImage image) override;

private:
    // The entry's line; cut to the terminal's width when it is to fit.
    QString line(const QString &state, bool fit) const;
    QString hitsText() const;
    void show(const QString &state);
    void endEntry(const QString &status);

    ConsoleStreams m_streams;
    const std::vector<QueueEntry> &m_queue;
    std::function<bool(int)> m_ticked;
    std::vector<ConsoleBatchEntry> m_entries;
    ConsoleBatchEntry m_current;
    bool m_open = false;      // an entry is being searched
    bool m_lineShown = false; // the terminal's line holds text
    QString m_site;
};
