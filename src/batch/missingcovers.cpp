#include "batch/missingcovers.h"

#include "base/fileops.h"
#include "base/trimblanks.h"
#include "search/coverfile.h"

bool lacksCover(BatchType type, const QueueEntry &entry, const QString &templateName)
{
    const QString album = type == BatchType::CD ? entry.album : QString();
    // Trimmed as the run trims them when it names the picture it saves.
    const QString target = CoverFile::target(templateName, trimBlanks(entry.artist),
                                             trimBlanks(album), entry.directory);
    return !FileOps::isRegularFile(target);
}

QSet<int> missingCoverNodes(BatchType type, const std::vector<QueueEntry> &queue,
                            const QString &templateName)
{
    QSet<int> nodes;
    for (const QueueEntry &entry : queue) {
        if (lacksCover(type, entry, templateName))
            nodes.insert(entry.nodeIndex);
    }
    return nodes;
}
