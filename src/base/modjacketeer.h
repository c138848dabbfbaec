#pragma once

#include "base/settings.h"

#include <QString>

#include <array>

// The batch's choices on the properties dialog's Batch page. The defaults are
// those of the declared keys.
struct BatchChoices {
    std::array<bool, kGenreCount> genres{}; // Vantory genres to search (CD)
    bool vantory = Keys::BatchVantory.isOn();
    bool brinsell = Keys::BatchBrinsell.isOn();
    // An automatic save may replace a picture already there ...
    bool replace = Keys::BatchReplace.isOn();
    // ... but not by one of fewer pixels.
    bool replaceLarger = Keys::BatchReplaceLarger.isOn();
    // Auto-Crop: a saved 500x500 Vantory DVD picture is cut to 350x500.
    bool autoCrop = Keys::AutoCrop.isOn();
    // Untagged album folders are queued under their folder names.
    bool folderNames = Keys::BatchFolderNames.isOn();

    bool operator==(const BatchChoices &) const = default;
};

// Settings shared by every window for the program's life: filled by the main
// window at start-up, updated by the properties dialog's Apply. The defaults
// are those of the declared keys.
struct ModJacketeer
{
    QString qsName = Keys::QSName.text();               // Quick Save template, without ".jpg"
    QString batchCDPath = Keys::BatchCDPath.text();     // CD tree root or "None"
    QString batchDVDPath = Keys::BatchDVDPath.text();   // DVD tree root or "None"
    int batchDVDFolder = Keys::BatchDVDFolder.number(); // DVD folder depth below the DVD root
    BatchChoices batch;

    // Compare window hand-over (replace mode and its answer).
    bool compareReplaceMode = false;
    bool compareKeepExisting = false;

    // The folder chosen in the folder chooser, "" when cancelled.
    QString browseResult;

    // Reads the template and the batch settings.
    void read(const Settings &settings);
    // Writes them in the order of the properties dialog's Apply.
    void write(Settings &settings) const;

    bool operator==(const ModJacketeer &) const = default;
};

// The one program-wide instance.
ModJacketeer &modJacketeer();
