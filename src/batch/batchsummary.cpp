#include "batch/batchsummary.h"

#include "batch/batchtexts.h"

using namespace BatchTexts;

QString batchEntryStatusText(BatchEntryStatus status)
{
    switch (status) {
    case BatchEntryStatus::Saved:
        return QString::fromLatin1(kLogSaved);
    case BatchEntryStatus::Replaced:
        return QString::fromLatin1(kLogReplaced);
    case BatchEntryStatus::Kept:
        return QString::fromLatin1(kLogKept);
    case BatchEntryStatus::NoMatch:
        return QString::fromLatin1(kLogNoMatch);
    case BatchEntryStatus::NoHits:
        return QString::fromLatin1(kLogNoHits);
    case BatchEntryStatus::Failed:
        return QString::fromLatin1(kLogFailed);
    case BatchEntryStatus::Cancelled:
        break;
    }
    return QString::fromLatin1(kLogCancelled);
}

BatchEntryStatus BatchEntryNotes::status() const
{
    // Without its results file the entry's hits are lost, whatever was saved.
    if (folderFailed)
        return BatchEntryStatus::Failed;
    if (!savedFile.isEmpty())
        return replaced ? BatchEntryStatus::Replaced : BatchEntryStatus::Saved;
    if (!kept.isEmpty())
        return BatchEntryStatus::Kept;
    if (interrupted)
        return BatchEntryStatus::Cancelled;
    if (!failure.isEmpty())
        return BatchEntryStatus::Failed;
    return hits > 0 ? BatchEntryStatus::NoMatch : BatchEntryStatus::NoHits;
}

BatchEntryResult BatchEntryNotes::result(const QString &folder) const
{
    BatchEntryResult r{folder, status(), hits, {}, {}};
    switch (r.status) {
    case BatchEntryStatus::Saved:
    case BatchEntryStatus::Replaced:
        r.detail = savedFile;
        break;
    case BatchEntryStatus::Kept:
        r.detail = kept;
        break;
    case BatchEntryStatus::Failed:
        r.reason = failure;
        r.detail =
            failureDetail.isEmpty() ? failure : failure + QLatin1String(": ") + failureDetail;
        break;
    case BatchEntryStatus::NoMatch:
        r.detail = noPicture.isEmpty() ? QString::fromLatin1(kWhyNoMatch) : noPicture;
        break;
    case BatchEntryStatus::NoHits:
        r.detail = QString::fromLatin1(kWhyNoHits);
        break;
    case BatchEntryStatus::Cancelled:
        r.detail = QString::fromLatin1(kWhyCancelled);
        break;
    }
    return r;
}

void BatchSummary::add(BatchEntryStatus status)
{
    switch (status) {
    case BatchEntryStatus::Saved:
        ++saved;
        break;
    case BatchEntryStatus::Replaced:
        ++replaced;
        break;
    case BatchEntryStatus::Kept:
        ++kept;
        break;
    case BatchEntryStatus::NoMatch:
        ++noMatch;
        break;
    case BatchEntryStatus::NoHits:
        ++noHits;
        break;
    case BatchEntryStatus::Failed:
        ++failed;
        break;
    case BatchEntryStatus::Cancelled:
        break;
    }
}

QString BatchSummary::text() const
{
    return QString::fromLatin1(kSummary)
        .arg(saved)
        .arg(replaced)
        .arg(kept)
        .arg(noMatch)
        .arg(noHits)
        .arg(failed);
}
