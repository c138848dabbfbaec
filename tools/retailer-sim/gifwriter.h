#pragma once

#include <QByteArray>

class QImage;

// Encodes a picture as a GIF87a file. Qt reads GIF but cannot write it, and
// the retailers' thumbnails are GIFs, so the simulator carries this small
// writer: colours are reduced to a 5x5x5 cube and the LZW stream is written
// without compression (a clear code before the table would need 9 bits),
// which every decoder reads and which is fine for 100x100 thumbnails.
QByteArray encodeGif(const QImage &image);
