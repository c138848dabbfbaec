#pragma once

#include "catalogue.h"

#include <QString>

#include <vector>

// One hit as a result page lays it out.
struct PageHit {
    enum class Quote { Double, Single, None };

    QString id;     // picture file stem
    QString artist; // music artist; DVD: the line under the title
    QString title;  // album or DVD title
    bool dvd = false;
    bool gifThumbnail = true;
    BrinsellLayout layout = BrinsellLayout::Heading;
    Quote quote = Quote::Double; // how the thumbnail address is quoted
};

// How the page's markup stops after its hits.
enum class PageEnd {
    Complete,      // footer, scripts, </body></html>
    AfterPicture,  // the body ends right after one more picture's closing quote
    InsideAddress, // the body ends inside one more picture's address
};

// Builds the retailers' result pages. The markers the program's parsers look
// for are laid out as the retailers do; everything around them (navigation,
// logos, adverts, scripts) is there so that parsers meet realistic noise.
class PageBuilder
{
public:
    // host: "host:port" as the client addressed the server; picture
    // addresses are absolute on it.
    explicit PageBuilder(const QString &host) : m_host(host) {}

    QString vantory(const QString &searchText, const QString &department,
                    const std::vector<PageHit> &hits, PageEnd end) const;
    QString vantoryNoMatches(const QString &searchText, const QString &department) const;
    // partnersFirst: the "ad_images" hits come before the heading ones.
    QString brinsell(const QString &searchText, bool dvd, const std::vector<PageHit> &hits,
                     PageEnd end, bool partnersFirst = false) const;
    QString brinsellNoMatches(const QString &searchText, bool dvd) const;

    QString vantoryThumbnail(const PageHit &hit) const;
    QString brinsellThumbnail(const PageHit &hit) const;

    static QString errorPage(int status, const QString &what);
    QString downloadPage() const;
    QString indexPage() const;

private:
    QString vantoryHit(const PageHit &hit, int index) const;
    QString brinsellHit(const PageHit &hit) const;
    QString vantoryHead(const QString &title) const;
    QString vantoryFooter() const;
    QString brinsellHead(const QString &title) const;
    QString brinsellFooter() const;
    QString url(const QString &path) const { return QStringLiteral("http://") + m_host + path; }

    QString m_host;
};
