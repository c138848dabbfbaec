#pragma once

#include "base/modjacketeer.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class SettingsStore;

// What the properties dialog edits, as its controls hold it: texts as typed,
// check boxes as 0/1.
struct PropValues {
    QString qsName;                           // txtQSName
    QString cdPath = QStringLiteral("None");  // txtCDCoverArt
    QString dvdPath = QStringLiteral("None"); // txtDVDCoverArt
    QString dvdName = QStringLiteral("1");    // txtDVDName (depth box text)
    std::array<int16_t, kGenreCount> genre{}; // chkMusicG(0..17)
    int16_t replace = 0;                      // ChkBatchReplace
    int16_t vantory = 0;                      // chkSearchVantory
    int16_t brinsell = 0;                     // chkSearchBrinsell
    int16_t autoCrop = 0;                     // chkAutoCrop
    int16_t replaceLarger = 0;                // chkReplaceLarger
    int16_t folderNames = 0;                  // chkFolderNames
};

// The box whose check failed in Apply; the dialog puts the focus there.
enum class PropField { None, CDPath, DVDPath, DVDName };

struct PropCheckFailure {
    PropField field = PropField::None;
    QString text;
    QString title;
    bool failed() const { return field != PropField::None; }
};

// The rules behind the properties dialog, without widgets.
class PropSettings
{
public:
    // Whether a folder exists at a path; replaceable so tests need no real drives.
    using FolderExists = std::function<bool(const QString &path)>;

    // The dialog's values as the store holds them, read by the shared
    // state's reader (ModJacketeer::loadFromStore), so both see the same
    // keys, order and defaults.
    static PropValues load(const SettingsStore &store);

    // The template box after an edit: every backslash removed.
    static QString cleanTemplate(const QString &text);
    // Keys the template box refuses when typed.
    static bool isRefusedTemplateKey(QChar c);
    // The file name Quick Save would write with the template (trimmed, as
    // Apply stores it) for the example artist, album and folder, cleaned as
    // Quick Save cleans it.
    static QString previewName(const QString &templ);

    // The depth box after an edit: the decimal text of its leading whole number
    // ("3x" -> "3", "" -> "0", "007" -> "7").
    static QString depthText(const QString &text);
    // The numeric value of the depth box's text; saturates far above the
    // 16-bit range instead of overflowing.
    static qint64 depthValue(const QString &text);

    // Apply step 1 for one root box: one trailing separator removed from the
    // trimmed text; "/" itself stays, since removing it would lose the root.
    static QString withoutTrailingSeparator(const QString &text);
    // Apply step 2: an empty root becomes "None".
    static QString noneIfEmpty(const QString &text);
    // Whether a root box means "no tree" ("None" in any letter case).
    static bool isNone(const QString &text);
    // The drive letter of a path of the form "x:" upper-cased, as long as the
    // folder is still found under the new spelling (Linux names are
    // case-sensitive, so a blind change could point the root elsewhere).
    static QString upperDriveLetter(const QString &text, const FolderExists &exists);

    // Apply steps 1 to 5: normalises the two root boxes in `values` and checks
    // roots and depth. On failure the values keep the changes made so far and
    // nothing is to be saved.
    static PropCheckFailure check(PropValues &values, const FolderExists &exists);

    // Apply step 6: the checked values into the shared settings state.
    static void applyToState(const PropValues &values, ModJacketeer &state);
    // Apply step 7: the checked values into the store, in the dialog's order.
    static void writeToStore(const PropValues &values, SettingsStore &store);

    // The default existence test: a folder at path + "/".
    static bool folderExists(const QString &path);

    static constexpr qint64 kMaxDepth = 32767;
};
