#pragma once

#include "base/foldertree.h"

#include <QImage>

// The six node images of imgView (folder with a note, plain folder, folder
// with a film strip, disc, green dot, red dot), drawn at any square size.
QImage nodeImage(NodeImage which, int size = 16);
