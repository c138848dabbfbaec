#pragma once

#include <QString>

// Captions and status texts of the Artshelf viewer.
namespace ViewerTexts
{

inline const QString kCaption = QStringLiteral("Jacketeer - Artshelf");
inline const QString kTreesFrame = QStringLiteral("CD Cover Art Explorer");
inline const QString kTypeFrame = QStringLiteral("Batch Type");
inline const QString kTypeCD = QStringLiteral("CD");
inline const QString kTypeDVD = QStringLiteral("DVD");
inline const QString kPictureFrame = QStringLiteral("Cover Art");
inline const QString kCropCaption = QStringLiteral("Crop Cover Art");
inline const QString kCropFailed = QStringLiteral("Cropping of image failed.");

// Picture files, compared without regard to case.
inline const QString kPictureSuffix = QStringLiteral(".JPG");

// Problems shown in the status line instead of stopping the window.
// %1 "CD" or "DVD", %2 the configured folder.
inline const QString kRootMissing = QStringLiteral("%1 folder not found: %2");
// %1 the number of folders, %2 the first of them.
inline const QString kFoldersUnreadable =
    QStringLiteral("%1 folder(s) could not be read, such as %2");
// %1 the picture's path.
inline const QString kPictureUnreadable = QStringLiteral("Cannot show picture: %1");

} // namespace ViewerTexts
