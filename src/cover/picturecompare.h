#pragma once

#include "base/downloadservice.h"
#include "cover/coversave.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class IMessageBox;

// The compare window's two-hit mode (the main window's Compare button): two
// ticked hits of the results page fetched side by side, and the one the user
// chooses saved.

// One hit of the results page as the compare window needs it.
struct ComparedHit {
    int number = 0;
    QString artist;
    QString album;
    QString address;
};

// Looks up hit i (1-based) of the current results; empty when there is none.
using HitLookup = std::function<std::optional<ComparedHit>(int hitNumber)>;

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

// Saves compared picture j (0 or 1, "compare<j+1>.jpg" in appDir) into folder
// under the template's name built from that hit, replacing a file of that
// name without asking, and without ever losing it to a failed copy. Says
// through box why it could not.
CoverSaveResult saveComparedPicture(int index, const ComparedHit &hit, const QString &templateName,
                                    const QString &folder, const QString &appDir, IMessageBox &box);
