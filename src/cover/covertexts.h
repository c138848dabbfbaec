#pragma once

#include <QLatin1StringView>
#include <QString>

// Fixed texts of the cover pieces: the picture's name, the compare window,
// the save by hand and the crop. Users and older notes know these exact
// words, misspellings and double blanks included, so they are kept as they
// have always read.
namespace CoverTexts
{

// The extension every saved cover gets.
inline constexpr QLatin1StringView kJpg{".jpg"};
// Not available: a picture size that cannot be read.
inline constexpr QLatin1StringView kNotApplicable{"N/A"};

inline const QString kArtistToken = QStringLiteral("@artist@");
inline const QString kAlbumToken = QStringLiteral("@album@");
inline const QString kFolderToken = QStringLiteral("@folder@");

// Scratch pictures in the application folder: the existing picture's copy
// (Picture One) and the new picture (Picture Two).
inline const QString kCompare1File = QStringLiteral("compare1.jpg");
inline const QString kCompare2File = QStringLiteral("compare2.jpg");

// The compare window.
inline const QString kCompareCaption = QStringLiteral("Jacketeer - Compare Art");
inline const QString kPictureOne = QStringLiteral("Picture One");
inline const QString kPictureTwo = QStringLiteral("Picture Two");
inline const QString kResolutionLabel = QStringLiteral("Resolution: ");
inline const QString kSizeLabel = QStringLiteral("Size: ");
inline const QString kRecommendedLabel = QStringLiteral("Recommended: ");
// The compare window's buttons and the title of Quick Save's own messages.
inline const QString kQuickSave = QStringLiteral("Quick Save");
inline const QString kYes = QStringLiteral("YES");
inline const QString kNo = QStringLiteral("NO");
inline const QString kKbytesSuffix = QStringLiteral(" Kbytes");

// Two hits compared.
inline const QString kTooManyTicked =
    QStringLiteral("You can only compare two pictures at a time.");
inline const QString kTooFewTicked = QStringLiteral("You must select 2 images to view.");
inline const QString kErrorTitle = QStringLiteral("Error");
inline const QString kCompareDownloadFailed = QStringLiteral("Unable to download picture ");
inline const QString kCompareErrorTitle = QStringLiteral("Picture Compare Error");

// A picture saved by hand.
inline const QString kDownloadFailed =
    QStringLiteral("Download of file was unseccessful.  Please make sure you on connected to the "
                   "internet and try again");
inline const QString kDownloadErrorTitle = QStringLiteral("Download Error");
inline const QString kReplaceQuestion =
    QStringLiteral("Cover Art already exists in this folder.  Do you want to compare the Cover Art "
                   "before replacing?");
inline const QString kReplaceTitle = QStringLiteral("Replace Cover Art?");
// Our own additions for cases that used to crash or fail silently.
inline const QString kNoTargetFolder =
    QStringLiteral("Please choose the folder to save the Cover Art into in the Quick Save folder "
                   "list.");
inline const QString kSaveFailed = QStringLiteral("Cover Art could not be saved as ");
inline const QString kSaveFailedTitle = QStringLiteral("Save Error");

// The crop.
// Title of messages that belong to no particular window.
inline const QString kAppTitle = QStringLiteral("Jacketeer");
// What a picture that cannot be loaded for a crop has always been reported as.
inline const QString kCantLoadBmp = QStringLiteral("Can't load BMP image");
inline const QString kCropErrorTitle = QStringLiteral("Cropping Error");

} // namespace CoverTexts
