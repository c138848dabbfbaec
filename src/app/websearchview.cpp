#include "app/websearchview.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

WebSearchPage::WebSearchPage(WebSearchView *view, QObject *parent)
    : QWebEnginePage(parent), m_view(view)
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // The results page is a local file showing thumbnails from the retailers.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setDefaultTextEncoding(QStringLiteral("UTF-8"));
}

bool WebSearchPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (!isMainFrame)
        return m_view->isAllowed(url);
    return m_view->beforeNavigate(url);
}

QWebEnginePage *WebSearchPage::createWindow(WebWindowType)
{
    // Links that ask for a new window are not followed.
    return nullptr;
}

WebSearchView::WebSearchView(QWidget *parent) : QWidget(parent)
{
    // A blank page is white; the window behind would show through grey.
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QSize WebSearchView::sizeHint() const
{
    // What the web view asks for, so the window is laid out the same before
    // and after the engine is made.
    return {800, 600};
}

void WebSearchView::startEngine()
{
    if (m_page)
        return;
    m_view = new QWebEngineView(this);
    m_page = new WebSearchPage(this, m_view);
    m_view->setPage(m_page);
    setFocusProxy(m_view);
    connect(m_view, &QWebEngineView::loadStarted, this, [this] { m_loading = true; });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_loading = false;
        m_lastLoadOk = ok;
        emit loadFinished(ok);
    });
    layout()->addWidget(m_view);
    m_view->show();
}

QWebEnginePage *WebSearchView::page()
{
    startEngine();
    return m_page;
}

QUrl WebSearchView::url() const
{
    return m_view ? m_view->url() : QUrl(QStringLiteral("about:blank"));
}

QString WebSearchView::title() const
{
    return m_view ? m_view->title() : QString();
}

void WebSearchView::Navigate2(const QString &pathOrBlank)
{
    if (pathOrBlank == QLatin1String("about:blank")) {
        // The engine loads about:blank without asking the page first, so the
        // hook hears of it here.
        const QUrl blank(QStringLiteral("about:blank"));
        if (!beforeNavigate(blank))
            return;
        if (!m_view) {
            // Nothing has been shown yet: the view already looks blank.
            m_loading = false;
            m_lastLoadOk = true;
            return;
        }
        m_loading = true;
        m_view->load(blank);
        return;
    }
    startEngine();
    m_localPage = QUrl::fromLocalFile(QFileInfo(pathOrBlank).absoluteFilePath());
    m_shownPages.insert(m_localPage);
    m_loading = true;
    m_view->load(m_localPage);
}

void WebSearchView::GoBack()
{
    if (m_view && m_view->history()->canGoBack())
        m_view->back();
}

// Resolving a link against a file address escapes blanks, a few punctuation
// marks and every non-ASCII byte; those are undone. Escapes the page wrote
// itself (%26, %2F, ...) are left as they were, so a picture address comes
// back exactly as written.
static QString undoEngineEscapes(const QString &target)
{
    const QByteArray in = target.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size()) {
            bool ok = false;
            const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
            static const QByteArray engineEscaped(" \"<>`{}");
            if (ok && (byte >= 0x80 || engineEscaped.contains(char(byte)))) {
                out.append(char(byte));
                i += 2;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

QString WebSearchView::writtenTarget(const QUrl &url) const
{
    if (url.isLocalFile() && m_localPage.isValid() && !m_shownPages.contains(url)) {
        QString folder = m_localPage.adjusted(QUrl::RemoveFilename).toString(QUrl::FullyEncoded);
        const QString full = url.toString(QUrl::FullyEncoded);
        if (full.startsWith(folder))
            return undoEngineEscapes(full.mid(folder.size()));
    }
    return url.toString();
}

bool WebSearchView::isAllowed(const QUrl &url) const
{
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return true;
    if (url.toString() == QLatin1String("about:blank"))
        return true;
    return url.isLocalFile() &&
           m_shownPages.contains(url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery));
}

bool WebSearchView::beforeNavigate(const QUrl &url)
{
    bool cancel = false;
    if (m_beforeNavigate)
        m_beforeNavigate(writtenTarget(url), cancel);
    if (cancel)
        return false;
    return isAllowed(url);
}

QList<bool> WebSearchView::formChecks(const QString &element, int timeoutMs)
{
    // A blank page has no forms.
    if (!m_page)
        return {};
    // The answer may arrive after a time-out, so it lands in shared state
    // rather than in this frame.
    struct Answer {
        QList<bool> checks;
        bool done = false;
        QEventLoop loop;
    };
    auto answer = std::make_shared<Answer>();
    QString name = element;
    name.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    const QString script =
        QStringLiteral("(function(){var r=[];for(var i=0;i<document.forms.length;i++){"
                       "var e=document.forms[i].elements['%1'];r.push(!!(e&&e.checked));}"
                       "return r;})()")
            .arg(name);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [answer](const QVariant &value) {
                              for (const QVariant &v : value.toList())
                                  answer->checks.append(v.toBool());
                              answer->done = true;
                              answer->loop.quit();
                          });
    if (!answer->done) {
        QTimer::singleShot(timeoutMs, &answer->loop, &QEventLoop::quit);
        answer->loop.exec();
    }
    return answer->done ? answer->checks : QList<bool>{};
}

bool WebSearchView::waitForLoad(int timeoutMs)
{
    if (m_loading) {
        QEventLoop loop;
        connect(this, &WebSearchView::loadFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !m_loading && m_lastLoadOk;
}
