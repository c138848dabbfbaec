#pragma once

#include "base/foldertree.h"

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action {
        Run,     // open the main window
        Help,    // print `text` and leave
        Version, // print `text` and leave
        Error,   // print `text` on the error stream and leave with a failure
        Batch,   // run a batch without any window
    };

    Action action = Action::Run;
    // The settings file to use instead of the per-user one (absolute), or empty.
    QString settingsFile;
    QString text;

    // A batch run (Action::Batch): its type, the folder to scan instead of
    // the configured one (absolute, or empty), whether only the folders
    // without their picture are searched, and whether untagged album folders
    // are queued under their folder names whatever the settings say.
    BatchType batchType = BatchType::CD;
    QString batchRoot;
    bool missingOnly = false;
    bool folderNames = false;

    // Reads the arguments the program was started with (the first one names
    // the program). Lenient reading lets options it does not know, and stray
    // arguments after them, through: before the application object has taken
    // out Qt's own (-platform xcb, -style fusion, ...), they may be Qt's.
    static CommandLine parse(const QStringList &arguments, bool lenient = false);
};
