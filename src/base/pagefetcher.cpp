#include "base/pagefetcher.h"

#include "base/cp1252.h"
#include "base/networkaccess.h"
#include "base/version.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

namespace
{

constexpr qint64 kMaxPageBytes = 16 * 1024 * 1024;

} // namespace

PageFetcher::PageFetcher(QObject *parent, QNetworkAccessManager *network)
    : QObject(parent), m_network(network ? network : programNetwork())
{
}

PageFetcher::~PageFetcher()
{
    // The pool outlives the fetcher: no reply may call back into it.
    for (auto &[id, load] : m_loads)
        drop(load);
}

QUrl PageFetcher::toRequestUrl(const QString &address)
{
    return QUrl(address, QUrl::TolerantMode);
}

void PageFetcher::drop(Load &load)
{
    if (QNetworkReply *reply = load.reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

quint64 PageFetcher::start(const QString &url, Done done)
{
    const quint64 id = ++m_lastLoad;
    QNetworkRequest request(toRequestUrl(url));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kUserAgent));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    QNetworkReply *reply = m_network->get(request);
    m_loads[id] = Load{reply, std::move(done)};
    connect(reply, &QNetworkReply::finished, this, [this, id] { finish(id); });
    // A result page is never this large; an endless answer must not fill memory.
    connect(reply, &QNetworkReply::downloadProgress, this, [this, id](qint64 received, qint64) {
        if (received > kMaxPageBytes)
            cutShort(id, &Load::tooLarge);
    });
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, id] { cutShort(id, &Load::timedOut); });
    timer->start(m_timeoutMs);
    return id;
}

void PageFetcher::cutShort(quint64 id, bool Load::*why)
{
    const auto it = m_loads.find(id);
    if (it != m_loads.end()) {
        it->second.*why = true;
        it->second.reply->abort();
    }
}

std::optional<PageFetcher::Load> PageFetcher::take(quint64 id)
{
    const auto it = m_loads.find(id);
    if (it == m_loads.end())
        return std::nullopt;
    Load load = std::move(it->second);
    m_loads.erase(it);
    return load;
}

void PageFetcher::abort(quint64 load)
{
    if (std::optional<Load> gone = take(load))
        drop(*gone);
}

void PageFetcher::finish(quint64 id)
{
    std::optional<Load> taken = take(id);
    if (!taken)
        return;
    Load &load = *taken;
    QNetworkReply *reply = load.reply;
    LoadedPage page;
    page.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    page.locationUrl = reply->url().toString();
    page.ok =
        reply->error() == QNetworkReply::NoError && page.httpStatus >= 200 && page.httpStatus < 300;
    page.retryAfter = reply->rawHeader("Retry-After");
    page.connectionReset = reply->error() == QNetworkReply::RemoteHostClosedError;
    page.timedOut = load.timedOut || reply->error() == QNetworkReply::TimeoutError;
    if (!load.timedOut && !load.tooLarge)
        page.body = extractBody(
            decode(reply->readAll(),
                   reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1()));
    reply->deleteLater();
    load.done(page);
}

void PageFetcher::Navigate(const QString &url)
{
    abort(m_navigation);
    m_page = LoadedPage();
    m_page.locationUrl = url;
    m_navigation = start(url, [this](const LoadedPage &page) {
        m_navigation = 0;
        m_page = page;
        emit loadFinished(page.ok);
    });
}

bool PageFetcher::Busy() const
{
    return m_navigation != 0;
}

QString PageFetcher::LocationURL() const
{
    return m_page.locationUrl;
}

QString PageFetcher::BodyHtml() const
{
    return m_page.body;
}

LoadedPage PageFetcher::load(const QString &url)
{
    Navigate(url);
    QEventLoop loop;
    connect(this, &PageFetcher::loadFinished, &loop, &QEventLoop::quit);
    QTimer cancelCheck;
    if (m_cancelled) {
        connect(&cancelCheck, &QTimer::timeout, &loop, [this, &loop] {
            if (m_cancelled())
                loop.quit();
        });
        cancelCheck.start(50);
    }
    loop.exec();
    if (Busy()) {
        // Cancelled (or the application is leaving): give the page up, as a
        // failed load that is not worth another try.
        abort(m_navigation);
        m_navigation = 0;
        m_page = LoadedPage();
        m_page.locationUrl = url;
    }
    return m_page;
}

QString PageFetcher::extractBody(const QString &html)
{
    // The opening tag is the first "<body" (any case) followed by ">", or by
    // a blank and then anything up to the next ">". An opening whose tag never
    // closes leaves no ">" for any later one either, so one forward scan
    // decides, however many such openings a long page holds.
    const QStringView text(html);
    const QLatin1StringView open("<body");
    qsizetype start = -1;
    for (qsizetype at = text.indexOf(open, 0, Qt::CaseInsensitive); at >= 0 && start < 0;
         at = text.indexOf(open, at + 1, Qt::CaseInsensitive)) {
        const qsizetype next = at + open.size();
        const char16_t c = next < text.size() ? text[next].unicode() : u'\0';
        if (c == u'>') {
            start = next + 1;
        } else if (c == u' ' || (c >= u'\t' && c <= u'\r')) {
            const qsizetype close = text.indexOf(u'>', next);
            if (close < 0)
                return html;
            start = close + 1;
        }
    }
    if (start < 0)
        return html;
    qsizetype end = html.lastIndexOf(QLatin1String("</body>"), -1, Qt::CaseInsensitive);
    if (end < start)
        end = html.size();
    return html.mid(start, end - start);
}

QString PageFetcher::decode(const QByteArray &bytes, const QByteArray &contentType)
{
    static const QRegularExpression charsetRe(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charsetRe.match(QString::fromLatin1(contentType));
    if (m.hasMatch()) {
        const QByteArray name = m.captured(1).toLatin1().toLower();
        if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" ||
            name == "latin1" || name == "us-ascii")
            return fromCp1252(bytes);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1252(bytes);
}
