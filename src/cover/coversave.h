#pragma once

#include "base/downloadservice.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"

#include <QString>

#include <functional>

class IMessageBox;

// A cover saved by hand. Quick Save, the compare window's Quick Save and the
// batch's Download go the same way: fetch the picture, check it, ask before
// replacing a picture of that name, let the user compare the two, place it.

// Asked when the user wants to compare before replacing: given a copy of the
// existing picture and the new one, returns true to keep the existing picture.
using CompareReplaceHook =
    std::function<bool(const QString &existingCopy, const QString &candidate)>;

struct CoverSaveJob {
    QString address;      // the picture to fetch; empty: `picture` holds it already
    QString artist;       // artist or DVD title
    QString album;        // album or information; "" for a DVD
    QString templateName; // the Quick Save template, without ".jpg"
    QString folder;       // target folder, full path
    QString appDir;       // where the scratch pictures are
    // The picture to place, in appDir: where the address is fetched to, or
    // the compared picture the user chose ("compare1.jpg" or "compare2.jpg").
    QString picture = CoverTexts::kCompare2File;
    // Ask: a picture of that name is asked about; No replaces it, Yes copies
    // it to appDir's "compare1.jpg" and lets the compare hook decide. Always:
    // the user chose in the compare window already, so it is replaced.
    CoverFile::ReplacePolicy policy = CoverFile::ReplacePolicy::Ask;
};

enum class CoverSaveOutcome {
    Saved,
    Replaced,
    KeptExisting,
    NoFolder,       // the folder is not there; nothing was fetched
    DownloadFailed, // or what came was no picture
    EmptyPicture,   // the retailer's 1 by 1 placeholder
    SaveFailed,     // not put in place; a picture there is unchanged
};

struct CoverSaveResult {
    CoverSaveOutcome outcome = CoverSaveOutcome::NoFolder;
    QString target; // the picture's full path; "" when there is no folder
    QString error;  // why, when SaveFailed
    bool saved() const
    {
        return outcome == CoverSaveOutcome::Saved || outcome == CoverSaveOutcome::Replaced;
    }
};

// Runs the save. What every caller says alike goes through box here: a
// failed download and the replace question. What a caller words its own way
// (no folder, an empty picture, a failed save) is left to it. The fetched
// picture stays in appDir for a later compare; a refused one is removed. An
// empty download function means the program-wide URLDownloadToFile.
CoverSaveResult saveCover(const CoverSaveJob &job, const DownloadFunction &download,
                          IMessageBox &box, const CompareReplaceHook &compareFirst = {});

// "Cover Art could not be saved as " + the target and the reason, as Quick
// Save and the compare window report a SaveFailed.
void showSaveFailed(const CoverSaveResult &result, IMessageBox &box);
