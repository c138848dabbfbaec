#pragma once

// Builders of retailer result page markup for the search tests and the
// benchmark, laid out as the retailers' pages lay out a hit.

#include <QString>

namespace SearchPages
{

inline const QString kVantoryImages = "http://img.vantory.test/covers/";
inline const QString kBrinsellImageHost = "images.brinsell.test";

// A Vantory hit: thumbnail, title link, line break, artist.
inline QString vantoryHit(const QString &thumb, const QString &title, const QString &artist,
                          const QString &titleSpan = "<span class=text2bold>")
{
    return "<tr><td><a href=\"/catalog/product.gsp?sku=1\"><img src=\"" + thumb +
           "\" border=0 width=60></a></td>\n<td>" + titleSpan +
           "<a href=\"/catalog/product.gsp?sku=12345&dept=4104\">" + title + "</a></span><br>" +
           artist + " <font size=1>(Audio CD)</font></td></tr>\n";
}

inline QString vantoryThumb(const QString &name, const QString &ext = ".jpg")
{
    return kVantoryImages + name + "_60X60" + ext;
}

inline QString brinsellPicture(const QString &folder, const QString &name,
                               const QString &host = kBrinsellImageHost)
{
    return "http://" + host + "/db_assets/" + folder + QLatin1Char('/') + name;
}

// Filler that keeps markers apart as a real page's cells do.
inline QString filler(int length)
{
    QString text = "<!--";
    while (text.size() < length - 3)
        text += QLatin1Char('.');
    return text + "-->";
}

// "prod_images" layout: the title in a PRODUCTTITLE cell before the picture,
// the artist as a link well below it.
inline QString brinsellProdHit(const QString &picture, const QString &title, const QString &artist,
                               int artistGap = 300)
{
    return "<tr><td><b class=\"ProductTitle\">" + title + "</b></td></tr>\n<tr><td><img src=\"" +
           picture + "\" width=60></td></tr>\n" + filler(artistGap) +
           "<tr><td>Artist: <a href=\"/retail/artist.asp?id=7\">" + artist + "</a></td></tr>\n";
}

// "ad_images" layout: picture, then the PRODUCT.ASP link, then a bold artist.
inline QString brinsellAdHit(const QString &picture, const QString &title, const QString &artist)
{
    return "<tr><td><img src=\"" + picture +
           "\"></td><td><a href=\"/retail/product.asp?sku=88\"><b>" + title + "</b></a><br>" +
           filler(60) + "ARTIST: <b>" + artist + "</b></td></tr>\n";
}

} // namespace SearchPages
