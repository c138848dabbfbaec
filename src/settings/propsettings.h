#pragma once

#include "base/modjacketeer.h"

#include <QString>

#include <array>
#include <functional>

// What the properties dialog edits, as its controls hold it: texts as typed,
// check boxes as on/off.
struct PropValues {
    QString qsName = Keys::QSName.text();                     // txtQSName
    QString cdPath = Keys::BatchCDPath.text();                // txtCDCoverArt
    QString dvdPath = Keys::BatchDVDPath.text();              // txtDVDCoverArt
    QString dvdName = Keys::BatchDVDFolder.defaultText;       // txtDVDName (depth box text)
    BatchChoices batch;                                       // the genre and batch check boxes
    int requestIntervalMs = Keys::RequestIntervalMs.number(); // spnRequestInterval
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
    // state's reader, so both see the same keys and defaults.
    static PropValues load(const Settings &settings);

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
    // depth's range instead of overflowing.
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

    // Apply steps 6 and 7: the checked values into the shared settings state,
    // then what the state now holds into the store in the dialog's order,
    // followed by the pause between requests. False when the file could not
    // be written (reported already).
    static bool apply(const PropValues &values, ModJacketeer &state, Settings &settings);

    // The default existence test: a folder at path + "/".
    static bool folderExists(const QString &path);
};
