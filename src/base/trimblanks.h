#pragma once

#include <QString>

// Removes leading and trailing blanks, and only blanks: the padding of the
// batch results file's fields and the blanks around a cover file's name,
// where tabs and other white space are kept.
QString trimBlanks(const QString &text);
