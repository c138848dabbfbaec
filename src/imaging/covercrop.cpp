#include "imaging/covercrop.h"

#include "base/appfolder.h"
#include "imaging/bmpfile.h"
#include "imaging/imagingtexts.h"

#include <QFile>

cDIBSection &SharedDib()
{
    static cDIBSection dib;
    return dib;
}

bool LoadBitmapFile(const QString &path, IMessageBox &box)
{
    return SharedDib().Load(path, box);
}

QImage CapturePicture(const QImage *sourceDC, int left, int top, int width, int height)
{
    if (!sourceDC || sourceDC->isNull() || width <= 0 || height <= 0)
        return {};
    // copy() fills whatever lies outside the source with zeros: black.
    return BitmapToPicture(sourceDC->copy(left, top, width, height));
}

QImage BitmapToPicture(QImage bitmap, const QList<QRgb> &palette)
{
    if (!palette.isEmpty() && bitmap.format() == QImage::Format_Indexed8)
        bitmap.setColorTable(palette);
    return bitmap;
}

CropScratchNames viewerCropScratch()
{
    return {ImagingTexts::kViewerPictureScratch, ImagingTexts::kViewerCropScratch};
}

CropScratchNames batchCropScratch()
{
    return {ImagingTexts::kBatchPictureScratch, ImagingTexts::kBatchCropScratch};
}

CropResult cropCoverArt(const QImage &picture, const QString &targetPath,
                        const CropScratchNames &scratch, IMessageBox &box,
                        const JpegFileWriter &writer)
{
    CropResult result;

    // A picture that cannot be written out fails at the load that follows,
    // which is where the user hears about it.
    const QString pictureScratch = appFile(scratch.picture);
    QFile::remove(pictureScratch);
    writeBmpFile(picture, pictureScratch);
    const bool pictureLoaded = LoadBitmapFile(pictureScratch, box);
    QFile::remove(pictureScratch);
    if (!pictureLoaded)
        return result;

    const QString cropScratch = appFile(scratch.cropped);
    QFile::remove(cropScratch);
    result.cropped = CapturePicture(SharedDib().hDC(), kCoverCropRect.left(), kCoverCropRect.top(),
                                    kCoverCropRect.width(), kCoverCropRect.height());
    writeBmpFile(result.cropped, cropScratch);
    const bool croppedLoaded = LoadBitmapFile(cropScratch, box);
    QFile::remove(cropScratch);
    if (!croppedLoaded)
        return result;

    result.outcome =
        writer(SharedDib(), targetPath) ? CropOutcome::Cropped : CropOutcome::WriteFailed;
    return result;
}
