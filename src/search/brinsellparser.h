#pragma once

#include "search/pagehit.h"
#include "search/pagetext.h"

#include <QString>

// Brinsell result pages come in two layouts, told apart by the picture's
// folder on the image host: "prod_images" hits carry their title after a
// PRODUCTTITLE marker before the picture, "ad_images" hits in a PRODUCT.ASP
// link after it. Cuts that miss a marker behave as on Vantory pages: "" and
// the position at the end of the page.

// The two picture address prefixes of one image host (host[:port]).
struct BrinsellPrefixes {
    explicit BrinsellPrefixes(const QString &imageHost);
    QString prod; // http://HOST/db_assets/prod_images
    QString ad;   // http://HOST/db_assets/ad_images
};

// The large picture: ad_images and prod_images -> large_images, ".gif" -> ".jpg".
QString brinsellLargeUrl(const QString &thumbnailUrl);

// The title inside the PRODUCT.ASP link at or after `pos` ("<B>" .. "</B>");
// `pos` ends at the title's first character. No artist is cut.
QString cutBrinsellLinkTitleOnly(qsizetype &pos, PageText &page);

// The linked artist after the first "ARTIST:" that starts at least 150
// characters after `pos`.
QString CutBrinsellArtistLink(qsizetype &pos, PageText &page);
// The bold artist after the first "ARTIST:" at or after `pos`.
QString CutBrinsellArtistBold(qsizetype &pos, PageText &page);

// Title of a "prod_images" hit whose picture is at `pos`, from the nearest
// PRODUCTTITLE before it. The artist (the title again for DVD, else the
// linked one at least 250 characters after the title start) goes into
// `currentArtist`.
QString CutBrinsellTitleByHeading(qsizetype &pos, PageText &page, bool dvd, QString &currentArtist);
// Title of an "ad_images" hit from the PRODUCT.ASP link after `pos`; the
// artist (the title for DVD, else the bold one from 50 characters after the
// title start) goes into `currentArtist`.
QString CutBrinsellTitleByLink(qsizetype &pos, PageText &page, bool dvd, QString &currentArtist);

// Finds every hit in page order and hands each to `sink`; returns how many.
// The next picture is the next "prod_images" one if any follows, else the next
// "ad_images" one, so all "prod_images" hits come first. Under batch rules a
// "prod_images" hit gets no texts (entryTexts), and an "ad_images" hit only
// its PRODUCT.ASP title, the artist "N/A", with the next picture looked for
// from the title rather than from the picture.
int ParseBrinsellPage(QStringView body, const QString &imageHost, bool dvd, const ScanHooks &hooks,
                      const HitSink &sink, QString &currentArtist,
                      PageRules rules = PageRules::Interactive);
