#pragma once

#include "base/foldertree.h"

#include <QIcon>
#include <QImage>

// The six node images of imgView (folder with a note, plain folder, folder
// with a film strip, disc, green dot, red dot), drawn at any square size.
QImage nodeImage(NodeImage which, int size = 16);

// The image as an icon for a tree node, drawn once per program run and shared
// by every tree that shows node images.
const QIcon &nodeIcon(NodeImage which);
