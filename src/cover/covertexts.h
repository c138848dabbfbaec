#pragma once

#include <QString>

// Fixed texts of Quick Save and the compare window. Users and older notes know
// these exact words, misspellings and double blanks included, so they are
// kept as they have always read.
namespace QuickSaveTexts
{

inline const QString compareCaption = QStringLiteral("Jacketeer - Compare Art");
inline const QString pictureOne = QStringLiteral("Picture One");
inline const QString pictureTwo = QStringLiteral("Picture Two");
inline const QString resolutionLabel = QStringLiteral("Resolution: ");
inline const QString sizeLabel = QStringLiteral("Size: ");
inline const QString recommendedLabel = QStringLiteral("Recommended: ");
// The compare window's buttons and the title of Quick Save's own messages.
inline const QString quickSave = QStringLiteral("Quick Save");
inline const QString yes = QStringLiteral("YES");
inline const QString no = QStringLiteral("NO");
inline const QString kbytesSuffix = QStringLiteral(" Kbytes");

inline const QString artistToken = QStringLiteral("@artist@");
inline const QString albumToken = QStringLiteral("@album@");
inline const QString folderToken = QStringLiteral("@folder@");

inline const QString compare1File = QStringLiteral("compare1.jpg");
inline const QString compare2File = QStringLiteral("compare2.jpg");

inline const QString downloadFailed =
    QStringLiteral("Download of file was unseccessful.  Please make sure you on connected to the "
                   "internet and try again");
inline const QString downloadErrorTitle = QStringLiteral("Download Error");
inline const QString emptyPicture =
    QStringLiteral("Cover Art not downloaded.  Empty .jpg detected");
inline const QString replaceQuestion =
    QStringLiteral("Cover Art already exists in this folder.  Do you want to compare the Cover Art "
                   "before replacing?");
inline const QString replaceTitle = QStringLiteral("Replace Cover Art?");

inline const QString tooManyTicked = QStringLiteral("You can only compare two pictures at a time.");
inline const QString tooFewTicked = QStringLiteral("You must select 2 images to view.");
inline const QString errorTitle = QStringLiteral("Error");
inline const QString preparingCompare = QStringLiteral("Preparing Picture Comapre...");
inline const QString compareDownloadFailed = QStringLiteral("Unable to download picture ");
inline const QString compareErrorTitle = QStringLiteral("Picture Compare Error");

// Our own additions for cases that used to crash or fail silently.
inline const QString staleLink =
    QStringLiteral("This Quick Save link belongs to an earlier search.  Please search again and "
                   "use the links of the new results.");
inline const QString staleCompare =
    QStringLiteral("The results on show belong to an earlier search.  Please search again and "
                   "tick the pictures to compare in the new results.");
inline const QString noTargetFolder =
    QStringLiteral("Please choose the folder to save the Cover Art into in the Quick Save folder "
                   "list.");
inline const QString saveFailed = QStringLiteral("Cover Art could not be saved as ");
inline const QString saveFailedTitle = QStringLiteral("Save Error");

} // namespace QuickSaveTexts
