#include "base/pagefetcher.h"
#include "base/version.h"

#include "base/cp1252.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
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

PageFetcher::PageFetcher(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_network->setCookieJar(new QNetworkCookieJar(m_network));
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

PageFetcher::~PageFetcher()
{
    abortCurrent();
}

QUrl PageFetcher::toRequestUrl(const QString &address)
{
    return QUrl(address, QUrl::TolerantMode);
}

void PageFetcher::abortCurrent()
{
    if (m_reply) {
        QNetworkReply *old = m_reply;
        m_reply = nullptr;
        old->disconnect(this);
        old->abort();
        old->deleteLater();
    }
}

void PageFetcher::Navigate(const QString &url)
{
    abortCurrent();
    m_busy = true;
    m_ok = false;
    m_httpStatus = 0;
    m_retryAfter.clear();
    m_connectionReset = false;
    m_timedOut = false;
    m_tooLarge = false;
    m_body.clear();
    m_location = url;

    QNetworkRequest request(toRequestUrl(url));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kUserAgent));
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
    // A result page is never this large; an endless answer must not fill memory.
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaxPageBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
}

void PageFetcher::finish(QNetworkReply *reply)
{
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_location = reply->url().toString();
    const QByteArray bytes = reply->readAll();
    m_ok = reply->error() == QNetworkReply::NoError && m_httpStatus >= 200 && m_httpStatus < 300;
    m_retryAfter = reply->rawHeader("Retry-After");
    m_connectionReset = reply->error() == QNetworkReply::RemoteHostClosedError;
    // The transfer time-out aborts the reply; so does the size cap.
    m_timedOut = reply->error() == QNetworkReply::TimeoutError ||
                 (reply->error() == QNetworkReply::OperationCanceledError && !m_tooLarge);
    m_body = extractBody(
        decode(bytes, reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1()));
    reply->deleteLater();
    m_busy = false;
    emit loadFinished(m_ok);
}

bool PageFetcher::Busy() const
{
    return m_busy;
}

QString PageFetcher::LocationURL() const
{
    return m_location;
}

QString PageFetcher::BodyHtml() const
{
    return m_body;
}

bool PageFetcher::LoadSucceeded() const
{
    return m_ok;
}

int PageFetcher::HttpStatus() const
{
    return m_httpStatus;
}

LoadedPage PageFetcher::load(const QString &url)
{
    Navigate(url);
    if (m_busy) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &PageFetcher::loadFinished, &loop, &QEventLoop::quit);
        QTimer cancelCheck;
        if (m_cancelled) {
            connect(&cancelCheck, &QTimer::timeout, &loop, [this, &loop] {
                if (m_cancelled())
                    loop.quit();
            });
            cancelCheck.start(50);
        }
        timer.start(m_timeoutMs);
        loop.exec();
        if (m_busy) {
            // Timed out or cancelled: give up on this page, as a failed load.
            // Only a time-out is worth another try.
            m_timedOut = timer.remainingTime() <= 0;
            abortCurrent();
            m_busy = false;
            m_ok = false;
            m_body.clear();
        }
    }
    LoadedPage page;
    page.ok = m_ok;
    page.locationUrl = m_location;
    page.body = m_body;
    page.httpStatus = m_httpStatus;
    page.retryAfter = m_retryAfter;
    page.connectionReset = m_connectionReset;
    page.timedOut = m_timedOut;
    return page;
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
