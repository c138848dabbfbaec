#pragma once

#include <QString>

// Fixed texts of the properties dialog and the folder chooser. Tests compare
// against these, so the wording (misspellings and blanks included) lives here
// only.
namespace SettingsTexts
{

// Properties dialog.
inline const QString kPropCaption = QStringLiteral("Jacketeer - Properties");

inline const QString kTabQuickSave = QStringLiteral("Quick Save");
inline const QString kTabQuickSaveKey = QStringLiteral("Quick Save");
inline const QString kTabQuickSaveTip = QStringLiteral("Set the Quick Save Settings");
inline const QString kTabBatch = QStringLiteral("Batch");
inline const QString kTabBatchKey = QStringLiteral("Batch");
inline const QString kTabBatchTip = QStringLiteral("Setup your Batch settings");

inline const QString kFileName = QStringLiteral("File Name:");
// One caption; the blanks after each sentence push the next one onto its own line.
inline const QString kHelpLine1 = QStringLiteral("Enter @artist@ for Artist from results");
inline const QString kHelpLine2 = QStringLiteral("Enter @album@ for Album from results");
inline const QString kHelpLine3 =
    QStringLiteral("Enter @folder@ to use the folder it is beings saved to");
inline const QString kHelp = kHelpLine1 + QString(26, QLatin1Char(' ')) + kHelpLine2 +
                             QString(24, QLatin1Char(' ')) + kHelpLine3;
inline const QString kExampleArtist = QStringLiteral("Example - Artist: Metallica");
inline const QString kExampleAlbum = QStringLiteral("                Album: Black");
inline const QString kExampleFolder = QStringLiteral("                Folder: Metallica - Black");
inline const QString kResultFileName = QStringLiteral("Result File Name:");

// The example the preview fills the placeholders with.
inline const QString kPreviewArtist = QStringLiteral("Metallica");
inline const QString kPreviewAlbum = QStringLiteral("Black");
inline const QString kPreviewFolder = QStringLiteral("Metallica - Black");

inline const QString kDirectoryFrame = QStringLiteral("Directory");
inline const QString kCDCoverArt = QStringLiteral("CD Cover Art: ");
inline const QString kDVDCoverArt = QStringLiteral("DVD Cover Art:  ");
inline const QString kBrowse = QStringLiteral("Browse");
inline const QString kDVDName = QStringLiteral("How many folders past above path is DVD name: ");
inline const QString kGenresFrame = QStringLiteral("Vantory Genres");
inline const QString kSearchVantory = QStringLiteral("Search Vantory");
inline const QString kSearchBrinsell = QStringLiteral("Search Brinsell");
inline const QString kBatchReplace = QStringLiteral("Replace existing Cover Art");
inline const QString kReplaceLarger = QStringLiteral("Only replace with a larger picture");
inline const QString kFolderNames = QStringLiteral("Use folder names for untagged albums");
inline const QString kRequestInterval = QStringLiteral("Pause between requests to one site (ms)");
inline const QString kAutoCrop =
    QStringLiteral("Auto-Crop Vantory 500x500 DVD cover art to 350x500");

inline const QString kOk = QStringLiteral("&Ok");
inline const QString kApply = QStringLiteral("&Apply");
inline const QString kCancel = QStringLiteral("&Cancel");

inline const QString kNone = QStringLiteral("None");

inline const QString kCDMissing = QStringLiteral("Batch CD Directory does not exist.");
inline const QString kCDErrorTitle = QStringLiteral("Batch CD Error");
inline const QString kDVDMissing = QStringLiteral("Batch DVD Directory does not exist.");
inline const QString kDVDErrorTitle = QStringLiteral("Batch DVD Error");
inline const QString kDepthTooSmall =
    QStringLiteral("Dvd name must be atleast one directory past path.");

// Folder chooser.
inline const QString kBrowseCaption = QStringLiteral("Choose Folder");
inline const QString kDrive = QStringLiteral("Drive:");
inline const QString kFolder = QStringLiteral("Folder:");

} // namespace SettingsTexts
