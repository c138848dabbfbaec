#include "base/appfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString appFolderFor(const QString &programFolder)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable() && program.fileName() != QLatin1String("bin"))
        return QDir::cleanPath(programFolder);
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/Jacketeer"));
}

QString appFolder()
{
    QString folder = qEnvironmentVariable("JACKETEER_APPDIR");
    if (folder.isEmpty())
        folder = appFolderFor(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                           : QString());
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}

QString appFile(const QString &name)
{
    return appFolder() + QLatin1Char('/') + name;
}
