#pragma once

#include <QByteArray>
#include <QString>

// One loaded retailer page, as the search driver and the batch run need it.
struct LoadedPage
{
    bool ok = false;     // false: network error, HTTP error status or time-out
    QString locationUrl; // address actually loaded, after redirects
    QString body;        // markup of the page body
    int httpStatus = 0;  // 0 when no response arrived
    // Why a load failed, as far as a retry needs to know.
    QByteArray retryAfter;        // the answer's Retry-After header as sent
    bool connectionReset = false; // the connection broke before the whole answer
    bool timedOut = false;        // no whole answer within the time-out
};

// Where the search driver and the batch run get their pages from: the real
// hidden fetcher (PageFetcher) or a test's in-memory pages.
class IPageSource
{
public:
    virtual ~IPageSource() = default;
    // Loads the address and returns when the load has ended. Implementations
    // that wait keep the event loop running meanwhile.
    virtual LoadedPage load(const QString &url) = 0;
};
