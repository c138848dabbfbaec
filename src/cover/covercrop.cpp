#include "cover/covercrop.h"

#include "cover/covertexts.h"
#include "cover/jpegwriter.h"

CropResult cropCoverArt(const QImage &picture, const QString &targetPath, IMessageBox &box)
{
    CropResult result;
    if (picture.isNull()) {
        box.show(CoverTexts::kCantLoadBmp, CoverTexts::kAppTitle, MsgButtons::OkOnly,
                 MsgIcon::None);
        return result;
    }
    // copy() fills what lies outside the picture with zeros, which in this
    // format is black.
    result.cropped = picture.convertToFormat(QImage::Format_RGB32).copy(kCoverCropRect);
    result.outcome =
        SaveJpeg(result.cropped, targetPath) ? CropOutcome::Cropped : CropOutcome::WriteFailed;
    return result;
}
