#pragma once

#include "base/downloadservice.h"
#include "base/foldertree.h"
#include "batch/batchcrop.h"
#include "batch/batchhit.h"
#include "cover/coversave.h"

#include <QString>

#include <functional>

class IMessageBox;

struct BatchDownloadJob {
    BatchHit hit;
    // The type on show: CD names the picture by the record's artist and
    // album, DVD by its album (the title) alone.
    BatchType type = BatchType::CD;
    QString templateName;  // the Quick Save template, without ".jpg"
    QString appDir;        // where "compare2.jpg" and "compare1.jpg" go
    bool autoCrop = false; // the Auto-Crop setting (Crop & Save crops anyway)
};

// How a download reaches the rest of the program.
struct BatchDownloadIo {
    DownloadFunction download;  // the program-wide download when empty
    IMessageBox *box = nullptr; // the program-wide message box when null
    std::function<void(const QString &)> status;
    // Closes every open compare window: one would show the "compare2.jpg"
    // that is about to be replaced.
    std::function<void()> closeCompareWindows;
    // Yes to the replace question: compares the existing picture (its copy in
    // "compare1.jpg") with the new one; true keeps the existing picture.
    CompareReplaceHook compareFirst;
};

struct BatchDownload {
    // SaveFailed, with the error, also when the record could not be read.
    CoverSaveOutcome outcome = CoverSaveOutcome::SaveFailed;
    // The picture saved, "" when none: what Crop & Save crops.
    QString savedPath;
    BatchHitError error = BatchHitError::None;
    AutoCropOutcome autoCrop = AutoCropOutcome::NotDue;
    bool saved() const { return !savedPath.isEmpty(); }
};

// Saves a hit's picture by hand (saveCover) into its folder under the
// template's name, after reading its record. Every outcome is shown through
// the status and the message box.
BatchDownload downloadBatchHit(const BatchDownloadJob &job, const BatchDownloadIo &io);
