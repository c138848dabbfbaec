#include "batch/batchcrop.h"

#include "base/messagebox.h"
#include "batch/batchtexts.h"
#include "cover/covercrop.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"

namespace
{

constexpr QSize kVantoryDvdSize(500, 500);

class QuietMessageBox final : public IMessageBox
{
public:
    MsgAnswer show(const QString &, const QString &, MsgButtons, MsgIcon) override
    {
        return MsgAnswer::Ok;
    }
};

} // namespace

bool autoCropDue(BatchType type, bool fromVantory, const QSize &pictureSize)
{
    return type == BatchType::DVD && fromVantory && pictureSize == kVantoryDvdSize;
}

AutoCropOutcome autoCropSaved(const QString &path, BatchType type, bool fromVantory,
                              IMessageBox *box)
{
    if (type != BatchType::DVD || !fromVantory)
        return AutoCropOutcome::NotDue;
    if (!autoCropDue(type, fromVantory, CoverFile::pictureSize(path)))
        return AutoCropOutcome::NotDue;
    QuietMessageBox quiet;
    const CropResult result = cropCoverArt(CoverFile::readPicture(path), path, box ? *box : quiet);
    return result.outcome == CropOutcome::Cropped ? AutoCropOutcome::Cropped
                                                  : AutoCropOutcome::Failed;
}

QImage cropSavedPicture(const QImage &picture, const QString &path, IMessageBox &box,
                        const std::function<void(const QString &)> &status)
{
    const auto show = [&status](const QString &text) {
        if (status)
            status(text);
    };
    show(QString::fromLatin1(BatchTexts::kCropping) + path);
    const CropResult result = cropCoverArt(picture, path, box);
    if (result.outcome == CropOutcome::Cropped)
        show(path + QString::fromLatin1(BatchTexts::kCropComplete));
    else
        reportCropFailed(box, status);
    return result.cropped;
}

void reportCropFailed(IMessageBox &box, const std::function<void(const QString &)> &status)
{
    box.show(QString::fromLatin1(BatchTexts::kCropFailed), CoverTexts::kCropErrorTitle,
             MsgButtons::OkOnly, MsgIcon::Information);
    if (status)
        status(QString::fromLatin1(BatchTexts::kCropFailedStatus));
}
