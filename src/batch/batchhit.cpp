#include "batch/batchhit.h"

#include "base/folderwalk.h"
#include "batch/batchtexts.h"

#include <QFile>
#include <QFileInfo>

using namespace BatchTexts;

QString BatchHit::resultsFile() const
{
    return childPath(folderPath, QLatin1String(kResultsFileName));
}

qint64 BatchHit::recordNumber() const
{
    return hitRecordNumber(nodeKey, folderKey);
}

bool BatchHit::foundOnVantory() const
{
    const qsizetype at = folderKey.isEmpty() ? -1 : nodeKey.indexOf(folderKey);
    return at > 0 && QStringView(nodeKey)
                         .sliced(at + folderKey.size())
                         .startsWith(QLatin1String(kSiteTagVantory));
}

HitRecord readHitRecord(const BatchHit &hit)
{
    HitRecord result;
    const qint64 number = hit.recordNumber();
    if (number < 1) {
        result.error = BatchHitError::BadRecordNumber;
        return result;
    }
    const QString path = hit.resultsFile();
    // A folder or a pipe in the file's place is no results file.
    if (!QFileInfo(path).isFile()) {
        result.error = BatchHitError::ResultsFileMissing;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = BatchHitError::FileAccess;
        return result;
    }
    if (number > batchRecordCount(file.size())) {
        result.error = BatchHitError::PastEndOfFile;
        return result;
    }
    QByteArray bytes;
    if (file.seek((number - 1) * kRecordSize))
        bytes = file.read(kRecordSize);
    if (bytes.isEmpty()) {
        result.error = BatchHitError::FileAccess;
        return result;
    }
    result.record = decodeBatchRecord(bytes);
    return result;
}

PictureSite pictureSite(const QString &url)
{
    const QString upper = url.toUpper();
    if (upper.contains(QLatin1String("VANTORY")))
        return PictureSite::Vantory;
    if (upper.contains(QLatin1String("BRINSELL")))
        return PictureSite::Brinsell;
    return PictureSite::Unknown;
}

QString pictureSiteText(PictureSite site)
{
    switch (site) {
    case PictureSite::Vantory:
        return QString::fromLatin1(kPreviewSiteVantory);
    case PictureSite::Brinsell:
        return QString::fromLatin1(kPreviewSiteBrinsell);
    case PictureSite::Unknown:
        break;
    }
    return QString::fromLatin1(kPreviewSiteUnknown);
}

bool hitFromVantory(const BatchHit &hit, const QString &url)
{
    return pictureSite(url) == PictureSite::Vantory || hit.foundOnVantory();
}
