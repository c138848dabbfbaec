#include "batch/batchdownload.h"

#include "base/messagebox.h"
#include "batch/batchtexts.h"

using namespace BatchTexts;

BatchDownload downloadBatchHit(const BatchDownloadJob &job, const BatchDownloadIo &io)
{
    BatchDownload result;
    IMessageBox &box = io.box ? *io.box : messageBox();
    const auto status = [&io](const QString &text) {
        if (io.status)
            io.status(text);
    };
    const auto failed = [&](BatchHitError error) {
        result.outcome = CoverSaveOutcome::SaveFailed;
        result.error = error;
        box.show(QString::fromLatin1(kDownloadOtherFailure) + QString::number(int(error)),
                 QString::fromLatin1(kErrorTitle), MsgButtons::OkOnly, MsgIcon::Exclamation);
        status(QString::fromLatin1(kDownloadError));
        return result;
    };

    status(QString::fromLatin1(kDownloadingCoverArt));
    const HitRecord hitRecord = readHitRecord(job.hit);
    if (!hitRecord.ok())
        return failed(hitRecord.error);
    const BatchResultRecord &record = hitRecord.record;
    const bool dvd = job.type == BatchType::DVD;
    if (io.closeCompareWindows)
        io.closeCompareWindows();
    const CoverSaveJob save{record.url,
                            dvd ? record.album : record.artist,
                            dvd ? QString() : record.album,
                            job.templateName,
                            job.hit.folderPath,
                            job.appDir};
    const CoverSaveResult saved = saveCover(save, io.download, box, io.compareFirst);
    result.outcome = saved.outcome;
    switch (saved.outcome) {
    case CoverSaveOutcome::Saved:
    case CoverSaveOutcome::Replaced:
        break;
    case CoverSaveOutcome::KeptExisting:
        status(QString::fromLatin1(kOriginalNotReplaced));
        return result;
    case CoverSaveOutcome::DownloadFailed:
        status(QString::fromLatin1(kDownloadError));
        return result;
    case CoverSaveOutcome::EmptyPicture:
        box.show(QString::fromLatin1(kEmptyCoverArt), QString::fromLatin1(kEmptyCoverArtTitle),
                 MsgButtons::OkOnly, MsgIcon::Information);
        status(QString());
        return result;
    case CoverSaveOutcome::NoFolder:
    case CoverSaveOutcome::SaveFailed:
        return failed(BatchHitError::FileAccess);
    }
    result.savedPath = saved.target;
    status(QString::fromLatin1(kDownloadedAs) + saved.target);

    if (job.autoCrop) {
        result.autoCrop =
            autoCropSaved(saved.target, job.type, hitFromVantory(job.hit, record.url), &box);
        if (result.autoCrop == AutoCropOutcome::Failed)
            reportCropFailed(box, io.status);
    }
    return result;
}
