#include "search/pagehit.h"

#include "search/searchtexts.h"

using namespace SearchTexts;

QString pictureMarkup(const QString &largeUrl, const QString &thumbnailUrl)
{
    return kPictureMarkupOpen + largeUrl + kPictureMarkupMiddle + thumbnailUrl +
           kPictureMarkupClose;
}

PageHit pictureHit(RetailerSite site, const QString &thumbnailUrl, const QString &largeUrl)
{
    PageHit hit;
    hit.site = site;
    hit.thumbnailUrl = thumbnailUrl;
    hit.largeUrl = largeUrl;
    hit.pictureMarkup = pictureMarkup(largeUrl, thumbnailUrl);
    return hit;
}

int scanPage(QStringView body, const ScanHooks &hooks, const HitSink &sink,
             const std::function<qsizetype(qsizetype from)> &next,
             const std::function<PageHit(qsizetype &position)> &hitAt)
{
    if (body.contains(kNoMatches))
        return 0;
    qsizetype pos = 0;
    int hits = 0;
    while (hooks.shouldContinue()) {
        qsizetype p = next(pos);
        if (p < 0) {
            hooks.yieldNow();
            break;
        }
        sink(hitAt(p));
        pos = p + 1;
        ++hits;
        hooks.yieldNow();
    }
    return hits;
}
