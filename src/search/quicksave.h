#pragma once

#include "base/downloadservice.h"

#include <QString>

#include <functional>
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

// ---- The Quick Save flow -------------------------------------------------------

// Asked when the user wants to compare before replacing: given a copy of the
// existing picture and the new one, returns true to keep the existing picture.
using CompareReplaceHook =
    std::function<bool(const QString &existingCopy, const QString &candidate)>;

struct QuickSaveJob {
    QString address;      // the hit's large picture
    QString artist;       // artist or DVD title
    QString album;        // album or information
    QString templateName; // the Quick Save template, without ".jpg"
    QString folder;       // target folder, full path
    QString appDir;       // where the scratch pictures go
};

enum class QuickSaveOutcome {
    Saved,
    Replaced,
    KeptExisting,
    DownloadFailed,
    EmptyPicture,
    SaveFailed,
    NoFolder
};

struct QuickSaveResult {
    QuickSaveOutcome outcome = QuickSaveOutcome::DownloadFailed;
    QString target;
};

// Downloads the picture to appDir's "compare2.jpg", refuses a placeholder or
// a non-picture, then places it in the folder under the template's name.
// When a picture of that name exists the user is asked whether to compare
// first: No replaces it at once, Yes copies it to appDir's "compare1.jpg" and
// lets compareFirst decide. Every failure is reported through box. The caller closes any open
// compare window first, since it shows the "compare2.jpg" about to be replaced.
QuickSaveResult runQuickSave(const QuickSaveJob &job, const DownloadFunction &download,
                             IMessageBox &box, const CompareReplaceHook &compareFirst);
