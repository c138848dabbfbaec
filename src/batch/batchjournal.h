#pragma once

#include "cover/coverfile.h"

#include <QFile>
#include <QString>
#include <QStringList>

// What the last batch run did to the pictures of the collection, and the way
// back. Every picture the run puts in a folder is written down (where, the
// size and BLAKE2b hash of what it wrote) and flushed before the folder is
// touched, and on disk for good when it replaces one: a picture it replaces
// is first moved into the run's backup folder by a hard link, so it never
// leaves its folder before the new one is whole (a copy when the backup
// folder is on another file system). Only the last run is kept: starting a
// run removes the journal and backups of the one before. Lives in the
// application folder, so it outlasts the program and a crash in the middle
// of a run.
//
// Journal lines, tab-separated, ending in CR LF:
//   "intend" seq "new"|"replace" target backup size blake2b permissions
//   "done" seq | "abandon" seq | "undone"
class BatchJournal
{
public:
    // The journal and backups go into `folder`; "batch-undo" in the
    // application folder when empty.
    explicit BatchJournal(const QString &folder = {});

    // Starts the journal of a new run; false (errorString) when it cannot be
    // written, and every place() of the run then fails.
    bool startRun();

    // CoverFile::place with the change recorded first. A picture left where
    // it is (ReplacePolicy::Never) is not recorded; a change that cannot be
    // recorded is not made.
    CoverFile::PlaceResult place(const QString &picture, const QString &target,
                                 CoverFile::ReplacePolicy policy);

    struct Pending {
        int replaced = 0;
        int created = 0;
        bool any() const { return replaced + created > 0; }
    };
    // What an undo would put back and take away; nothing once undone.
    Pending pending() const;

    struct UndoResult {
        bool found = false;       // a run not undone yet
        int restored = 0;         // replaced pictures put back
        int removed = 0;          // new pictures taken away
        QStringList leftAlone;    // changed since the run, so left as they are
        QStringList failed;       // "path: why"
        bool backupsKept = false; // some left alone had replaced a picture
    };
    // Puts back every replaced picture and removes every new one where the
    // file there is still the one the run wrote (same size and hash), last
    // change first. The old pictures of those left alone stay in the backup
    // folder until the next run. A journal is undone once.
    UndoResult undo();

    QString folder() const { return m_folder; }
    QString backupFolder() const;
    QString errorString() const { return m_error; }

    // What Undo Last Batch tells the user afterwards; long lists are cut.
    static QString report(const UndoResult &result, const QString &backupFolder);

private:
    struct Record;
    // Flushes the line to the system; `durable` waits until it is on disk.
    bool append(const QString &line, bool durable = false);
    QList<Record> read(bool *undone) const;

    QString m_folder;
    QFile m_file;
    int m_seq = 0;
    QString m_error;
};
