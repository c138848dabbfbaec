#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, one byte per character: the encoding of ID3v1 fields and of
// "batch.rlt" records. Characters it cannot hold become "?"; the five bytes it
// leaves undefined decode to the C1 control of the same value.
QString fromCp1252(QByteArrayView bytes);
QByteArray toCp1252(QStringView text);
