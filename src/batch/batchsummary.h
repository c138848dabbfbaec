#pragma once

#include <QString>

#include <array>

// How a queue entry ended, as the summary and the batch log count it.
enum class BatchEntryStatus { Saved, Replaced, Kept, NoMatch, NoHits, Failed, Cancelled };

// The word the batch log gives a status ("saved", "no match", ...).
QString batchEntryStatusText(BatchEntryStatus status);

// One searched entry, as the batch log shows it.
struct BatchEntryResult {
    QString folder;
    BatchEntryStatus status = BatchEntryStatus::NoHits;
    qint64 hits = 0;
    QString detail; // the picture saved, or why none was
    QString reason; // a failed entry's reason in a few words ("page not loaded (HTTP 503)")
};

// What happened to one entry while it was searched. The first note of each
// kind is kept; the status follows from them all.
struct BatchEntryNotes {
    qint64 hits = 0;
    QString savedFile;
    bool replaced = false;
    QString kept;              // why the picture already there stayed
    QString failure;           // what went wrong that another run may get past, in a few words
    QString failureDetail;     // what it went wrong with: an address, a file and its error
    QString noPicture;         // a matching hit whose picture was the empty placeholder
    bool folderFailed = false; // its results file could not be written
    bool interrupted = false;  // the run stopped inside the entry

    static void note(QString &slot, const QString &text)
    {
        if (slot.isEmpty())
            slot = text;
    }
    void fail(const QString &reason, const QString &detail)
    {
        if (failure.isEmpty())
            failureDetail = detail;
        note(failure, reason);
    }
    // Without its results file the entry failed; otherwise a picture in the
    // folder wins over anything that went wrong elsewhere, and an entry the
    // run left halfway is cancelled when it has none.
    BatchEntryStatus status() const;
    BatchEntryResult result(const QString &folder) const;
};

// The counts of a run, shown under the queue and written to the batch log.
struct BatchSummary {
    // Saved, replaced, kept, no match, no hits and failed: the statuses in
    // their order, all but Cancelled.
    std::array<int, 6> counts{};

    // A cancelled entry is not counted.
    void add(BatchEntryStatus status);
    // "Saved N, replaced R, kept K, no match M, no hits H, failed F".
    QString text() const;
};
