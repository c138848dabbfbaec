#include "cover/picturecompare.h"

#include "base/messagebox.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"

#include <QDir>
#include <QFile>

namespace T = CoverTexts;

TwoHitSetup prepareTwoHitCompare(const QList<bool> &ticks, int hitCount, const HitLookup &hit,
                                 const DownloadFunction &download, IMessageBox &box,
                                 const QString &appDir,
                                 const std::function<void()> &beforeDownloads)
{
    TwoHitSetup setup;
    QList<int> ticked;
    for (int i = 1; i <= hitCount && i <= ticks.size(); ++i) {
        if (ticks[i - 1])
            ticked.append(i);
    }
    if (ticked.size() > 2) {
        box.show(T::kTooManyTicked, T::kErrorTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        return setup;
    }
    if (ticked.size() < 2) {
        box.show(T::kTooFewTicked, T::kErrorTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        return setup;
    }

    const QDir dir(appDir);
    QFile::remove(dir.filePath(T::kCompare1File));
    QFile::remove(dir.filePath(T::kCompare2File));
    if (beforeDownloads)
        beforeDownloads();

    int k = 1;
    for (const int i : ticked) {
        const std::optional<ComparedHit> entry = hit ? hit(i) : std::nullopt;
        const QString file = dir.filePath(k == 1 ? T::kCompare1File : T::kCompare2File);
        // Whether the picture is there is what counts, not the service's answer.
        const DownloadFunction fileCounts = [&download](const QString &url, const QString &path) {
            download ? download(url, path) : URLDownloadToFile(url, path);
            return 0;
        };
        if (!entry ||
            CoverFile::fetch(entry->address, file, fileCounts) != CoverFile::FetchResult::Ok) {
            box.show(T::kCompareDownloadFailed + QString::number(k), T::kCompareErrorTitle,
                     MsgButtons::OkOnly, MsgIcon::None);
            return setup;
        }
        setup.hits[static_cast<std::size_t>(k - 1)] = *entry;
        ++k;
    }
    setup.ready = true;
    return setup;
}

CoverSaveResult saveComparedPicture(int index, const ComparedHit &hit, const QString &templateName,
                                    const QString &folder, const QString &appDir, IMessageBox &box)
{
    CoverSaveJob job{{}, hit.artist, hit.album, templateName, folder, appDir};
    job.picture = index == 0 ? T::kCompare1File : T::kCompare2File;
    job.policy = CoverFile::ReplacePolicy::Always;
    const CoverSaveResult result = saveCover(job, {}, box);
    if (result.outcome == CoverSaveOutcome::NoFolder)
        box.show(T::kNoTargetFolder, T::kSaveFailedTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
    else if (result.outcome == CoverSaveOutcome::SaveFailed)
        showSaveFailed(result, box);
    return result;
}
