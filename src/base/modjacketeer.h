#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class SettingsStore;

inline constexpr int kGenreCount = 18;

// The genre captions exactly as the genre check boxes hold them ("&&" shows
// as one "&"); they also name the Genre/BatchGenre keys of the store.
inline const std::array<const char *, kGenreCount> kGenreCaptions = {
    "Rock",      "Blues",   "Country",   "Dance",       "Jazz",        "Christian",
    "R&&B/Soul", "Special Interest", "Folk", "New Age", "Reggae",      "Pop",
    "Classical", "Latin",   "Childrens", "Rap/Hip Hop", "Soundtrack",  "Compilation"};

inline QString genreCaption(int index)
{
    return QString::fromLatin1(kGenreCaptions.at(static_cast<std::size_t>(index)));
}

// Settings shared by every window for the program's life: filled by the main
// window at start-up, updated by the properties dialog's Apply.
struct ModJacketeer
{
    QString qsName = QStringLiteral("folder");     // Quick Save template, without ".jpg"
    QString batchCDPath = QStringLiteral("None");  // CD tree root or "None"
    QString batchDVDPath = QStringLiteral("None"); // DVD tree root or "None"
    std::array<int16_t, kGenreCount> batchGenre{}; // 0/1 per genre index
    int16_t batchReplace = 0;
    int16_t batchDVDFolder = 1; // DVD folder depth below the DVD root
    int16_t batchBrinsell = 0;
    int16_t batchVantory = 0;
    int16_t autoCrop = 0;
    int16_t batchReplaceLarger = 0; // with batchReplace: never by a picture of fewer pixels
    int16_t batchFolderNames = 0;   // untagged album folders queued under their folder names

    // Compare window hand-over (replace mode and its answer).
    bool compareReplaceMode = false;
    bool compareKeepExisting = false;

    // The folder chosen in the folder chooser, "" when cancelled.
    QString browseResult;

    // Reads the template and batch settings in the store's order. The main
    // window reads its own keys between the two halves.
    void loadFromStore(const SettingsStore &store);
    void loadTemplateAndRoots(const SettingsStore &store); // QSName .. BatchGenre*
    void loadBatchFlags(const SettingsStore &store);       // BatchReplace .. BatchFolderNames
};

// The one program-wide instance.
ModJacketeer &modJacketeer();

// Converts a stored check-box value ("0"/"1", or any decimal text) the way the
// store's readers do: the leading integer, 0 when there is none.
int16_t storedInt16(const QString &text);
// "True"/"False" (any case) as a boolean; anything else is False.
bool storedBool(const QString &text);
