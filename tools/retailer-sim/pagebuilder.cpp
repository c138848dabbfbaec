#include "pagebuilder.h"

namespace
{

const QString kNl = QStringLiteral("\r\n");

QString quoted(const QString &address, PageHit::Quote quote)
{
    switch (quote) {
    case PageHit::Quote::Single:
        return QLatin1Char('\'') + address + QLatin1Char('\'');
    case PageHit::Quote::None:
        return address;
    case PageHit::Quote::Double:
        break;
    }
    return QLatin1Char('"') + address + QLatin1Char('"');
}

// Pads a hit's detail block so that the next marker lies at least `minimum`
// characters after `from`: the Brinsell artist rules skip a fixed distance
// after the title before they look for "Artist:".
QString padTo(const QString &sofar, qsizetype from, qsizetype minimum)
{
    static const QString filler = QStringLiteral(
        "Customers who bought this item also bought other titles from our catalogue. "
        "Usually ships within 24 hours; free shipping on orders over $25. ");
    QString pad;
    while (sofar.size() + pad.size() - from < minimum)
        pad += filler;
    return pad.isEmpty()
               ? pad
               : QStringLiteral("<span class=small>") + pad + QStringLiteral("</span><br>");
}

} // namespace

QString PageBuilder::vantoryThumbnail(const PageHit &hit) const
{
    return url(QStringLiteral("/images/V/") + hit.id + QStringLiteral("_60X60") +
               (hit.gifThumbnail ? QStringLiteral(".gif") : QStringLiteral(".jpg")));
}

QString PageBuilder::brinsellThumbnail(const PageHit &hit) const
{
    return url((hit.layout == BrinsellLayout::Heading ? QStringLiteral("/db_assets/prod_images/")
                                                      : QStringLiteral("/db_assets/ad_images/")) +
               hit.id + (hit.gifThumbnail ? QStringLiteral(".gif") : QStringLiteral(".jpg")));
}

QString PageBuilder::vantoryHead(const QString &title) const
{
    return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
                          "<html><head><title>") +
           title +
           QStringLiteral(
               "</title>\r\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
               "<link rel=\"stylesheet\" href=\"/css/vantory.css\" type=\"text/css\">\r\n"
               "<script language=\"JavaScript\">\r\n"
               "var vtSession = \"A7F3-0042\";\r\n"
               "function vtPop(u) { window.open(u, 'vtpop', 'width=420,height=320'); }\r\n"
               "</script>\r\n"
               "</head>\r\n"
               "<body bgcolor=\"#FFFFFF\" leftmargin=0 topmargin=0 marginwidth=0 marginheight=0 "
               "onload=\"if (window.vtInit) vtInit();\">\r\n"
               "<table width=\"100%\" border=0 cellpadding=0 cellspacing=0><tr>\r\n"
               "<td><a href=\"/\"><img src=\"") +
           url(QStringLiteral("/images/site/vantory_logo.gif")) +
           QStringLiteral(
               "\" width=180 height=40 border=0 alt=\"Vantory\"></a></td>\r\n"
               "<td align=right class=text1><a href=\"/cart/view.gsp\">Shopping Cart</a> | "
               "<a href=\"/account/index.gsp\">Your Account</a> | <a "
               "href=\"/help/\">Help</a></td>\r\n"
               "</tr></table>\r\n"
               "<table width=\"100%\" bgcolor=\"#003366\"><tr><td class=nav>"
               "<a href=\"/catalog/index.gsp?dept=4104\">Music</a> &middot; "
               "<a href=\"/catalog/index.gsp?dept=4096\">DVD</a> &middot; "
               "<a href=\"/catalog/index.gsp?dept=4200\">Books</a> &middot; "
               "<a href=\"/catalog/index.gsp?dept=4300\">Games</a></td></tr></table>\r\n"
               "<img src=\"") +
           url(QStringLiteral("/images/site/spacer.gif")) +
           QStringLiteral("\" width=1 height=8 border=0><br>\r\n");
}

QString PageBuilder::vantoryFooter() const
{
    return QStringLiteral("<table width=\"100%\"><tr><td align=center>"
                          "<a href=\"/promo/holiday.gsp\"><img src=\"") +
           url(QStringLiteral("/images/promo/holiday_60x60.gif")) +
           QStringLiteral("\" width=60 height=60 border=0 alt=\"Holiday deals\"></a> "
                          "<a href=\"/promo/giftcards.gsp\"><img src=\"") +
           url(QStringLiteral("/images/site/giftcards.gif")) +
           QStringLiteral("\" border=0></a></td></tr></table>\r\n"
                          "<div class=footer><a href=\"/help/privacy.gsp\">Privacy</a> | "
                          "<a href=\"/help/conditions.gsp\">Conditions of Use</a><br>"
                          "&copy; 1998-2004 Vantory.com, Inc.</div>\r\n"
                          "<script language=\"JavaScript\">\r\n"
                          "if (document.images) { var vtPix = new Image(); vtPix.src = "
                          "\"/t.gif?s=\" + vtSession; }\r\n"
                          "</script>\r\n"
                          "</body>\r\n</html>\r\n");
}

