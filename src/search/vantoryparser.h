#pragma once

#include "search/pagehit.h"
#include "search/pagetext.h"

#include <QString>

// Vantory result pages: every hit is a "_60X60" thumbnail followed by a title
// link and, after a line break, the artist.
//
// A cut whose marker does not occur in the rest of the page gives "" and
// leaves the position at the end of the page, so the page loop records that
// hit and then ends: the page never hangs, and a hit whose texts are missing
// is recorded with empty texts rather than with its neighbour's.

// The large picture: "_60X60" -> "_500X500", then ".gif" -> ".jpg".
QString vantoryLargeUrl(const QString &thumbnailUrl);

// Cuts the artist that follows `pos` ("<BR>" up to " <"); `pos` ends at the
// artist's first character.
QString CutVantoryArtist(qsizetype &pos, PageText &page);

// Cuts the title of the hit whose picture is at `pos`, then its artist into
// `currentArtist`; `pos` ends at the artist's first character.
QString CutVantoryTitle(qsizetype &pos, PageText &page, QString &currentArtist);

// Finds every hit of the page in page order and hands each to `sink`; returns
// how many. A page saying "no matches found" has none.
int ParseVantoryPage(QStringView body, const ScanHooks &hooks, const HitSink &sink,
                     QString &currentArtist);
