#include "base/fileops.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <array>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace FileOps
{

namespace
{

constexpr QFileDevice::Permissions kOwnerReadWrite = QFileDevice::ReadOwner |
                                                     QFileDevice::WriteOwner |
                                                     QFileDevice::ReadUser | QFileDevice::WriteUser;

} // namespace

bool makeNormal(const QString &path)
{
    return isRegularFile(path) &&
           QFile::setPermissions(path, QFile::permissions(path) | kOwnerReadWrite);
}

bool isRegularFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

Replacement::Replacement(const QString &target) : m_target(target) {}

Replacement::~Replacement()
{
    cancel();
}

bool Replacement::fail(const QString &why)
{
    m_failed = true;
    if (m_error.isEmpty())
        m_error = why;
    cancel();
    return false;
}

bool Replacement::open()
{
    const QFileInfo target(m_target);
    if (m_target.isEmpty() || target.fileName().isEmpty())
        return fail(QStringLiteral("No file name given"));
    if (target.isDir())
        return fail(QStringLiteral("%1 is a folder").arg(m_target));
    // A dot name keeps the half-written file out of folder listings.
    for (int attempt = 0; attempt < 8 && !m_temp.isOpen(); ++attempt) {
        m_temp.setFileName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QLatin1Char('.') +
                           QString::number(QRandomGenerator::global()->generate(), 36));
        m_temp.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!m_temp.isOpen()) {
        // Never remove a file of that name that was not ours.
        const QString why = m_temp.errorString();
        m_temp.setFileName(QString());
        return fail(why);
    }
    return true;
}

bool Replacement::write(QByteArrayView data)
{
    if (m_failed || !m_temp.isOpen())
        return false;
    if (m_temp.write(data.data(), data.size()) != data.size())
        return fail(m_temp.errorString());
    return true;
}

bool Replacement::commit()
{
    if (m_failed || !m_temp.isOpen())
        return false;
    // On disk before the rename, so a crash cannot leave an empty picture in its place.
    if (!m_temp.flush() || ::fsync(m_temp.handle()) != 0)
        return fail(m_temp.errorString());
    m_temp.close();
    if (m_temp.error() != QFileDevice::NoError)
        return fail(m_temp.errorString());
    const QFileInfo target(m_target);
    if (target.exists() && !m_temp.setPermissions(target.permissions() | kOwnerReadWrite))
        return fail(m_temp.errorString());
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(m_temp.fileName()).constData()),
                            std::filesystem::path(QFile::encodeName(m_target).constData()), error);
    if (error)
        return fail(QString::fromStdString(error.message()));
    m_temp.setFileName(QString());
    return true;
}

void Replacement::cancel()
{
    if (m_temp.fileName().isEmpty())
        return;
    m_temp.close();
    m_temp.remove();
    m_temp.setFileName(QString());
}

bool replaceWithData(const QString &target, QByteArrayView data, QString *error)
{
    Replacement replacement(target);
    const bool ok = replacement.open() && replacement.write(data) && replacement.commit();
    if (!ok && error)
        *error = replacement.errorString();
    return ok;
}

bool replaceWithCopy(const QString &target, const QString &source, QString *error)
{
    const auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString());
    Replacement replacement(target);
    if (!replacement.open())
        return failed(replacement.errorString());
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const qint64 n = in.read(buffer.data(), qint64(buffer.size()));
        if (n < 0)
            return failed(in.errorString());
        if (n == 0)
            break;
        if (!replacement.write(QByteArrayView(buffer.data(), n)))
            return failed(replacement.errorString());
    }
    if (!replacement.commit())
        return failed(replacement.errorString());
    return true;
}

} // namespace FileOps
