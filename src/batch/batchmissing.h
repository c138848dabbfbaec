#pragma once

#include "base/foldertree.h"

#include <QString>

#include <vector>

// Where a run saves an entry's picture: the template's name in the entry's
// folder, made from its artist and album (a DVD: its title, no album).
QString batchPicturePath(BatchType type, const QueueEntry &entry, const QString &templateName);

// The node indexes of the queued folders that hold no picture under that
// name, in queue order.
std::vector<int> foldersWithoutPicture(BatchType type, const std::vector<QueueEntry> &queue,
                                       const QString &templateName);
