#include "base/requestpacer.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <climits>

namespace
{

constexpr qint64 kBackoffMs[RequestPacer::kMaxRetries] = {2000, 8000};
// The cancel test is a plain function, not a signal: looking at it this often
// ends a wait within a blink of the click.
constexpr int kCancelPollMs = 20;

// Retry-After in its seconds form; an HTTP date or anything else is ignored.
std::optional<qint64> retryAfterMs(const QByteArray &header)
{
    const QByteArray text = header.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    // Too long to read as a number is still a request to wait long.
    if (text.size() > 12)
        return RequestPacer::kMaxRetryAfterMs;
    return qMin(text.toLongLong() * 1000, RequestPacer::kMaxRetryAfterMs);
}

bool turnedAway(int httpStatus)
{
    return httpStatus == 429 || httpStatus == 503;
}

} // namespace

RequestPacer::RequestPacer(int intervalMs, IPageSource *pages)
    : m_intervalMs(qMax(0, intervalMs)), m_pages(pages), m_download(&downloadToFile), m_now([] {
          return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
      }),
      m_sleep(&RequestPacer::waitWithEvents)
{
}

void RequestPacer::setClock(Clock now, Sleep sleep)
{
    m_now = std::move(now);
    m_sleep = std::move(sleep);
}

LoadedPage RequestPacer::load(const QString &url)
{
    const LoadedPage refused;
    if (!m_pages)
        return refused;
    return withRetries(url, refused, [&] { return m_pages->load(url); });
}

DownloadResult RequestPacer::downloadResult(const QString &url, const QString &path)
{
    DownloadResult refused;
    refused.error = QStringLiteral("Cancelled");
    return withRetries(url, refused, [&] { return m_download(url, path); });
}

int RequestPacer::download(const QString &url, const QString &path)
{
    const DownloadResult r = downloadResult(url, path);
    if (r.ok())
        return 0;
    return r.httpStatus != 0 ? r.httpStatus : 1;
}

RequestPacer::Download RequestPacer::downloadFunction()
{
    return [this](const QString &url, const QString &path) { return downloadResult(url, path); };
}

template <typename Result, typename Attempt>
Result RequestPacer::withRetries(const QString &url, Result refused, Attempt attempt)
{
    const QString host = hostKey(url);
    Result result = std::move(refused);
    for (int retries = 0;; ++retries) {
        if (!waitForTurn(host))
            return result;
        result = attempt();
        const Outcome outcome = outcomeOf(result);
        if (outcome.ok)
            return result;
        // A server that says how long to stay away means every request to
        // it, not only this one: the next address waits too, even when this
        // one is not asked for again.
        const std::optional<qint64> asked =
            turnedAway(outcome.httpStatus) ? retryAfterMs(outcome.retryAfter) : std::nullopt;
        if (asked)
            m_pausedUntil.insert(host, qMax(m_pausedUntil.value(host), m_now() + *asked));
        const std::optional<qint64> delay =
            retryDelayMs(outcome.httpStatus, outcome.connectionReset, outcome.timedOut,
                         outcome.retryAfter, retries);
        if (!delay || (!asked && !m_sleep(*delay, m_cancelled)))
            return result;
    }
}

bool RequestPacer::waitForTurn(const QString &host)
{
    std::optional<qint64> due;
    if (const auto last = m_lastStart.constFind(host); last != m_lastStart.cend())
        due = *last + m_intervalMs;
    if (const auto paused = m_pausedUntil.constFind(host); paused != m_pausedUntil.cend())
        due = qMax(due.value_or(*paused), *paused);
    if (due) {
        const qint64 wait = *due - m_now();
        if (wait > 0 && !m_sleep(wait, m_cancelled))
            return false;
    }
    m_lastStart.insert(host, m_now());
    return true;
}

RequestPacer::Outcome RequestPacer::outcomeOf(const LoadedPage &page)
{
    return {page.ok, page.httpStatus, page.connectionReset, page.timedOut, page.retryAfter};
}

RequestPacer::Outcome RequestPacer::outcomeOf(const DownloadResult &result)
{
    return {result.ok(), result.httpStatus, result.connectionReset,
            result.status == DownloadResult::Status::TimedOut, result.retryAfter};
}

std::optional<qint64> RequestPacer::retryDelayMs(int httpStatus, bool connectionReset,
                                                 bool timedOut, const QByteArray &retryAfter,
                                                 int retriesDone)
{
    if (retriesDone < 0 || retriesDone >= kMaxRetries)
        return std::nullopt;
    if (!turnedAway(httpStatus) && !connectionReset && !timedOut)
        return std::nullopt;
    if (turnedAway(httpStatus)) {
        if (const std::optional<qint64> asked = retryAfterMs(retryAfter))
            return asked;
    }
    return kBackoffMs[retriesDone];
}

bool RequestPacer::waitWithEvents(qint64 ms, const std::function<bool()> &cancelled)
{
    const auto isCancelled = [&cancelled] { return cancelled && cancelled(); };
    if (isCancelled())
        return false;
    if (ms <= 0)
        return true;
    QEventLoop loop;
    bool reached = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        reached = true;
        loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (isCancelled())
            loop.quit();
    });
    deadline.start(int(qMin<qint64>(ms, INT_MAX)));
    poll.start(kCancelPollMs);
    // Also ends, unreached, when the application is leaving (its exit ends
    // every nested loop): that counts as cut short.
    loop.exec();
    return reached;
}

QString RequestPacer::hostKey(const QString &url)
{
    const QUrl u(url, QUrl::TolerantMode);
    const int defaultPort =
        u.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
    return u.host().toLower() + QLatin1Char(':') + QString::number(u.port(defaultPort));
}
