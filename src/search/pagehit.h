#pragma once

#include "search/searchrequests.h"

#include <QString>
#include <QStringView>

#include <functional>

// One hit as a parser hands it on: the picture cell markup
// (<a href="LARGE"><img border="0" src="THUMB"), the two addresses and the
// texts cut from the page.
struct PageHit {
    RetailerSite site = RetailerSite::Vantory;
    QString pictureMarkup;
    QString thumbnailUrl;
    QString largeUrl;
    QString title;  // album, or DVD information
    QString artist; // artist, or DVD title
    // Nothing was cut for this hit (batch rules, Brinsell "prod_images"): the
    // batch records its queue entry's own texts instead.
    bool entryTexts = false;
};

// Which rules a page loop follows. The batch run cuts less from Brinsell
// pages than the interactive search (see ParseBrinsellPage); Vantory pages are
// parsed the same way under both.
enum class PageRules { Interactive, Batch };

// What a page loop is told by its caller: whether to go on (tested before
// every hit) and how to let the rest of the program run (after every hit and
// once the page is done). The interactive search and the batch run differ
// only in these and in what they do with a hit.
struct ScanHooks {
    std::function<bool()> keepGoing;
    std::function<void()> yield;

    bool shouldContinue() const { return !keepGoing || keepGoing(); }
    void yieldNow() const
    {
        if (yield)
            yield();
    }
};

using HitSink = std::function<void(const PageHit &hit)>;

// <a href="LARGE"><img border="0" src="THUMB"
QString pictureMarkup(const QString &largeUrl, const QString &thumbnailUrl);

// A hit for one picture found on a page, its addresses and markup filled in;
// the parser cuts the texts that go with it.
PageHit pictureHit(RetailerSite site, const QString &thumbnailUrl, const QString &largeUrl);

// The page loop both retailers' parsers share. A page saying "no matches
// found" anywhere has no hits. Otherwise, while the hooks go on, `next` finds
// the next picture at or after a position (-1 when none is left) and `hitAt`
// makes its hit, moving the position to where the next search starts from
// (one character further); every hit goes to the sink and lets the event loop
// run, as does the end of the page. Returns the number of hits.
int scanPage(QStringView body, const ScanHooks &hooks, const HitSink &sink,
             const std::function<qsizetype(qsizetype from)> &next,
             const std::function<PageHit(qsizetype &position)> &hitAt);
