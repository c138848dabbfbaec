#pragma once

// What every fuzz target shares. A target is one function, built two ways:
// with libFuzzer, which calls it with generated inputs, and as a replay test
// (replaymain.cpp), which calls it once with each saved input.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A property the input broke: said on stderr, then a crash, which both the
// fuzzer and the replay test report with the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace Fuzz
{

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A path in a folder of this process's own, removed when it ends.
inline QString scratchPath(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

// A file holding the input, for readers that take a path.
inline QString inputFile(const uint8_t *data, size_t size, const char *name)
{
    const QString path = scratchPath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    return path;
}

} // namespace Fuzz