QString PageBuilder::vantoryHit(const PageHit &hit, int index) const
{
    const QString product = QStringLiteral("/catalog/product.gsp?sku=") + hit.id +
                            (hit.dvd ? QStringLiteral("&dept=4096") : QStringLiteral("&dept=4104"));
    const QString format = hit.dvd ? QStringLiteral("(DVD)") : QStringLiteral("(Audio CD)");
    const QString thumb = quoted(vantoryThumbnail(hit), hit.quote);
    // Every third hit is written in capitals, as parts of the retailer's
    // templates are: the title and artist markers are case-blind.
    if (index % 3 == 2) {
        return QStringLiteral("<TR VALIGN=TOP><TD WIDTH=70 ALIGN=CENTER><A HREF=\"") + product +
               QStringLiteral("\"><IMG SRC=") + thumb +
               QStringLiteral(" WIDTH=60 HEIGHT=60 BORDER=0></A></TD>\r\n"
                              "<TD><SPAN CLASS=TEXT2BOLD><A HREF=\"") +
               product + QStringLiteral("\">") + hit.title + QStringLiteral("</A></SPAN><BR>") +
               hit.artist + QStringLiteral(" <SPAN CLASS=TEXT1>") + format +
               QStringLiteral("</SPAN><BR>\r\n<SPAN CLASS=PRICE>$11.99</SPAN> "
                              "<A HREF=\"/cart/add.gsp?sku=") +
               hit.id + QStringLiteral("\"><IMG SRC=\"") +
               url(QStringLiteral("/images/site/btn_addtocart.gif")) +
               QStringLiteral("\" BORDER=0 ALT=\"Add to Cart\"></A></TD></TR>\r\n");
    }
    return QStringLiteral("<tr valign=top><td width=70 align=center><a href=\"") + product +
           QStringLiteral("\"><img src=") + thumb +
           QStringLiteral(" width=60 height=60 border=0></a></td>\r\n"
                          "<td><span class=text2bold><a href=\"") +
           product + QStringLiteral("\">") + hit.title + QStringLiteral("</a></span><br>") +
           hit.artist + QStringLiteral(" <span class=text1>") + format +
           QStringLiteral("</span><br>\r\n<span class=price>$13.99</span> "
                          "<a href=\"/cart/add.gsp?sku=") +
           hit.id + QStringLiteral("\"><img src=\"") +
           url(QStringLiteral("/images/site/btn_addtocart.gif")) +
           QStringLiteral("\" border=0 alt=\"Add to Cart\"></a> "
                          "<a href=\"javascript:vtPop('/catalog/samples.gsp?sku=") +
           hit.id + QStringLiteral("')\">Listen to samples</a></td></tr>\r\n");
}

QString PageBuilder::vantory(const QString &searchText, const QString &department,
                             const std::vector<PageHit> &hits, PageEnd end) const
{
    QString page = vantoryHead(QStringLiteral("Vantory.com: Search Results"));
    page +=
        QStringLiteral("<span class=text2>Results for <b>\"") + searchText.toHtmlEscaped() +
        QStringLiteral("\"</b> in <b>") + department.toHtmlEscaped() + QStringLiteral("</b>: ") +
        QString::number(hits.size()) +
        QStringLiteral(" items</span><br>\r\n<table width=\"100%\" border=0 cellpadding=4>\r\n");
    for (size_t i = 0; i < hits.size(); ++i)
        page += vantoryHit(hits[i], int(i));
    if (end != PageEnd::Complete) {
        PageHit last;
        last.id = QStringLiteral("syn900");
        const QString thumb = vantoryThumbnail(last);
        page += QStringLiteral("<tr valign=top><td width=70 align=center><a href=\"/catalog/"
                               "product.gsp?sku=syn900\"><img src=\"") +
                (end == PageEnd::AfterPicture ? thumb + QLatin1Char('"')
                                              : thumb.left(thumb.size() - 4));
        return page + QStringLiteral("</body></html>");
    }
    page += QStringLiteral("</table>\r\n");
    return page + vantoryFooter();
}

QString PageBuilder::vantoryNoMatches(const QString &searchText, const QString &department) const
{
    return vantoryHead(QStringLiteral("Vantory.com: Search Results")) +
           QStringLiteral("<p class=text2>Sorry, no matches found for <b>\"") +
           searchText.toHtmlEscaped() + QStringLiteral("\"</b> in <b>") +
           department.toHtmlEscaped() +
           QStringLiteral(
               "</b>.</p>\r\n<p class=text1>Check the spelling, or try fewer words.</p>\r\n") +
           vantoryFooter();
}

