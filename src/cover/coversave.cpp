#include "cover/coversave.h"

#include "base/messagebox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace T = CoverTexts;

CoverSaveResult saveCover(const CoverSaveJob &job, const DownloadFunction &download,
                          IMessageBox &box, const CompareReplaceHook &compareFirst)
{
    CoverSaveResult result;
    if (job.folder.isEmpty() || !QFileInfo(job.folder).isDir()) {
        result.outcome = CoverSaveOutcome::NoFolder;
        return result;
    }
    result.target = CoverFile::target(job.templateName, job.artist, job.album, job.folder);

    const QDir appDir(job.appDir);
    const QString picture = appDir.filePath(job.picture);
    if (!job.address.isEmpty()) {
        switch (CoverFile::fetch(job.address, picture, download)) {
        case CoverFile::FetchResult::Ok:
            break;
        case CoverFile::FetchResult::Empty:
            result.outcome = CoverSaveOutcome::EmptyPicture;
            return result;
        case CoverFile::FetchResult::DownloadFailed:
        case CoverFile::FetchResult::NotAPicture:
            box.show(T::kDownloadFailed, T::kDownloadErrorTitle, MsgButtons::OkOnly,
                     MsgIcon::Exclamation);
            result.outcome = CoverSaveOutcome::DownloadFailed;
            return result;
        }
    }

    const auto replace = [&](const QString &existing) {
        if (box.show(T::kReplaceQuestion, T::kReplaceTitle, MsgButtons::YesNo, MsgIcon::Question) !=
            MsgAnswer::Yes)
            return true;
        const QString existingCopy = appDir.filePath(T::kCompare1File);
        QFile::remove(existingCopy);
        QFile::copy(existing, existingCopy);
        return compareFirst && !compareFirst(existingCopy, picture);
    };
    const CoverFile::PlaceResult placed =
        CoverFile::place(picture, result.target, job.policy, replace);
    switch (placed.outcome) {
    case CoverFile::PlaceOutcome::Saved:
        result.outcome = CoverSaveOutcome::Saved;
        break;
    case CoverFile::PlaceOutcome::Replaced:
        result.outcome = CoverSaveOutcome::Replaced;
        break;
    case CoverFile::PlaceOutcome::KeptExisting:
        result.outcome = CoverSaveOutcome::KeptExisting;
        break;
    case CoverFile::PlaceOutcome::Failed:
        result.outcome = CoverSaveOutcome::SaveFailed;
        result.error = placed.error;
        break;
    }
    return result;
}

void showSaveFailed(const CoverSaveResult &result, IMessageBox &box)
{
    box.show(T::kSaveFailed + result.target + QStringLiteral("\n\n") + result.error,
             T::kSaveFailedTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
}
