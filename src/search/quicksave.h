#pragma once

#include "base/downloadservice.h"
#include "cover/coversave.h"
#include "cover/picturecompare.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class IMessageBox;
class SearchResults;

// ---- Results page links ------------------------------------------------------

// Whether a navigation target of the results view is a Quick Save click: not
// "http:" or "about" and not starting with a letter (or a drive letter and
// colon), so a target that starts with a hit number is caught.
bool isQuickSaveClick(const QString &target);

struct QuickSaveLink {
    int hitNumber = 0;
    QString address;
};

// Splits "0012http://..." into the hit number and the picture address. All
// leading digits form the number, so hits from 10000 on keep their address
// intact. Empty when the target does not start with a digit.
std::optional<QuickSaveLink> parseQuickSaveLink(const QString &target);

// Whether two picture addresses name the same resource once both are read
// the way the results view reads them (blanks and escapes normalised).
bool sameAddress(const QString &a, const QString &b);

// The hit a Quick Save link stands for in the current results. known is
// false when the number is not in the lists or the lists hold another
// picture under it: the link comes from an earlier results page.
struct QuickSaveHit {
    bool known = false;
    int number = 0;
    QString address; // the picture to fetch (the lists' own form when known)
    QString artist;
    QString album;
};
QuickSaveHit resolveQuickSaveLink(const QString &target, const SearchResults &results);

// Looks hits up in the current search's keyed lists, for the compare window.
// The lists must outlive the lookup.
HitLookup lookupIn(const SearchResults &results);

// Whether the ticked forms of the results page on show belong to the current
// results: each ticked form's Quick Save link (links[i - 1] for hit i, as the
// page wrote it) must name hit i with the picture the lists hold for it. A
// page from an earlier search (still on show while a new search fills new
// lists) numbers other hits, whose pictures would be compared and saved under
// the wrong names.
bool ticksMatchResults(const QList<bool> &ticks, const QStringList &links, const HitLookup &hit);

// ---- Quick Save ------------------------------------------------------------------

// Saves a hit's picture by hand (saveCover) into the highlighted folder and
// reports every failure through box. The caller closes any open compare
// window first, since it shows the "compare2.jpg" about to be replaced.
CoverSaveResult runQuickSave(const CoverSaveJob &job, const DownloadFunction &download,
                             IMessageBox &box, const CompareReplaceHook &compareFirst);
