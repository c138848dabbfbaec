#pragma once

#include "base/downloadservice.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class IMessageBox;

// Opens an address with the desktop's default handler; true when it was handed over.
using UrlOpener = std::function<bool(const QUrl &url)>;
// The program-wide opener: QDesktopServices::openUrl unless replaced.
UrlOpener urlOpener();
// Replaces the program-wide opener (tests watch the call); an empty function
// restores the desktop's.
void setUrlOpener(UrlOpener opener);

// How one update check ended.
enum class UpdateOutcome {
    NoInformation, // no usable update information: the "Unable to retrieve" message
    Current,       // the published version is this program's, or its program file is present
    Declined,      // a newer version was offered and the user said No
    Opened,        // the user said Yes and the download page was opened
};

// Checks the update information page for the newest published version and
// offers to open the download page unless it is this program's own version or
// that version's program file is in the application folder. Nothing is
// downloaded or installed beyond the page.
class UpdateCheck
{
public:
    UpdateCheck(DownloadFunction download, IMessageBox &box, UrlOpener opener);

    // The application folder (where "version.jkv" goes and the program files are looked for).
    QString appFolder;
    QString updateInfoUrl;
    QString downloadPageUrl;
    // This program's version, as --version prints it.
    QString programVersion;

    UpdateOutcome run();

    // The version text of an update information page: the text between the
    // first "<body>" and the first "</body>" on the page, cut at the first "-"
    // and trimmed. None when either marker is missing or that "</body>" comes
    // before the "<body>" ends, or when what is left could not name a program
    // file (empty, or holding a path separator).
    static std::optional<QString> versionFromPage(const QString &page);

private:
    DownloadFunction m_download;
    IMessageBox &m_box;
    UrlOpener m_opener;
};

// File, Auto Update: runs the check with the program's download call, message
// box and opener, and the endpoints and folder from the settings.
UpdateOutcome runAutoUpdate();
