#pragma once

#include "base/foldertree.h"
#include "base/modjacketeer.h"
#include "base/requestpacer.h"
#include "batch/batchsummary.h"

#include <QString>

#include <array>
#include <functional>
#include <vector>

class BatchJournal;
class IPageSource;
struct SiteEndpoints;

// The settings a batch run reads, taken from the shared settings state when
// Start is pressed (a later Apply does not change a run under way).
struct BatchSettings : BatchChoices {
    QString templateName = Keys::QSName.text(); // the Quick Save template, without ".jpg"

    static BatchSettings fromShared(const ModJacketeer &mod);
};

enum class BatchLabel { Artist, Album, Site, Results };
enum class BatchBar { Total, Search };

// What a run shows, in the controls of the run's own batch type. The batch
// window implements it; tests record it.
class IBatchRunObserver
{
public:
    virtual ~IBatchRunObserver() = default;
    // Whether the folder node of an entry is ticked; asked when the run
    // reaches the entry, so ticks changed during a run count for the
    // entries not reached yet.
    virtual bool isTicked(int nodeIndex) = 0;
    virtual void setRowStatus(int row, const QString &status) = 0;
    // Why the entry of a row failed, told just before its status becomes
    // "Failed": in a few words ("page not loaded (HTTP 503)"), and with the
    // address or file it concerned.
    virtual void setRowFailure(int /*row*/, const QString & /*reason*/, const QString & /*detail*/)
    {
    }
    virtual void setLabel(BatchLabel label, const QString &text) = 0;
    virtual void setBarMaximum(BatchBar bar, int maximum) = 0;
    virtual void setBarValue(BatchBar bar, int value) = 0;
    // A hit node under the folder node whose key is folderKey; scrolled into
    // view when asked.
    virtual void addHitNode(const QString &folderKey, const QString &nodeKey, const QString &text,
                            NodeImage image, bool scrollTo) = 0;
    virtual void setNodeImage(const QString &nodeKey, NodeImage image) = 0;
};

// How a run reaches the rest of the program.
struct BatchRunIo {
    IPageSource *pages = nullptr;
    IBatchRunObserver *observer = nullptr;
    // Lets the event loop run: after every page and every hit.
    std::function<void()> yield;
    // True once the run is to end (Cancel, or its window closing). Looked at
    // before every entry, page and hit: the run ends at the first of these.
    std::function<bool()> stopRequested;
    // Fetches a picture into a file, saying how it went; the program-wide
    // download when empty.
    RequestPacer::Download download;
    // Where scratch pictures go; the application folder when empty.
    QString scratchFolder;
    // Records every picture the run puts in a folder so it can be undone;
    // started anew by the run. Nothing is recorded when null.
    BatchJournal *journal = nullptr;
    // Told how each searched entry ended, as soon as it has (an entry the
    // run stopped inside too).
    std::function<void(const BatchEntryResult &)> entryDone;
};

struct BatchRunOutcome {
    int searched = 0; // entries whose searches ended
    int skipped = 0;  // entries whose folder was not ticked
    int failed = 0;   // entries that got the status "Failed"
    bool stopped = false;
    BatchSummary summary;
};

// Runs a queue: for every ticked entry, replaces the "batch.rlt" in its
// folder, searches the enabled sites (the Vantory genres in index order, or
// the one Vantory DVD request, then Brinsell), records every hit there and
// under the entry's folder node, and saves the first hit that matches the
// entry into the folder under the template's name. Once a page or picture of
// an entry could not be loaded (after the pacer's retries), no later hit of it
// is saved: a lower one would take the place of the first match. An entry
// whose folder cannot be written, that has no picture because a page or
// picture could not be loaded, or whose matching picture was refused gets the
// status "Failed" and the run goes on.
BatchRunOutcome runBatch(BatchType type, const std::vector<QueueEntry> &queue,
                         const BatchSettings &settings, const SiteEndpoints &sites,
                         const BatchRunIo &io);

// Whether a hit is an automatic match for an entry (case ignored): CD, the
// artists are equal and the entry's album occurs in the hit's; DVD, the
// entry's title occurs in the hit's album. An empty album or title occurs in
// everything.
bool isAutomaticMatch(BatchType type, const QString &entryArtist, const QString &entryAlbum,
                      const QString &hitArtist, const QString &hitAlbum);

// Elapsed time as the status line shows it: whole minutes with at least
// three digits, ":", seconds with two ("002:05", "1000:00").
QString batchElapsedText(qint64 seconds);
