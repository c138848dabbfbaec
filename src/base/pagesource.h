#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// One loaded retailer page, as the search driver and the batch run need it.
struct LoadedPage {
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

// Where the interactive search gets its pages without waiting for them: each
// load starts at once and its page comes back later, from the event loop.
class IAsyncPageSource
{
public:
    using Done = std::function<void(const LoadedPage &page)>;
    virtual ~IAsyncPageSource() = default;
    // Starts loading the address and returns the load's number; `done` is
    // called once, never from within start(), unless the load is aborted first.
    virtual quint64 start(const QString &url, Done done) = 0;
    // Gives a load up at once; its `done` is not called.
    virtual void abort(quint64 load) = 0;
};
