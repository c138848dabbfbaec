#pragma once

#include <QString>

// Fixed texts and scratch file names of the bitmap, JPEG writer and cover crop.
namespace ImagingTexts
{

// Title of messages that belong to no particular window.
inline const QString kAppTitle = QStringLiteral("Jacketeer");

inline const QString kCantLoadBmp = QStringLiteral("Can't load BMP image");

inline const QString kCropErrorTitle = QStringLiteral("Cropping Error");
// The viewer's crop.
inline const QString kViewerCropFailed = QStringLiteral("Cropping of image failed.");
// The batch window's Crop & Save (its picture is already downloaded by then).
inline const QString kBatchCropFailed =
    QStringLiteral("Cropping of image fail.  Download successful.");
inline const QString kBatchCropFailedStatus =
    QStringLiteral("Cropping failed.  Cover Art downloaded.");
inline const QString kBatchCroppingStatus = QStringLiteral("Cropping "); // + picture path
inline const QString kBatchCropDoneSuffix = QStringLiteral(" Complete"); // picture path +

inline const QString kBatchCropCaption = QStringLiteral("Crop && Save");

// Scratch bitmaps in the application folder: the picture written out before
// the crop, and the cropped picture.
inline const QString kBatchPictureScratch = QStringLiteral("temppic.bmp");
inline const QString kBatchCropScratch = QStringLiteral("crop.bmp");
inline const QString kViewerPictureScratch = QStringLiteral("temppic2.bmp");
inline const QString kViewerCropScratch = QStringLiteral("crop2.bmp");

} // namespace ImagingTexts
