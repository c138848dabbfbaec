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
