#pragma once

#include "base/downloadservice.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class IMessageBox;
class SearchResults;

// ---- Picture facts shown by the compare window, the batch preview and the viewer ----

// "500x500": width, "x", height in pixels, no blanks.
QString resolutionText(const QSize &size);

// The size in bytes of the regular file at path; empty when there is none.
std::optional<qint64> fileSizeBytes(const QString &path);

// bytes / 1024 rounded to the nearest whole number, halves to the even neighbour.
qint64 roundedKbytes(qint64 bytes);

// "37 Kbytes" for the rounded size.
QString kbytesText(qint64 bytes);

// kbytesText of the file, or "N/A" when its size cannot be read.
QString fileSizeText(const QString &path);

struct Recommendation {
    bool one = false;
    bool two = false;
};

// The larger picture is recommended, Picture One tested first (so a wider
// but shorter Picture One wins); at equal resolution the larger file, and
// both on a tie. A size that cannot be read (empty) counts as smaller than
// any size that can.
Recommendation recommend(const QSize &one, std::optional<qint64> kbytesOne, const QSize &two,
                         std::optional<qint64> kbytesTwo);

// What the compare window shows for one picture.
struct PictureFacts {
    QSize size;                   // upright, from the header; empty when it is no picture
    std::optional<qint64> kbytes; // rounded size, empty when unreadable
    QString resolution;           // resolutionText(size)
    QString sizeText;             // "N Kbytes" or "N/A"
    bool recommended = false;
};

// Reads both files and fills in the facts and the recommendation.
std::array<PictureFacts, 2> comparePictures(const QString &pathOne, const QString &pathTwo);

// ---- Two-hit compare (the main window's Compare button) ------------------------------

// One hit of the results page as the compare window needs it.
struct ComparedHit {
    int number = 0;
    QString artist;
    QString album;
    QString address;
};

// Looks up hit i (1-based) of the current results; empty when there is none.
using HitLookup = std::function<std::optional<ComparedHit>(int hitNumber)>;

// Looks hits up in the current search's keyed lists. The lists must outlive the lookup.
HitLookup lookupIn(const SearchResults &results);

// Whether the ticked forms of the results page on show belong to the current
// results: each ticked form's Quick Save link (links[i - 1] for hit i, as the
// page wrote it) must name hit i with the picture the lists hold for it. A
// page from an earlier search (still on show while a new search fills new
// lists) numbers other hits, whose pictures would be compared and saved under
// the wrong names.
bool ticksMatchResults(const QList<bool> &ticks, const QStringList &links, const HitLookup &hit);

struct TwoHitSetup {
    bool ready = false;
    // Entry 0 is Picture One ("compare1.jpg"), entry 1 Picture Two ("compare2.jpg").
    std::array<ComparedHit, 2> hits;
};

// Checks that exactly two of hits 1..hitCount are ticked (ticks[i - 1] for
// hit i; missing ticks count as unticked) and downloads both large pictures
// to appDir's "compare1.jpg" and "compare2.jpg". A download counts when the
// file is there and is a picture, not the retailer's 1 by 1 placeholder (a
// save from the window would put it in place of a real cover without asking);
// the service's answer is not consulted. beforeDownloads runs once
// the tick count is right and the old pictures are gone (the window shows
// its progress text there). Messages go through box.
TwoHitSetup prepareTwoHitCompare(const QList<bool> &ticks, int hitCount, const HitLookup &hit,
                                 const DownloadFunction &download, IMessageBox &box,
                                 const QString &appDir,
                                 const std::function<void()> &beforeDownloads = {});

struct ComparedSave {
    bool ok = false;
    QString target; // empty when there is no folder to save into
    QString error;
};

// Saves compared picture j (0 or 1, "compare<j+1>.jpg" in appDir) into folder
// under the template's name built from that hit, replacing a file of that
// name without asking, and without ever losing it to a failed copy.
ComparedSave saveComparedPicture(int index, const ComparedHit &hit, const QString &templateName,
                                 const QString &folder, const QString &appDir);
