#pragma once

#include "batch/batchresultsfile.h"

#include <QString>

// Why a hit's record could not be had. Shown to the user as "Error number"
// in the preview's and the download's messages, so the numbers never change;
// they are the numbers the classic BASIC run-time gave the same errors, which
// users of the program's earlier versions already know.
enum class BatchHitError : int {
    None = 0,
    ResultsFileMissing = 53, // the folder holds no "batch.rlt" (File not found)
    PastEndOfFile = 62,      // the file is shorter than the record (Input past end of file)
    BadRecordNumber = 63,    // the node's key starts with no record number
    FileAccess = 75,         // the file cannot be read, or the picture cannot be written
};

// A hit node as the preview and the download need it, taken from the tree
// before anything can change it: its key, its folder node's key, and that
// node's full tree path (the folder on disk).
struct BatchHit {
    QString nodeKey;
    QString folderKey;
    QString folderPath;

    // The folder's results file.
    QString resultsFile() const;
    // The record number the key starts with; 0 when there is none.
    qint64 recordNumber() const;
    // Whether the run that made the node found it on Vantory (its key carries
    // the Vantory site tag after the folder). A restored node always carries
    // the Brinsell tag, so only true is to be trusted.
    bool foundOnVantory() const;
};

struct HitRecord {
    BatchResultRecord record;
    BatchHitError error = BatchHitError::None;
    bool ok() const { return error == BatchHitError::None; }
};

// Reads the hit's record from its folder's results file. The file is closed
// again before this returns, whatever happened; a missing, short or
// unreadable file gives the error instead of a record.
HitRecord readHitRecord(const BatchHit &hit);

enum class PictureSite { Vantory, Brinsell, Unknown };

// The retailer a picture address names: "VANTORY" anywhere in it (case
// ignored) before "BRINSELL".
PictureSite pictureSite(const QString &url);
// "Vantory", "Brinsell" or "Unknown".
QString pictureSiteText(PictureSite site);

// Whether a hit's picture comes from Vantory: its address names Vantory, or
// the run found it there.
bool hitFromVantory(const BatchHit &hit, const QString &url);
