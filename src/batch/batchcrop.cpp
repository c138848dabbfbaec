#include "batch/batchcrop.h"

#include "base/messagebox.h"
#include "imaging/covercrop.h"
#include "imaging/imagingtexts.h"

#include <QImageReader>

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

QImage readPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

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
    const QImage picture = readPicture(path);
    if (!autoCropDue(type, fromVantory, picture.size()))
        return AutoCropOutcome::NotDue;
    QuietMessageBox quiet;
    const CropResult result = cropCoverArt(picture, path, batchCropScratch(), box ? *box : quiet);
    return result.outcome == CropOutcome::Cropped ? AutoCropOutcome::Cropped
                                                  : AutoCropOutcome::Failed;
}

QImage cropSavedPicture(const QString &path, IMessageBox &box,
                        const std::function<void(const QString &)> &status)
{
    namespace T = ImagingTexts;
    const auto show = [&status](const QString &text) {
        if (status)
            status(text);
    };
    show(T::kBatchCroppingStatus + path);
    const CropResult result = cropCoverArt(readPicture(path), path, batchCropScratch(), box);
    if (result.outcome == CropOutcome::Cropped) {
        show(path + T::kBatchCropDoneSuffix);
    } else {
        box.show(T::kBatchCropFailed, T::kCropErrorTitle, MsgButtons::OkOnly, MsgIcon::Information);
        show(T::kBatchCropFailedStatus);
    }
    return result.cropped;
}
