#pragma once

#include "base/foldertree.h"

#include <QSet>
#include <QString>

#include <vector>

// Whether the folder of a queue entry lacks its picture: no file under the
// name the Quick Save template gives that entry (a DVD has no album).
bool lacksCover(BatchType type, const QueueEntry &entry, const QString &templateName);

// The folder nodes of the queue entries that lack their picture: what a run
// limited to the missing pictures ticks.
QSet<int> missingCoverNodes(BatchType type, const std::vector<QueueEntry> &queue,
                            const QString &templateName);
