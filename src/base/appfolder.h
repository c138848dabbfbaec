#pragma once

#include <QString>

// The application folder, where every scratch file lives ("results.html",
// "compare1.jpg", ...): $JACKETEER_APPDIR when set, else the folder holding
// the program when it is writable, else ~/.local/share/Jacketeer. Created if
// missing. No trailing separator.
QString appFolder();

// appFolder() + "/" + name.
QString appFile(const QString &name);

// Retailer and update endpoints from the store's "Sites" section.
struct SiteEndpoints
{
    QString vantoryHost;       // host[:port]
    QString brinsellHost;      // host[:port]
    QString brinsellImageHost; // host[:port]
    QString updateInfoUrl;
    QString downloadPageUrl;
};

class SettingsStore;
SiteEndpoints readSiteEndpoints(const SettingsStore &store);
