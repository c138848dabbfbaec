#include "batch/batchjournal.h"

#include "base/appfolder.h"
#include "base/fileops.h"
#include "batch/batchtexts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace
{

const QLatin1String kHeader("Jacketeer batch journal 1");
const QLatin1String kJournalName("journal.txt");

struct Fingerprint {
    qint64 size = -1;
    QByteArray hash; // hex
    bool operator==(const Fingerprint &) const = default;
};

Fingerprint fingerprint(const QString &path)
{
    QFile file(path);
    if (!FileOps::isRegularFile(path) || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    if (!hash.addData(&file))
        return {};
    return {file.size(), hash.result().toHex()};
}

// Only what would break a line apart is escaped; "%" first, so the escapes
// read back unambiguously.
QString escaped(QString text)
{
    text.replace(QLatin1Char('%'), QLatin1String("%25"));
    text.replace(QLatin1Char('\t'), QLatin1String("%09"));
    text.replace(QLatin1Char('\r'), QLatin1String("%0D"));
    text.replace(QLatin1Char('\n'), QLatin1String("%0A"));
    return text;
}

QString unescaped(const QByteArray &field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

// The file's own permission bits; the "user" ones only say what this
// process may do with it.
QFileDevice::Permissions ownPermissions(const QString &path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// A new name in a folder on disk for good, so a link made there is not lost
// with the folder's cached entries.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The old picture into the backup: a second name for the same file where the
// file system allows it, a complete copy otherwise.
bool backUp(const QString &target, const QString &backup, QString *why)
{
    QFile::remove(backup);
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) == 0) {
        syncFolder(QFileInfo(backup).absolutePath());
        return true;
    }
    return FileOps::replaceWithCopy(backup, target, why);
}

// The backup back over the run's picture: renamed when it can be, so the
// folder never lacks a picture; copied from another file system.
bool restore(const QString &backup, const QString &target, QString *why)
{
    FileOps::makeNormal(target);
    if (::rename(QFile::encodeName(backup).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    if (errno != EXDEV) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!FileOps::replaceWithCopy(target, backup, why))
        return false;
    QFile::remove(backup);
    return true;
}

} // namespace

struct BatchJournal::Record {
    int seq = 0;
    bool replace = false;
    QString target;
    QString backup; // file name in the backup folder
    Fingerprint written;
    QFileDevice::Permissions permissions;
    bool done = false;
    bool abandoned = false;
};

QString BatchJournal::report(const UndoResult &result, const QString &backupFolder)
{
    using namespace BatchTexts;
    constexpr int kMaxListed = 20;
    const auto listed = [](const QStringList &paths) {
        QStringList lines = paths.mid(0, kMaxListed);
        if (paths.size() > kMaxListed)
            lines << QString::fromUtf8(kUndoMore).arg(paths.size() - kMaxListed);
        return lines.join(QLatin1Char('\n'));
    };
    QString text = QString::fromUtf8(kUndoDone).arg(result.restored).arg(result.removed);
    if (!result.leftAlone.isEmpty())
        text += QString::fromUtf8(kUndoLeftAlone).arg(listed(result.leftAlone));
    if (result.backupsKept)
        text += QString::fromUtf8(kUndoBackups).arg(backupFolder);
    if (!result.failed.isEmpty())
        text += QString::fromUtf8(kUndoFailed).arg(listed(result.failed));
    return text;
}

BatchJournal::BatchJournal(const QString &folder)
    : m_folder(folder.isEmpty() ? appFile(QStringLiteral("batch-undo")) : folder)
{
}

QString BatchJournal::backupFolder() const
{
    return m_folder + QStringLiteral("/backup");
}

bool BatchJournal::startRun()
{
    m_file.close();
    m_seq = 0;
    QDir(m_folder).removeRecursively();
    m_file.setFileName(m_folder + QLatin1Char('/') + kJournalName);
    if (!QDir().mkpath(backupFolder()) ||
        !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString());
        m_file.close();
        return false;
    }
    return append(kHeader);
}

bool BatchJournal::append(const QString &line, bool durable)
{
    const QByteArray bytes = (line + QLatin1String("\r\n")).toUtf8();
    if (!m_file.isOpen() || m_file.write(bytes) != bytes.size() || !m_file.flush() ||
        (durable && ::fsync(m_file.handle()) != 0)) {
        m_error = QStringLiteral("undo journal not written: %1")
                      .arg(m_file.isOpen() ? m_file.errorString() : QStringLiteral("not started"));
        return false;
    }
    return true;
}

CoverFile::PlaceResult BatchJournal::place(const QString &picture, const QString &target,
                                           CoverFile::ReplacePolicy policy)
{
    const bool existed = FileOps::isRegularFile(target);
    if (existed && policy == CoverFile::ReplacePolicy::Never)
        return CoverFile::place(picture, target, policy);
    CoverFile::PlaceResult failed;
    const Fingerprint written = fingerprint(picture);
    if (written.size < 0) {
        failed.error = QStringLiteral("%1 cannot be read").arg(picture);
        return failed;
    }
    const int seq = ++m_seq;
    const QString backupName =
        existed ? QStringLiteral("%1.jpg").arg(seq, 6, 10, QLatin1Char('0')) : QString();
    const QString backup = backupFolder() + QLatin1Char('/') + backupName;
    const QStringList fields{QStringLiteral("intend"),
                             QString::number(seq),
                             existed ? QStringLiteral("replace") : QStringLiteral("new"),
                             escaped(target),
                             backupName,
                             QString::number(written.size),
                             QString::fromLatin1(written.hash),
                             QString::number(int(ownPermissions(target)), 16)};
    // Flushed, the line outlives the program; the line of a replacement also
    // outlives the system, since the old picture then lives in the backup.
    if (!append(fields.join(QLatin1Char('\t')), existed)) {
        failed.error = m_error;
        return failed;
    }
    if (existed && !backUp(target, backup, &failed.error)) {
        append(QStringLiteral("abandon\t%1").arg(seq));
        return failed;
    }
    const CoverFile::PlaceResult placed = CoverFile::place(picture, target, policy);
    if (placed.outcome == CoverFile::PlaceOutcome::Saved ||
        placed.outcome == CoverFile::PlaceOutcome::Replaced) {
        append(QStringLiteral("done\t%1").arg(seq));
    } else {
        append(QStringLiteral("abandon\t%1").arg(seq));
        if (existed)
            QFile::remove(backup);
    }
    return placed;
}

QList<BatchJournal::Record> BatchJournal::read(bool *undone) const
{
    *undone = false;
    QList<Record> records;
    QFile file(m_folder + QLatin1Char('/') + kJournalName);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    QList<QByteArray> lines = file.readAll().split('\n');
    // The last piece has no line end: empty, or torn by a crash while it was
    // written, before anything it announced was done.
    lines.removeLast();
    if (lines.isEmpty() || lines.first().trimmed() != QByteArray(kHeader.data()))
        return records;
    for (const QByteArray &raw : lines) {
        const QList<QByteArray> f = raw.trimmed().split('\t');
        if (f[0] == "undone") {
            *undone = true;
        } else if (f[0] == "intend" && f.size() == 8) {
            Record r;
            r.seq = f[1].toInt();
            r.replace = f[2] == "replace";
            r.target = unescaped(f[3]);
            r.backup = QString::fromUtf8(f[4]);
            r.written = {f[5].toLongLong(), f[6]};
            r.permissions = QFileDevice::Permissions(f[7].toInt(nullptr, 16));
            records.append(r);
        } else if ((f[0] == "done" || f[0] == "abandon") && f.size() == 2) {
            for (Record &r : records) {
                if (r.seq == f[1].toInt()) {
                    r.done = f[0] == "done";
                    r.abandoned = f[0] == "abandon";
                }
            }
        }
    }
    return records;
}

BatchJournal::Pending BatchJournal::pending() const
{
    bool undone = false;
    Pending p;
    for (const Record &r : read(&undone)) {
        if (!undone && !r.abandoned)
            ++(r.replace ? p.replaced : p.created);
    }
    return p;
}

BatchJournal::UndoResult BatchJournal::undo()
{
    m_file.close();
    UndoResult result;
    bool undone = false;
    QList<Record> records = read(&undone);
    if (undone || records.isEmpty())
        return result;
    result.found = true;
    std::reverse(records.begin(), records.end());
    for (const Record &r : records) {
        const QString backup = backupFolder() + QLatin1Char('/') + r.backup;
        const bool haveBackup = r.replace && FileOps::isRegularFile(backup);
        if (r.abandoned) {
            if (haveBackup)
                QFile::remove(backup);
            continue;
        }
        const bool present = QFileInfo(r.target).exists() || QFileInfo(r.target).isSymLink();
        const Fingerprint now = fingerprint(r.target);
        QString why;
        if (now == r.written) {
            if (!r.replace) {
                FileOps::makeNormal(r.target);
                if (QFile::remove(r.target))
                    ++result.removed;
                else
                    result.failed << r.target + QStringLiteral(": cannot be removed");
            } else if (!haveBackup) {
                result.failed << r.target + QStringLiteral(": its old picture is missing from ") +
                                     backupFolder();
            } else if (restore(backup, r.target, &why)) {
                QFile::setPermissions(r.target, r.permissions);
                ++result.restored;
            } else {
                result.failed << r.target + QStringLiteral(": ") + why;
                result.backupsKept = true;
            }
        } else if (!r.done && (!r.replace ? !present : !haveBackup || now == fingerprint(backup))) {
            // The run stopped before this change was made: nothing to undo.
            if (haveBackup)
                QFile::remove(backup);
        } else if (present || r.replace) {
            result.leftAlone << r.target;
            result.backupsKept = result.backupsKept || r.replace;
        }
    }
    m_file.setFileName(m_folder + QLatin1Char('/') + kJournalName);
    if (m_file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        // After a line torn by a crash, "undone" must start a line of its own.
        const bool torn = m_file.size() > 0 && m_file.seek(m_file.size() - 1) &&
                          m_file.peek(1) != QByteArray("\n");
        m_file.seek(m_file.size());
        append(torn ? QStringLiteral("\r\nundone") : QStringLiteral("undone"));
    }
    m_file.close();
    return result;
}
