#include "search/brinsellparser.h"

#include "search/searchtexts.h"

using namespace SearchTexts;

namespace
{

// Each cutter's searches keep their own memos (see PageText): the link
// title's "<B>" lies next to the picture, the bold artist's far ahead.
constexpr QLatin1StringView kHeadingTitleScan{"heading title"};
constexpr QLatin1StringView kLinkTitleScan{"link title"};
constexpr QLatin1StringView kLinkArtistScan{"link artist"};
constexpr QLatin1StringView kBoldArtistScan{"bold artist"};

// A cut that finds no end gives nothing and moves past the page's end.
QString missed(qsizetype &pos, const PageText &page)
{
    pos = page.size();
    return QString();
}

// "<B>" at or after `from`, then the text up to "</B>"; `pos` ends at the
// text's first character.
QString cutBold(qsizetype from, qsizetype &pos, PageText &page, QLatin1StringView scan)
{
    const qsizetype open = from < 0 ? -1 : page.find(kBoldOpen, from, Qt::CaseInsensitive, scan);
    if (open < 0)
        return missed(pos, page);
    pos = open + kBoldOpen.size();
    const qsizetype end = page.find(kBoldClose, pos, Qt::CaseInsensitive, scan);
    if (end < 0)
        return missed(pos, page);
    return page.cut(pos, end);
}

} // namespace

BrinsellPrefixes::BrinsellPrefixes(const QString &imageHost)
    : prod(QStringLiteral("http://") + imageHost + kBrinsellProdPath),
      ad(QStringLiteral("http://") + imageHost + kBrinsellAdPath)
{
}

QString brinsellLargeUrl(const QString &thumbnailUrl)
{
    QString large = thumbnailUrl;
    large.replace(kBrinsellAdFolder, kBrinsellLargeFolder);
    large.replace(kBrinsellProdFolder, kBrinsellLargeFolder);
    large.replace(kGif, kJpg);
    return large;
}

QString cutBrinsellLinkTitleOnly(qsizetype &pos, PageText &page)
{
    return cutBold(page.find(kBrinsellLinkMarker, pos, Qt::CaseInsensitive, kLinkTitleScan), pos,
                   page, kLinkTitleScan);
}

QString CutBrinsellArtistLink(qsizetype &pos, PageText &page)
{
    const qsizetype marker = page.find(kBrinsellArtistMarker, pos + kBrinsellArtistLinkSkip,
                                       Qt::CaseInsensitive, kLinkArtistScan);
    const qsizetype end =
        marker < 0 ? -1 : page.find(kLinkClose, marker, Qt::CaseInsensitive, kLinkArtistScan);
    const qsizetype gt =
        end < 0 ? -1
                : page.findBack(QLatin1StringView(">"), end, Qt::CaseSensitive, kLinkArtistScan);
    if (gt < 0)
        return missed(pos, page);
    pos = gt + 1;
    return page.cut(pos, end);
}

QString CutBrinsellArtistBold(qsizetype &pos, PageText &page)
{
    return cutBold(page.find(kBrinsellArtistMarker, pos, Qt::CaseInsensitive, kBoldArtistScan), pos,
                   page, kBoldArtistScan);
}

namespace
{

// A DVD has no artist of its own and takes its title; a record's artist is
// searched from a little past its title, where the cutter says.
QString artistAfter(const QString &title, bool dvd, qsizetype artistPos, PageText &page,
                    QString (*cut)(qsizetype &, PageText &))
{
    return dvd ? title : cut(artistPos, page);
}

} // namespace

QString CutBrinsellTitleByHeading(qsizetype &pos, PageText &page, bool dvd, QString &currentArtist)
{
    QString title;
    const qsizetype marker =
        page.findBack(kBrinsellHeadingMarker, pos, Qt::CaseInsensitive, kHeadingTitleScan);
    const qsizetype gt = marker < 0 ? -1
                                    : page.find(QLatin1StringView(">"), marker, Qt::CaseSensitive,
                                                kHeadingTitleScan);
    const qsizetype start = gt < 0 ? -1 : gt + 1;
    const qsizetype end =
        start < 0 ? -1 : page.find(kBoldClose, start, Qt::CaseInsensitive, kHeadingTitleScan);
    if (end < 0) {
        missed(pos, page);
    } else {
        pos = start;
        title = page.cut(start, end);
    }
    currentArtist =
        artistAfter(title, dvd, pos + kBrinsellHeadingArtistSkip, page, CutBrinsellArtistLink);
    return title;
}

QString CutBrinsellTitleByLink(qsizetype &pos, PageText &page, bool dvd, QString &currentArtist)
{
    const QString title = cutBrinsellLinkTitleOnly(pos, page);
    currentArtist =
        artistAfter(title, dvd, pos + kBrinsellLinkArtistSkip, page, CutBrinsellArtistBold);
    return title;
}

int ParseBrinsellPage(QStringView body, const QString &imageHost, bool dvd, const ScanHooks &hooks,
                      const HitSink &sink, QString &currentArtist, PageRules rules)
{
    PageText page(body);
    const BrinsellPrefixes prefixes(imageHost);
    // Once no "prod_images" picture is left after the position, none will be
    // for any later position: remember that instead of searching again.
    bool prodLeft = true;
    const auto next = [&](qsizetype from) {
        const qsizetype p = prodLeft ? page.findText(prefixes.prod, from) : -1;
        if (p >= 0)
            return p;
        prodLeft = false;
        return page.findText(prefixes.ad, from);
    };
    const auto hitAt = [&](qsizetype &p) {
        const QString thumbnailUrl = ExtractToQuote(page, p);
        PageHit hit =
            pictureHit(RetailerSite::Brinsell, thumbnailUrl, brinsellLargeUrl(thumbnailUrl));
        // The cutters work on a copy: the next picture is looked for from
        // just past this one, not from its title (the batch's "ad_images"
        // hits excepted, as that run has always gone on from the title).
        qsizetype cutPos = p;
        if (rules == PageRules::Batch) {
            if (prodLeft) {
                hit.entryTexts = true;
            } else {
                hit.title = cutBrinsellLinkTitleOnly(cutPos, page);
                currentArtist = QString(kNotApplicable);
                hit.artist = currentArtist;
                p = cutPos;
            }
            return hit;
        }
        if (hit.pictureMarkup.contains(kBrinsellProdUpper, Qt::CaseInsensitive))
            hit.title = CutBrinsellTitleByHeading(cutPos, page, dvd, currentArtist);
        else
            hit.title = CutBrinsellTitleByLink(cutPos, page, dvd, currentArtist);
        hit.artist = currentArtist;
        return hit;
    };
    return scanPage(body, hooks, sink, next, hitAt);
}
