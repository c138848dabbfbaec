#pragma once

#include "base/messagebox.h"
#include "imaging/cdibsection.h"
#include "imaging/ijl.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QString>

#include <functional>

// The middle of a 500x500 DVD picture: 75 columns dropped on each side. The
// rectangle is the same whatever the picture's size.
inline constexpr QRect kCoverCropRect(75, 0, 350, 500);

// The one bitmap every crop loads into, made on first use and kept for the
// program's life.
cDIBSection &SharedDib();

// Loads the BMP file at `path` into SharedDib(); true when it loaded. A failure
// shows the bitmap's own message through `box`.
bool LoadBitmapFile(const QString &path, IMessageBox &box = messageBox());

// A new picture of width x height holding the rectangle of `sourceDC` at
// left, top. Where the rectangle reaches past the source the picture is black.
// Null when there is no source or the size is not positive.
QImage CapturePicture(const QImage *sourceDC, int left, int top, int width, int height);

// Makes a picture that owns `bitmap` and, for an indexed bitmap, `palette`.
QImage BitmapToPicture(QImage bitmap, const QList<QRgb> &palette = {});

// The scratch bitmaps a window's crop uses in the application folder.
struct CropScratchNames {
    QString picture; // the picture written out before the crop
    QString cropped; // the cropped picture
};
CropScratchNames viewerCropScratch(); // "temppic2.bmp", "crop2.bmp"
CropScratchNames batchCropScratch();  // "temppic.bmp", "crop.bmp"

enum class CropOutcome {
    Cropped,
    BitmapLoadFailed, // a scratch bitmap could not be loaded; nothing written
    WriteFailed,      // the JPEG could not be written; the picture file is unchanged
};

struct CropResult {
    CropOutcome outcome = CropOutcome::BitmapLoadFailed;
    QImage cropped; // the captured rectangle, once the first bitmap loaded
};

using JpegFileWriter = std::function<bool(const cDIBSection &, const QString &)>;

// Cuts kCoverCropRect out of `picture` by way of the two scratch bitmaps and
// SharedDib(), and writes the result as a JPEG file over `targetPath`. The
// picture file is replaced only by a complete JPEG; on any failure it stays as
// it was. The caller reports the outcome; only the bitmap's own "Can't load BMP
// image" is shown here, through `box`.
CropResult cropCoverArt(const QImage &picture, const QString &targetPath,
                        const CropScratchNames &scratch, IMessageBox &box = messageBox(),
                        const JpegFileWriter &writer = &SaveJpeg);
