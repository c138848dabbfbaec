#pragma once

#include "base/downloadservice.h"
#include "base/pagesource.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

// Holds, for each host, when the last request to it started, and starts the
// next one no sooner than the interval after it; a page or picture the server
// turned away (429, 503) or that was lost (connection reset, time-out) is
// asked for again, at most twice, after the server's Retry-After or else
// 2 s, then 8 s. A Retry-After holds every request to that host, the next
// addresses too, until it has passed. It wraps a page source and a download
// call, so a long run loads and downloads through it as it would directly;
// only a load that still fails after its retries comes back as failed.
class RequestPacer : public IPageSource
{
public:
    using Download = std::function<DownloadResult(const QString &url, const QString &path)>;
    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;
    // Waits `ms`, ending at once when `cancelled` turns true; false when the
    // wait was cut short.
    using Sleep = std::function<bool(qint64 ms, const std::function<bool()> &cancelled)>;

    static constexpr int kMaxRetries = 2;
    static constexpr qint64 kMaxRetryAfterMs = 60000;

    // `pages` may be null when only downloads go through the pacer.
    explicit RequestPacer(int intervalMs, IPageSource *pages = nullptr);

    // The call download() wraps; downloadToFile (the program-wide call) by default.
    void setDownload(Download download) { m_download = std::move(download); }
    // Looked at during every wait (it does not stop a request that needs no
    // wait): when it turns true the wait ends, no further attempt is made and
    // the last failure comes back, or, before the first attempt, a failure
    // with no answer (a page with no address, a download with no status).
    void setCancelTest(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // A test's clock and sleep instead of the real ones.
    void setClock(Clock now, Sleep sleep);

    LoadedPage load(const QString &url) override;
    DownloadResult downloadResult(const QString &url, const QString &path);
    // downloadResult as URLDownloadToFile reports it: 0 when the file is there.
    int download(const QString &url, const QString &path);
    // downloadResult() as a function; valid while the pacer lives.
    Download downloadFunction();

    // How long to wait before asking again after a failed attempt, given the
    // retries of this request already made; nothing when it is not asked again.
    static std::optional<qint64> retryDelayMs(int httpStatus, bool connectionReset, bool timedOut,
                                              const QByteArray &retryAfter, int retriesDone);
    // The real sleep: a nested event loop, so the window stays live and a
    // Cancel click is seen while it waits.
    static bool waitWithEvents(qint64 ms, const std::function<bool()> &cancelled);
    // What "one host" means for the interval: host name and port.
    static QString hostKey(const QString &url);

private:
    struct Outcome {
        bool ok = false;
        int httpStatus = 0;
        bool connectionReset = false;
        bool timedOut = false;
        QByteArray retryAfter;
    };
    static Outcome outcomeOf(const LoadedPage &page);
    static Outcome outcomeOf(const DownloadResult &result);
    template <typename Result, typename Attempt>
    Result withRetries(const QString &url, Result refused, Attempt attempt);
    // Waits until the host's interval has passed and marks the request as
    // started; false when the wait was cancelled.
    bool waitForTurn(const QString &host);

    int m_intervalMs;
    IPageSource *m_pages;
    Download m_download;
    std::function<bool()> m_cancelled;
    Clock m_now;
    Sleep m_sleep;
    QHash<QString, qint64> m_lastStart;
    QHash<QString, qint64> m_pausedUntil; // as the host's last Retry-After asked
};
