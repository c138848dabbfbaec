#pragma once

#include <QString>

// Fixed texts of the cover crop.
namespace ImagingTexts
{

// Title of messages that belong to no particular window.
inline const QString kAppTitle = QStringLiteral("Jacketeer");

// What a picture that cannot be loaded for a crop has always been reported as.
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

} // namespace ImagingTexts
