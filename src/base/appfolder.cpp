#include "base/appfolder.h"

#include "base/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString appFolder()
{
    QString folder = qEnvironmentVariable("JACKETEER_APPDIR");
    if (folder.isEmpty() && QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (QFileInfo(exeDir).isWritable())
            folder = exeDir;
    }
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.local/share/Jacketeer");
    QDir().mkpath(folder);
    folder = QDir::cleanPath(folder);
    return folder;
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
    e.vantoryHost = store.readSite(QStringLiteral("VantoryHost"), QStringLiteral("www.vantory.com"));
    e.brinsellHost =
        store.readSite(QStringLiteral("BrinsellHost"), QStringLiteral("www.brinsell.com"));
    e.brinsellImageHost = store.readSite(QStringLiteral("BrinsellImageHost"),
                                         QStringLiteral("images.brinsell.com"));
    e.updateInfoUrl = store.readSite(QStringLiteral("UpdateInfoUrl"),
                                     QStringLiteral("http://www.jacketeer.net/version.html"));
    e.downloadPageUrl = store.readSite(QStringLiteral("DownloadPageUrl"),
                                       QStringLiteral("http://www.jacketeer.net/download.html"));
    return e;
}
