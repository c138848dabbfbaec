#pragma once

#include "base/trimblanks.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>
#include <vector>

// One hit of a batch run as "batch.rlt" holds it: three space-padded
// Windows-1252 fields of fixed width, 355 bytes in all.
struct BatchResultRecord {
    QString artist;
    QString album;
    QString url;
};

inline constexpr int kRecordSize = 355;
inline constexpr int kRecordArtistSize = 50;
inline constexpr int kRecordAlbumSize = 50;
inline constexpr int kRecordUrlSize = 255;

// The 355 record bytes: each field left-aligned, padded with blanks or cut.
QByteArray encodeBatchRecord(const BatchResultRecord &record);
// Reads a record back with the padding trimmed. Fewer than 355 bytes (the
// torn last record of a damaged file) read as if the rest were blanks.
BatchResultRecord decodeBatchRecord(QByteArrayView bytes);

// Records in a file of this length: the nearest whole number, so a torn last
// record counts when at least half of it is there.
qint64 batchRecordCount(qint64 fileLength);

// Reads record number (from 1) of a results file; empty when the file cannot
// be read or has no such record.
std::optional<BatchResultRecord> readBatchRecord(const QString &path, qint64 number);
// Every record of a results file (at most maxRecords); empty when it cannot
// be read.
std::vector<BatchResultRecord> readBatchRecords(const QString &path, qint64 maxRecords = 100'000);

// The writer a batch run keeps open for one queue entry.
class BatchResultsFile
{
public:
    // Replaces any results file at path with an empty one, open for writing.
    bool create(const QString &path);
    // Writes a whole record at its number (from 1).
    bool writeRecord(qint64 number, const BatchResultRecord &record);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }

private:
    QFile m_file;
};

// Hit node keys: the record number with at least four digits, the folder,
// the site tag, then artist and album. Texts: artist, a blank, album.
QString hitNodeKey(qint64 number, const QString &folder, const char *siteTag, const QString &artist,
                   const QString &album);
QString hitNodeText(const QString &artist, const QString &album);
// The record number a hit node's key starts with. The digits end where the
// folder's key begins, so numbers past 9999 read back whole; 0 when the key
// starts with no number.
qint64 hitRecordNumber(const QString &nodeKey, const QString &folderKey = {});
