#pragma once

// The page shapes whose cost once grew with the square of the page size:
// built at any size for bench_hostilepages.cpp, and saved small as the
// parser and page-body fuzz targets' regression inputs (that program's
// --write). Hits come one per KiB, as dense as on a real result page.

#include <QString>

namespace HostilePages
{

inline const QString kImageHost = QStringLiteral("images.brinsell.test");
inline constexpr qsizetype kUnit = 1024;

// Appends `unit` padded to kUnit characters with a comment that holds no
// quote and no marker.
inline void appendUnit(QString &page, const QString &unit)
{
    page += unit;
    if (unit.size() + 7 < kUnit)
        page += QStringLiteral("<!--") + QString(kUnit - unit.size() - 7, QLatin1Char('.')) +
                QStringLiteral("-->");
}

// Vantory: "_60X60" pictures with no scheme of their own, and one "http:" at
// the top of the page that every picture's address would run back to.
inline QString vantoryFarScheme(qsizetype size)
{
    QString page;
    page.reserve(size + kUnit);
    page += QStringLiteral("<a href=\"http://www.vantory.test/\">Vantory</a>\n");
    for (int i = 0; page.size() < size; ++i) {
        const QString n = QString::number(i);
        appendUnit(page, QStringLiteral("<tr><td><img src=\"/images/V/bulk%1_60X60.gif\" width=60>"
                                        "</td><td><span class=text2bold><a href=\"/catalog/"
                                        "product.gsp?sku=%1\">Album %1</a></span><br>Artist %1 "
                                        "<i>(Audio CD)</i></td></tr>\n")
                             .arg(n));
    }
    return page;
}

// Brinsell: link-layout pictures whose attributes are in single quotes, and
// one double quote at the end of the page that every address would run to.
inline QString brinsellUnclosed(qsizetype size)
{
    QString page;
    page.reserve(size + kUnit);
    for (int i = 0; page.size() < size - 20; ++i) {
        const QString n = QString::number(i);
        appendUnit(page,
                   QStringLiteral("<tr><td><img src='http://%2/db_assets/ad_images/bulk%1.jpg'>"
                                  "</td><td><a href='/retail/product.asp?sku=%1'><B>Album %1"
                                  "</B></a><br>%3Artist: <B>Artist %1</B></td></tr>\n")
                       .arg(n, kImageHost, QString(60, QLatin1Char(' '))));
    }
    page += QStringLiteral("<p class=\"end\"></p>");
    return page;
}

// Brinsell: link-layout hits in the first half of the page without an
// artist; the only "ARTIST:" in the middle, and no "<B>" after it.
inline QString brinsellFarArtist(qsizetype size)
{
    QString page;
    page.reserve(size + kUnit);
    for (int i = 0; page.size() < size / 2; ++i) {
        const QString n = QString::number(i);
        appendUnit(page,
                   QStringLiteral("<tr><td><img src=\"http://%2/db_assets/ad_images/bulk%1.jpg\">"
                                  "</td><td><a href=\"/retail/product.asp?sku=%1\"><B>Album %1"
                                  "</B></a></td></tr>\n")
                       .arg(n, kImageHost));
    }
    page += QStringLiteral("<p>Artist: see below</p>\n");
    while (page.size() < size)
        appendUnit(page, QStringLiteral("<tr><td class=footer>More offers</td></tr>\n"));
    return page;
}

// A page whose "<body " openings, one every 128 characters, never close: no
// ">" follows the first one, so each opening's tag would run to the end.
inline QString bodyUnclosed(qsizetype size)
{
    QString page;
    page.reserve(size + kUnit);
    page += QStringLiteral("<html><head><title>Search Results</title></head>\n");
    while (page.size() < size)
        page += QStringLiteral("<body class=results onload=\"start()\" ") +
                QString(128 - 38, QLatin1Char('.'));
    return page;
}

} // namespace HostilePages
