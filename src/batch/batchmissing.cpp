#include "batch/batchmissing.h"

#include "base/fileops.h"
#include "base/trimblanks.h"
#include "cover/coverfile.h"

QString batchPicturePath(BatchType type, const QueueEntry &entry, const QString &templateName)
{
    const QString album = type == BatchType::CD ? trimBlanks(entry.album) : QString();
    return CoverFile::target(templateName, trimBlanks(entry.artist), album, entry.directory);
}

std::vector<int> foldersWithoutPicture(BatchType type, const std::vector<QueueEntry> &queue,
                                       const QString &templateName)
{
    std::vector<int> missing;
    for (const QueueEntry &entry : queue) {
        // Whatever file has the name counts, as it does for a run that may
        // not replace it.
        if (!FileOps::isRegularFile(batchPicturePath(type, entry, templateName)))
            missing.push_back(entry.nodeIndex);
    }
    return missing;
}
