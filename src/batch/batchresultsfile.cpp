#include "batch/batchresultsfile.h"

#include "base/cp1252.h"
#include "base/fileops.h"

#include <QFileInfo>

namespace
{

void putField(QByteArray &record, int offset, int size, const QString &text)
{
    const QByteArray bytes = toCp1252(text).left(size);
    record.replace(offset, bytes.size(), bytes);
}

QString fieldAt(QByteArrayView record, int offset, int size)
{
    return trimBlanks(fromCp1252(record.sliced(offset, size)));
}

} // namespace

QByteArray encodeBatchRecord(const BatchResultRecord &record)
{
    QByteArray bytes(kRecordSize, ' ');
    putField(bytes, 0, kRecordArtistSize, record.artist);
    putField(bytes, kRecordArtistSize, kRecordAlbumSize, record.album);
    putField(bytes, kRecordArtistSize + kRecordAlbumSize, kRecordUrlSize, record.url);
    return bytes;
}

BatchResultRecord decodeBatchRecord(QByteArrayView bytes)
{
    QByteArray whole;
    if (bytes.size() < kRecordSize) {
        whole = bytes.toByteArray();
        whole.append(QByteArray(kRecordSize - whole.size(), ' '));
        bytes = whole;
    }
    return {fieldAt(bytes, 0, kRecordArtistSize),
            fieldAt(bytes, kRecordArtistSize, kRecordAlbumSize),
            fieldAt(bytes, kRecordArtistSize + kRecordAlbumSize, kRecordUrlSize)};
}

qint64 batchRecordCount(qint64 fileLength)
{
    if (fileLength <= 0)
        return 0;
    // Never exactly half-way: 355 is odd, so this is plain rounding.
    return (fileLength + kRecordSize / 2) / kRecordSize;
}

std::optional<BatchResultRecord> readBatchRecord(const QString &path, qint64 number)
{
    QFile file(path);
    if (number < 1 || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (number > batchRecordCount(file.size()) || !file.seek((number - 1) * kRecordSize))
        return std::nullopt;
    const QByteArray bytes = file.read(kRecordSize);
    if (bytes.isEmpty())
        return std::nullopt;
    return decodeBatchRecord(bytes);
}

std::vector<BatchResultRecord> readBatchRecords(const QString &path, qint64 maxRecords)
{
    std::vector<BatchResultRecord> records;
    QFile file(path);
    // A pipe or a device in place of the file would block the reader.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return records;
    const qint64 count = std::min(batchRecordCount(file.size()), maxRecords);
    const QByteArray bytes = file.read(count * kRecordSize);
    records.reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 offset = i * kRecordSize;
        if (offset >= bytes.size())
            break; // the file shrank while we read it
        records.push_back(decodeBatchRecord(QByteArrayView(bytes).sliced(
            offset, std::min<qint64>(kRecordSize, bytes.size() - offset))));
    }
    return records;
}

bool BatchResultsFile::create(const QString &path)
{
    close();
    m_file.setFileName(path);
    const QFileInfo old(path);
    if (old.isSymLink()) {
        // Only the link goes: what it points at is not this folder's results
        // file, and opening through it would write (or create) it elsewhere.
        QFile::remove(path);
        if (QFileInfo(path).isSymLink())
            return false;
    } else if (old.exists()) {
        // A read-only file is still replaced, as a new run of the folder must.
        FileOps::makeNormal(path);
        QFile::remove(path);
    }
    return m_file.open(QIODevice::ReadWrite | QIODevice::Truncate);
}

bool BatchResultsFile::writeRecord(qint64 number, const BatchResultRecord &record)
{
    if (!m_file.isOpen() || number < 1 || !m_file.seek((number - 1) * kRecordSize))
        return false;
    return m_file.write(encodeBatchRecord(record)) == kRecordSize && m_file.flush();
}

void BatchResultsFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

QString hitNodeKey(qint64 number, const QString &folder, const char *siteTag, const QString &artist,
                   const QString &album)
{
    return QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0')) + folder +
           QLatin1String(siteTag) + trimBlanks(artist) + trimBlanks(album);
}

QString hitNodeText(const QString &artist, const QString &album)
{
    return trimBlanks(artist) + QLatin1Char(' ') + trimBlanks(album);
}

qint64 hitRecordNumber(const QString &nodeKey, const QString &folderKey)
{
    qsizetype digits = 0;
    if (!folderKey.isEmpty()) {
        const qsizetype at = nodeKey.indexOf(folderKey, 4);
        if (at >= 4) {
            digits = at;
            for (qsizetype i = 0; i < at; ++i) {
                if (nodeKey.at(i) < QLatin1Char('0') || nodeKey.at(i) > QLatin1Char('9')) {
                    digits = 0;
                    break;
                }
            }
        }
    }
    if (digits == 0) {
        while (digits < nodeKey.size() && nodeKey.at(digits) >= QLatin1Char('0') &&
               nodeKey.at(digits) <= QLatin1Char('9'))
            ++digits;
    }
    bool ok = false;
    const qint64 number = nodeKey.left(digits).toLongLong(&ok);
    return ok ? number : 0;
}
