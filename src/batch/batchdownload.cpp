#include "batch/batchdownload.h"

#include "base/messagebox.h"
#include "batch/batchtexts.h"
#include "cover/imagingtexts.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"

#include <QDir>
#include <QFile>

using namespace BatchTexts;
namespace Q = QuickSaveTexts;

BatchDownload downloadBatchHit(const BatchDownloadJob &job, const BatchDownloadIo &io)
{
    BatchDownload result;
    IMessageBox &box = io.box ? *io.box : messageBox();
    const auto status = [&io](const QString &text) {
        if (io.status)
            io.status(text);
    };
    const auto failed = [&](BatchHitError error) {
        result.outcome = BatchDownloadOutcome::Failed;
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
    const QString target = CoverFile::target(job.templateName, dvd ? record.album : record.artist,
                                             dvd ? QString() : record.album, job.hit.folderPath);

    if (io.closeCompareWindows)
        io.closeCompareWindows();
    const QString scratch = QDir(job.appDir).filePath(Q::compare2File);
    switch (CoverFile::fetch(record.url, scratch, io.download)) {
    case CoverFile::FetchResult::Ok:
        break;
    case CoverFile::FetchResult::Empty:
        box.show(QString::fromLatin1(kEmptyCoverArt), QString::fromLatin1(kEmptyCoverArtTitle),
                 MsgButtons::OkOnly, MsgIcon::Information);
        status(QString());
        result.outcome = BatchDownloadOutcome::EmptyPicture;
        return result;
    case CoverFile::FetchResult::DownloadFailed:
    case CoverFile::FetchResult::NotAPicture:
        box.show(Q::downloadFailed, Q::downloadErrorTitle, MsgButtons::OkOnly,
                 MsgIcon::Exclamation);
        status(QString::fromLatin1(kDownloadError));
        result.outcome = BatchDownloadOutcome::DownloadFailed;
        return result;
    }

    const auto replace = [&](const QString &existing) {
        if (box.show(Q::replaceQuestion, Q::replaceTitle, MsgButtons::YesNo, MsgIcon::Question) !=
            MsgAnswer::Yes)
            return true;
        const QString existingCopy = QDir(job.appDir).filePath(Q::compare1File);
        QFile::remove(existingCopy);
        QFile::copy(existing, existingCopy);
        return io.compareFirst && !io.compareFirst(existingCopy, scratch);
    };
    const CoverFile::PlaceResult placed =
        CoverFile::place(scratch, target, CoverFile::ReplacePolicy::Ask, replace);
    switch (placed.outcome) {
    case CoverFile::PlaceOutcome::KeptExisting:
        result.outcome = BatchDownloadOutcome::KeptExisting;
        status(QString::fromLatin1(kOriginalNotReplaced));
        return result;
    case CoverFile::PlaceOutcome::Failed:
        return failed(BatchHitError::FileAccess);
    case CoverFile::PlaceOutcome::Saved:
    case CoverFile::PlaceOutcome::Replaced:
        break;
    }
    result.outcome = placed.outcome == CoverFile::PlaceOutcome::Saved
                         ? BatchDownloadOutcome::Saved
                         : BatchDownloadOutcome::Replaced;
    result.savedPath = target;
    status(QString::fromLatin1(kDownloadedAs) + target);

    if (job.autoCrop) {
        result.autoCrop =
            autoCropSaved(target, job.type, hitFromVantory(job.hit, record.url), &box);
        if (result.autoCrop == AutoCropOutcome::Failed) {
            box.show(ImagingTexts::kBatchCropFailed, ImagingTexts::kCropErrorTitle,
                     MsgButtons::OkOnly, MsgIcon::Information);
            status(ImagingTexts::kBatchCropFailedStatus);
        }
    }
    return result;
}