QString PageBuilder::brinsellHead(const QString &title) const
{
    return QStringLiteral("<html>\r\n<head>\r\n<title>") + title +
           QStringLiteral(
               "</title>\r\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
               "<style type=\"text/css\">.productTitle { font-weight: bold; } "
               ".small { font-size: 8pt; }</style>\r\n"
               "<script type=\"text/javascript\" src=\"/retail/scripts/common.js\"></script>\r\n"
               "</head>\r\n"
               "<BODY BGCOLOR=\"#FFFFFF\" TEXT=\"#000000\" LINK=\"#000099\">\r\n"
               "<table width=760 border=0 cellspacing=0 cellpadding=0><tr>\r\n"
               "<td><a href=\"/retail/default.asp\"><img src=\"") +
           url(QStringLiteral("/db_assets/site_images/brinsell_logo.gif")) +
           QStringLiteral(
               "\" border=0 width=200 height=50></a></td>\r\n"
               "<td><form name=\"qsearch\" action=\"/retail/searchresults.asp\" method=get>"
               "<input type=text name=qu size=20> <input type=submit value=\"Go\"></form></td>\r\n"
               "<td><a href=\"/retail/cart.asp\"><img src=\"") +
           url(QStringLiteral("/DB_ASSETS/PROD_IMAGES/cart_icon.gif")) +
           QStringLiteral(
               "\" border=0></a></td></tr></table>\r\n"
               "<table width=760 bgcolor=\"#990000\"><tr><td>"
               "<a href=\"/retail/default.asp?store=6\"><font color=white>Music</font></a> | "
               "<a href=\"/retail/default.asp?store=4\"><font color=white>DVD &amp; "
               "Video</font></a> | "
               "<a href=\"/retail/default.asp?store=2\"><font color=white>Games</font></a>"
               "</td></tr></table>\r\n"
               "<a href=\"http://ads.brinsell.invalid/click?id=77\"><img src=\""
               "http://cdn.brinsell.invalid/db_assets/prod_images/banner_468x60.gif"
               "\" width=468 height=60 border=0></a><br>\r\n");
}

QString PageBuilder::brinsellFooter() const
{
    return QStringLiteral(
               "<hr size=1><font size=1>Brinsell Online &copy; 2004. "
               "<a href=\"/retail/help.asp\">Help</a> | <a href=\"/retail/privacy.asp\">Privacy</a>"
               "</font>\r\n<img src=\"") +
           url(QStringLiteral("/db_assets/site_images/pixel.gif")) +
           QStringLiteral("\" width=1 height=1>\r\n"
                          "<script type=\"text/javascript\">if (window.bsTrack) bsTrack('search');"
                          "</script>\r\n</body>\r\n</html>\r\n");
}

QString PageBuilder::brinsellHit(const PageHit &hit) const
{
    const QString product = QStringLiteral("/retail/product.asp?sku=") + hit.id;
    const QString picture = quoted(brinsellThumbnail(hit), hit.quote);
    const QString format =
        hit.dvd ? QStringLiteral("Format: DVD (Widescreen)<br>Rated: PG-13<br>")
                : QStringLiteral("Format: Audio CD<br>Label: Harbourline Records<br>");
    QString s;
    if (hit.layout == BrinsellLayout::Heading) {
        s = QStringLiteral("<tr><td colspan=2 class=resultrow><b class=\"productTitle\">");
        const qsizetype titleStart = s.size();
        s += hit.title +
             QStringLiteral("</b></td></tr>\r\n<tr><td width=110 valign=top><a href=\"") + product +
             QStringLiteral("\"><img src=") + picture +
             QStringLiteral(" width=100 height=100 border=0></a></td>\r\n<td valign=top>") + format;
        if (!hit.dvd) {
            s += padTo(s, titleStart, 260);
            s += QStringLiteral(
                     "Artist: <a href=\"/retail/searchresults.asp?querytype=music&amp;qu=") +
                 hit.artist.toHtmlEscaped() + QStringLiteral("\">") + hit.artist +
                 QStringLiteral("</a><br>\r\n");
        }
        s += QStringLiteral("Our price: <b>$12.99</b> <a href=\"/retail/cart.asp?add=") + hit.id +
             QStringLiteral("\">Add to cart</a></td></tr>\r\n");
        return s;
    }
    s = QStringLiteral("<tr><td width=110 valign=top><a href=\"") + product +
        QStringLiteral("&amp;src=ad\"><img src=") + picture +
        QStringLiteral(" width=100 height=100 border=0></a></td>\r\n<td valign=top><a href=\"") +
        product + QStringLiteral("&amp;src=ad\"><B>");
    const qsizetype titleStart = s.size();
    s += hit.title + QStringLiteral("</B></a><br>\r\n") + format;
    if (!hit.dvd) {
        s += padTo(s, titleStart, 60);
        s += QStringLiteral("Artist: <B>") + hit.artist + QStringLiteral("</B><br>\r\n");
    }
    s += QStringLiteral("Special price: <b>$9.99</b></td></tr>\r\n");
    return s;
}

