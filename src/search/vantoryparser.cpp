#include "search/vantoryparser.h"

#include "search/searchtexts.h"

using namespace SearchTexts;

QString vantoryLargeUrl(const QString &thumbnailUrl)
{
    QString large = thumbnailUrl;
    large.replace(kVantoryThumbMarker, kVantoryLargeMarker);
    large.replace(kGif, kJpg);
    return large;
}

QString CutVantoryArtist(qsizetype &pos, PageText &page)
{
    const qsizetype marker = page.find(kVantoryArtistMarker, pos, Qt::CaseInsensitive);
    if (marker < 0) {
        pos = page.size();
        return QString();
    }
    pos = marker + kVantoryArtistMarker.size();
    const qsizetype end = page.find(kVantoryArtistEnd, pos);
    if (end < 0) {
        pos = page.size();
        return QString();
    }
    return page.cut(pos, end);
}

QString CutVantoryTitle(qsizetype &pos, PageText &page, QString &currentArtist)
{
    QString title;
    const qsizetype marker = page.find(kVantoryTitleMarker, pos, Qt::CaseInsensitive);
    const qsizetype open =
        marker < 0 ? -1 : page.find(kVantoryTitleOpen, marker + kVantoryTitleSkip);
    const qsizetype start = open < 0 ? -1 : open + kVantoryTitleOpen.size();
    const qsizetype end =
        start < 0 ? -1 : page.find(kVantoryTitleClose, start, Qt::CaseInsensitive);
    if (end < 0) {
        pos = page.size();
    } else {
        pos = start;
        title = page.cut(start, end);
    }
    currentArtist = CutVantoryArtist(pos, page);
    return title;
}

int ParseVantoryPage(QStringView body, const ScanHooks &hooks, const HitSink &sink,
                     QString &currentArtist)
{
    PageText page(body);
    return scanPage(
        body, hooks, sink, [&](qsizetype from) { return page.find(kVantoryThumbMarker, from); },
        [&](qsizetype &p) {
            const QString thumbnailUrl = ExtractUrlAt(page, p);
            PageHit hit =
                pictureHit(RetailerSite::Vantory, thumbnailUrl, vantoryLargeUrl(thumbnailUrl));
            // The cutters leave p at the artist's first character, so any
            // "_60X60" between this picture and its artist is skipped: it
            // belongs to this hit.
            hit.title = CutVantoryTitle(p, page, currentArtist);
            hit.artist = currentArtist;
            return hit;
        });
}
