#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>

#include <functional>

class QWebEngineView;
class WebSearchPage;

// The visible results view (websearch). Page script is off because hit texts
// come from retailer pages unescaped; the program reads the page's check boxes
// itself from the application's own script world.
//
// The web engine (a page, its view and the helper processes, well over
// 100 MiB together) is made only when the first search starts or the view
// first has to show something other than the blank page; until then the view
// is a plain white area, as a blank page looks.
class WebSearchView : public QWidget
{
    Q_OBJECT
public:
    // Called before every navigation with the target as the results page wrote
    // it (a relative link comes back without the results folder's address).
    // Setting cancel stops the navigation and keeps the current page shown.
    using BeforeNavigate = std::function<void(const QString &target, bool &cancel)>;

    explicit WebSearchView(QWidget *parent = nullptr);

    // Shows a local file (full path) or "about:blank".
    void Navigate2(const QString &pathOrBlank);
    // Goes back one page; does nothing when there is none.
    void GoBack();

    void setBeforeNavigate(BeforeNavigate hook) { m_beforeNavigate = std::move(hook); }

    // Whether the element named `element` of each form (in document order) is
    // ticked; a form without it counts as unticked. Waits for the answer with
    // the event loop running (at most timeoutMs; an empty list on time-out).
    QList<bool> formChecks(const QString &element, int timeoutMs = 5000);

    // The written form of a navigation target: a URL inside the shown local
    // file's folder is given back relative to it ("0001http://..."); other
    // URLs unchanged.
    QString writtenTarget(const QUrl &url) const;

    // Whether a navigation that the hook let through may go ahead: http(s),
    // about:blank and the local files shown with Navigate2; nothing else.
    bool isAllowed(const QUrl &url) const;

    // Blocks until the current load has finished (tests and the search
    // driver's "show" step); returns whether it succeeded.
    bool waitForLoad(int timeoutMs = 10000);

    // Makes the web engine now, ahead of the first page it will show (the
    // first search does, beside its page loads).
    void warmUp() { startEngine(); }
    // Whether the web engine has been made.
    bool engineStarted() const { return m_page != nullptr; }
    // The page on show; makes the engine when it is not there yet.
    QWebEnginePage *page();
    // The address on show ("about:blank" before the engine is made).
    QUrl url() const;
    QString title() const;

    QSize sizeHint() const override;

signals:
    void loadFinished(bool ok);

private:
    friend class WebSearchPage;
    bool beforeNavigate(const QUrl &url);
    void startEngine();

    QWebEngineView *m_view = nullptr;
    WebSearchPage *m_page = nullptr;
    BeforeNavigate m_beforeNavigate;
    QUrl m_localPage;
    // Every local page shown, so Back can return to an earlier one.
    QSet<QUrl> m_shownPages;
    bool m_loading = false;
    bool m_lastLoadOk = false;
};

class WebSearchPage : public QWebEnginePage
{
    Q_OBJECT
public:
    WebSearchPage(WebSearchView *view, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    WebSearchView *m_view;
};
