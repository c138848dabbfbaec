#include "batch/batchsummary.h"

#include "batch/batchtexts.h"

using namespace BatchTexts;

QString batchEntryStatusText(BatchEntryStatus status)
{
    return QString::fromLatin1(kLogStatus.at(static_cast<std::size_t>(status)));
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
    if (status != BatchEntryStatus::Cancelled)
        ++counts.at(static_cast<std::size_t>(status));
}

QString BatchSummary::text() const
{
    QString text = QString::fromLatin1(kSummary);
    for (const int count : counts)
        text = text.arg(count);
    return text;
}
