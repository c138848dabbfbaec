#include "batch/batchpreview.h"

#include "base/fileops.h"
#include "base/messagebox.h"
#include "batch/batchtexts.h"
#include "cover/coverfile.h"
#include "cover/picturefacts.h"

#include <QFile>

using namespace BatchTexts;

BatchPreview previewBatchHit(const BatchHit &hit, const BatchPreviewIo &io)
{
    IMessageBox &box = io.box ? *io.box : messageBox();
    const auto status = [&io](const char *text) {
        if (io.status)
            io.status(QString::fromLatin1(text));
    };
    const auto fail = [&](const QString &message) {
        status(kPreviewFailed);
        box.show(message, QString::fromLatin1(kErrorTitle), MsgButtons::OkOnly,
                 MsgIcon::Exclamation);
        return BatchPreview{};
    };

    status(kPreparingPreview);
    if (io.yield)
        io.yield();
    const HitRecord hitRecord = readHitRecord(hit);
    if (!hitRecord.ok())
        return fail(QString::fromLatin1(kPreviewOtherFailure) +
                    QString::number(int(hitRecord.error)));

    const QString url = hitRecord.record.url;
    QFile::remove(io.previewFile);
    const int result =
        io.download ? io.download(url, io.previewFile) : URLDownloadToFile(url, io.previewFile);
    if (result != 0 || !FileOps::isRegularFile(io.previewFile)) {
        QFile::remove(io.previewFile);
        return fail(QString::fromLatin1(kPreviewDownloadFailed));
    }
    BatchPreview preview;
    const QImage picture =
        CoverFile::check(io.previewFile, &preview.size) == CoverFile::PictureCheck::Unreadable
            ? QImage()
            : CoverFile::readPicture(io.previewFile, io.fit);
    // The download worked; what came is no picture, or not a whole one.
    if (picture.isNull()) {
        QFile::remove(io.previewFile);
        status(kPreviewFailed);
        return BatchPreview{};
    }

    preview.shown = true;
    preview.picture = picture;
    preview.sizeText = fileSizeText(io.previewFile);
    preview.resolution = resolutionText(preview.size);
    preview.site = pictureSiteText(pictureSite(url));
    status(kPreviewComplete);
    return preview;
}
