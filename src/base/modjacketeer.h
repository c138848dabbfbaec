#pragma once

#include "base/settings.h"

#include <QString>

#include <array>

// Settings shared by every window for the program's life: filled by the main
// window at start-up, updated by the properties dialog's Apply. The defaults
// are those of the declared keys.
struct ModJacketeer
{
    QString qsName = Keys::QSName.text();             // Quick Save template, without ".jpg"
    QString batchCDPath = Keys::BatchCDPath.text();   // CD tree root or "None"
    QString batchDVDPath = Keys::BatchDVDPath.text(); // DVD tree root or "None"
    std::array<bool, kGenreCount> batchGenre{};       // Vantory genres the batch searches
    bool batchReplace = Keys::BatchReplace.isOn();
    int batchDVDFolder = Keys::BatchDVDFolder.number(); // DVD folder depth below the DVD root
    bool batchBrinsell = Keys::BatchBrinsell.isOn();
    bool batchVantory = Keys::BatchVantory.isOn();
    bool autoCrop = Keys::AutoCrop.isOn();
    bool batchReplaceLarger = Keys::BatchReplaceLarger.isOn(); // with batchReplace
    bool batchFolderNames = Keys::BatchFolderNames.isOn();

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
