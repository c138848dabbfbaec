#pragma once

#include "base/pagesource.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// The hidden page fetcher (WebBrowser1): loads one page at a time over HTTP,
// following redirects as a browser does and keeping cookies for its life.
class PageFetcher : public QObject, public IPageSource
{
    Q_OBJECT
public:
    explicit PageFetcher(QObject *parent = nullptr);
    ~PageFetcher() override;

    // Starts loading and returns at once.
    void Navigate(const QString &url);
    // True while the page is still loading.
    bool Busy() const;
    // Address of the page actually loaded, after any redirects.
    QString LocationURL() const;
    // The loaded page's body markup.
    QString BodyHtml() const;
    // Whether the last load ended with a usable page (2xx, no network error).
    bool LoadSucceeded() const;
    int HttpStatus() const;

    // Navigate and wait with the event loop running until the load ends or the
    // time-out passes (a time-out is a failed load).
    LoadedPage load(const QString &url) override;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Looked at while load() waits: once it is true the page is given up at
    // once, as a failed load, so a Cancel does not wait for a slow page.
    void setCancelTest(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    int timeoutMs() const { return m_timeoutMs; }

    // Turns a request address into a QUrl the way a browser's address bar
    // would: blanks become %20, "&" in the query stays as typed.
    static QUrl toRequestUrl(const QString &address);
    // The text between the end of the opening <body ...> tag and the last
    // </body> (case-insensitive); the whole text when there is no body tag.
    static QString extractBody(const QString &html);
    // Decodes a response: the charset of the Content-Type header, else UTF-8,
    // falling back to Windows-1252 when the bytes are not valid UTF-8.
    static QString decode(const QByteArray &bytes, const QByteArray &contentType);

signals:
    void loadFinished(bool ok);

private:
    void finish(QNetworkReply *reply);
    void abortCurrent();

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_location;
    QString m_body;
    int m_httpStatus = 0;
    QByteArray m_retryAfter;
    bool m_connectionReset = false;
    bool m_timedOut = false;
    bool m_tooLarge = false;
    bool m_ok = false;
    bool m_busy = false;
    int m_timeoutMs = 30000;
    std::function<bool()> m_cancelled;
};
