#include "update/updatecheck.h"

#include "base/appfolder.h"
#include "base/messagebox.h"
#include "base/settings.h"
#include "base/version.h"
#include "update/updatetexts.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>

using namespace UpdateTexts;

namespace
{

UrlOpener &openerOverride()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

UrlOpener urlOpener()
{
    if (openerOverride())
        return openerOverride();
    return [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

void setUrlOpener(UrlOpener opener)
{
    openerOverride() = std::move(opener);
}

UpdateCheck::UpdateCheck(DownloadFunction download, IMessageBox &box, UrlOpener opener)
    : programVersion(QString::fromLatin1(kJacketeerVersion)), m_download(std::move(download)),
      m_box(box), m_opener(std::move(opener))
{
}

std::optional<QString> UpdateCheck::versionFromPage(const QString &page)
{
    const qsizetype open = page.indexOf(kBodyOpen);
    const qsizetype close = page.indexOf(kBodyClose);
    if (open < 0 || close < open + kBodyOpen.size())
        return std::nullopt;
    const qsizetype start = open + kBodyOpen.size();
    QStringView body = QStringView(page).mid(start, close - start);
    const qsizetype dash = body.indexOf(QLatin1Char('-'));
    if (dash >= 0)
        body = body.left(dash);
    const QString version = body.trimmed().toString();
    // An empty version would name the running program itself ("jacketeer")
    // and report it current; a separator would look outside the folder.
    if (version.isEmpty() || version.contains(QLatin1Char('/')) || version.contains(QChar()))
        return std::nullopt;
    return version;
}

UpdateOutcome UpdateCheck::run()
{
    const QString localCopy = appFolder + QLatin1Char('/') + kLocalCopy;
    const auto noInformation = [this] {
        m_box.show(kNoInformation, kTitle, MsgButtons::OkOnly, MsgIcon::None);
        return UpdateOutcome::NoInformation;
    };

    // A copy left from an earlier check must not pass for a fresh answer.
    if (QFileInfo::exists(localCopy) && !QFile::remove(localCopy))
        return noInformation();

    m_download(updateInfoUrl, localCopy);

    QFile file(localCopy);
    if (!file.open(QIODevice::ReadOnly))
        return noInformation();
    const QString page = QString::fromUtf8(file.readAll());
    file.close();

    const std::optional<QString> version = versionFromPage(page);
    if (!version) {
        QFile::remove(localCopy);
        return noInformation();
    }

    // An installed program is never named after its version; the running one
    // knows its own.
    if (*version == programVersion ||
        QFileInfo(appFolder + QLatin1Char('/') + kProgramPrefix + *version).isFile()) {
        QFile::remove(localCopy);
        m_box.show(kCurrent, kTitle, MsgButtons::OkOnly, MsgIcon::Information);
        return UpdateOutcome::Current;
    }

    if (m_box.show(kNewVersion, kTitle, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return UpdateOutcome::Declined; // the copy stays until the next check

    if (m_opener)
        m_opener(QUrl(downloadPageUrl, QUrl::TolerantMode));
    QFile::remove(localCopy);
    return UpdateOutcome::Opened;
}

UpdateOutcome runAutoUpdate()
{
    const SiteEndpoints sites = Settings().sites();
    UpdateCheck check(&URLDownloadToFile, messageBox(), urlOpener());
    check.appFolder = ::appFolder();
    check.updateInfoUrl = sites.updateInfoUrl;
    check.downloadPageUrl = sites.downloadPageUrl;
    return check.run();
}
