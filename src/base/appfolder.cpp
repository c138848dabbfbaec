#include "base/appfolder.h"

#include "base/settingsstore.h"

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

SiteEndpoints readSiteEndpoints(const SettingsStore &store)
{
    // The real retailers' hosts are the defaults; the demo and the tests point
    // these keys at the local simulator.
    SiteEndpoints e;
    e.vantoryHost =
        store.readSite(QStringLiteral("VantoryHost"), QStringLiteral("www.vantory.com"));
    e.brinsellHost =
        store.readSite(QStringLiteral("BrinsellHost"), QStringLiteral("www.brinsell.com"));
    e.brinsellImageHost =
        store.readSite(QStringLiteral("BrinsellImageHost"), QStringLiteral("images.brinsell.com"));
    e.updateInfoUrl = store.readSite(QStringLiteral("UpdateInfoUrl"),
                                     QStringLiteral("http://www.jacketeer.net/version.html"));
    e.downloadPageUrl = store.readSite(QStringLiteral("DownloadPageUrl"),
                                       QStringLiteral("http://www.jacketeer.net/download.html"));
    return e;
}