QString PageBuilder::brinsell(const QString &searchText, bool dvd, const std::vector<PageHit> &hits,
                              PageEnd end, bool partnersFirst) const
{
    QString page = brinsellHead(QStringLiteral("Brinsell - Search Results"));
    page += QStringLiteral("<p><font face=arial size=2>Search results for <b>") +
            searchText.toHtmlEscaped() + QStringLiteral("</b> in ") +
            (dvd ? QStringLiteral("DVD &amp; Video") : QStringLiteral("Music")) +
            QStringLiteral("</font></p>\r\n<table width=760 border=0 cellpadding=3>\r\n");
    // The retailer lists its own products first and the partner offers (the
    // "ad_images" layout) after them; partnersFirst turns that round.
    const auto own = [&] {
        for (const PageHit &h : hits) {
            if (h.layout == BrinsellLayout::Heading)
                page += brinsellHit(h);
        }
    };
    const auto partners = [&] {
        bool first = true;
        for (const PageHit &h : hits) {
            if (h.layout != BrinsellLayout::Link)
                continue;
            if (first)
                page += QStringLiteral("<tr><td colspan=2 bgcolor=\"#EEEEEE\"><font size=1>"
                                       "Offers from our partners</font></td></tr>\r\n");
            first = false;
            page += brinsellHit(h);
        }
    };
    if (partnersFirst) {
        partners();
        own();
    } else {
        own();
        partners();
    }
    if (end != PageEnd::Complete) {
        PageHit last;
        last.id = QStringLiteral("syn900");
        const QString thumb = brinsellThumbnail(last);
        page +=
            QStringLiteral("<tr><td colspan=2><b class=\"productTitle\">Cut Short</b></td></tr>"
                           "\r\n<tr><td><a href=\"/retail/product.asp?sku=syn900\"><img src=\"") +
            (end == PageEnd::AfterPicture ? thumb + QLatin1Char('"')
                                          : thumb.left(thumb.size() - 4));
        return page + QStringLiteral("</body></html>");
    }
    page += QStringLiteral("</table>\r\n");
    return page + brinsellFooter();
}

QString PageBuilder::brinsellNoMatches(const QString &searchText, bool dvd) const
{
    return brinsellHead(QStringLiteral("Brinsell - Search Results")) +
           QStringLiteral("<p><font face=arial size=2>There were no matches found for <b>") +
           searchText.toHtmlEscaped() + QStringLiteral("</b> in ") +
           (dvd ? QStringLiteral("DVD &amp; Video") : QStringLiteral("Music")) +
           QStringLiteral(".</font></p>\r\n") + brinsellFooter();
}

QString PageBuilder::errorPage(int status, const QString &what)
{
    return QStringLiteral("<html><head><title>Error ") + QString::number(status) +
           QStringLiteral("</title></head><body><h1>Error ") + QString::number(status) +
           QStringLiteral("</h1><p>") + what.toHtmlEscaped() +
           QStringLiteral("</p></body></html>\r\n");
}

QString PageBuilder::downloadPage() const
{
    return QStringLiteral(
        "<html><head><title>Jacketeer - Download</title></head>\r\n"
        "<body><h1>Download Jacketeer</h1>\r\n"
        "<p>The newest version of Jacketeer is available here.</p>\r\n"
        "<p><a href=\"/files/jacketeer-latest.tar.gz\">jacketeer-latest.tar.gz</a>"
        "</p>\r\n</body></html>\r\n");
}

QString PageBuilder::indexPage() const
{
    return QStringLiteral("<html><head><title>Retailer simulator</title></head>\r\n"
                          "<body><h1>Jacketeer retailer simulator</h1>\r\n<ul>\r\n"
                          "<li><a href=\"/catalog/search-ng.gsp?dept=4104&search_query=Metallica"
                          "&CATEGORY_ID=4118&cat=4118\">Vantory: Metallica in Rock</a></li>\r\n"
                          "<li><a href=\"/retail/searchresults.asp?querytype=music&qu=Metallica"
                          "=&mfgid=\">Brinsell: Metallica</a></li>\r\n"
                          "<li><a href=\"/update/3.0/version.html\">Update page</a></li>\r\n"
                          "</ul></body></html>\r\n");
}
