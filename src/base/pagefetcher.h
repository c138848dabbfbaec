#pragma once

#include "base/pagesource.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// The hidden page fetcher (WebBrowser1): loads pages over HTTP, following
// redirects as a browser does, each load with its own time-out and size cap.
// Its core starts any number of loads side by side and hands each page back
// as it comes (IAsyncPageSource); the browser's one-page operations and the
// waiting load() of the batch run are built on it.
class PageFetcher : public QObject, public IPageSource, public IAsyncPageSource
{
    Q_OBJECT
public:
    // `network` is the connection pool to load through; nullptr: the
    // program's own (programNetwork).
    explicit PageFetcher(QObject *parent = nullptr, QNetworkAccessManager *network = nullptr);
    ~PageFetcher() override;

    quint64 start(const QString &url, Done done) override;
    void abort(quint64 load) override;
    // Loads started and neither done nor aborted.
    int pending() const { return int(m_loads.size()); }

    // Starts loading one page and returns at once (a page still loading from
    // the last call is given up).
    void Navigate(const QString &url);
    // True while that page is still loading.
    bool Busy() const;
    // Address of the page actually loaded, after any redirects.
    QString LocationURL() const;
    // The loaded page's body markup.
    QString BodyHtml() const;

    // Navigate and wait with the event loop running until the load ends (the
    // time-out is a failed load). The batch run loads its pages this way.
    LoadedPage load(const QString &url) override;

    // The time-out of every load from its start, in milliseconds.
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
    // The page of Navigate has loaded (or failed).
    void loadFinished(bool ok);

private:
    struct Load {
        QPointer<QNetworkReply> reply;
        Done done;
        bool timedOut = false;
        bool tooLarge = false;
    };
    void finish(quint64 id);
    // Cuts a load short, noting why in its flag; finish then reports it.
    void cutShort(quint64 id, bool Load::*why);
    // The load out of the pending ones, or nothing when it has already ended.
    std::optional<Load> take(quint64 id);
    // Stops the reply of a load that is no longer wanted.
    void drop(Load &load);

    QPointer<QNetworkAccessManager> m_network;
    std::map<quint64, Load> m_loads;
    quint64 m_lastLoad = 0;
    quint64 m_navigation = 0; // the load of Navigate, 0 once it has ended
    LoadedPage m_page;        // the page of Navigate
    int m_timeoutMs = 30000;
    std::function<bool()> m_cancelled;
};
