#pragma once

#include "viewer/artshelfscan.h"

#include <QImage>

// The viewer's node images (folder with a note, plain folder, folder with a
// film strip, disc), drawn at any square size.
QImage shelfImage(ShelfImage which, int size = 16);
