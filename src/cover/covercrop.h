#pragma once

#include "base/messagebox.h"

#include <QImage>
#include <QRect>
#include <QString>

// The middle of a 500x500 DVD picture: 75 columns dropped on each side. The
// rectangle is the same whatever the picture's size; what it holds beyond a
// smaller picture is black.
inline constexpr QRect kCoverCropRect(75, 0, 350, 500);

enum class CropOutcome {
    Cropped,
    LoadFailed,  // there was no picture to crop; nothing written
    WriteFailed, // the JPEG could not be written; the picture file is unchanged
};

struct CropResult {
    CropOutcome outcome = CropOutcome::LoadFailed;
    QImage cropped; // the cut rectangle, whenever there was a picture
};

// Cuts kCoverCropRect out of `picture` (upright, as it is shown) and writes
// it with SaveJpeg over `targetPath`: beside the file first, renamed over it
// only when complete, so on any failure the file stays as it was. A null
// picture, one that could not be loaded, is reported with the message users
// have always seen for it, "Can't load BMP image", through `box`; the caller
// reports the outcome.
CropResult cropCoverArt(const QImage &picture, const QString &targetPath,
                        IMessageBox &box = messageBox());
