#include "app/quicksaveactions.h"

#include "base/appfolder.h"
#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "app/websearchview.h"
#include "cover/covertexts.h"
#include "cover/frmcompare.h"
#include "search/quicksave.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"

#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>

namespace T = SearchTexts;

namespace
{

struct PageForms {
    bool read = false;
    QList<bool> ticks; // the "C1" box of each form, in page order
    QStringList links; // the Quick Save link of each form's hit, as the page wrote it
};

// Reads every form's tick and its hit's Quick Save link from the page on show.
// The link is the first one in the second row of the form's table; the
// attribute is read as written, not resolved against the page's address.
PageForms readPageForms(WebSearchView *view, int timeoutMs = 5000)
{
    struct Answer {
        PageForms forms;
        QEventLoop loop;
    };
    // The answer may arrive after a time-out, so it lands in shared state.
    auto answer = std::make_shared<Answer>();
    // Nothing shown yet: a blank page has no forms, and reading them must not
    // start the web engine.
    if (!view->engineStarted()) {
        answer->forms.read = true;
        return answer->forms;
    }
    const QString script =
        QStringLiteral("(function(){var r=[];for(var i=0;i<document.forms.length;i++){"
                       "var f=document.forms[i];var e=f.elements['C1'];var t=f.closest('table');"
                       "var a=t&&t.rows.length>1?t.rows[1].querySelector('a'):null;"
                       "r.push([!!(e&&e.checked),a?(a.getAttribute('href')||''):'']);}"
                       "return r;})()");
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                [answer](const QVariant &value) {
                                    for (const QVariant &v : value.toList()) {
                                        const QVariantList pair = v.toList();
                                        answer->forms.ticks.append(pair.value(0).toBool());
                                        answer->forms.links.append(pair.value(1).toString());
                                    }
                                    answer->forms.read = true;
                                    answer->loop.quit();
                                });
    if (!answer->forms.read) {
        QTimer::singleShot(timeoutMs, &answer->loop, &QEventLoop::quit);
        answer->loop.exec();
    }
    return answer->forms.read ? answer->forms : PageForms{};
}

} // namespace

void quickSaveLink(QWidget *window, const QString &target, const SearchResults &results,
                   const QString &folder)
{
    // The download lets queued events run, and a double click on a link
    // queues a second save of the same picture: it would run inside the first
    // and leave the first to ask whether to replace the picture just saved.
    static bool saving = false;
    if (saving)
        return;
    const QScopedValueRollback<bool> busy(saving, true);
    const QuickSaveHit hit = resolveQuickSaveLink(target, results);
    if (!hit.known) {
        messageBox().show(T::kStaleLink, CoverTexts::kQuickSave, MsgButtons::OkOnly,
                          MsgIcon::Exclamation);
        return;
    }
    // An open compare window shows the "compare2.jpg" this save is about to replace.
    frmCompare::closeAll();
    const CoverSaveJob job{hit.address,           hit.artist, hit.album,
                           modJacketeer().qsName, folder,     appFolder()};
    runQuickSave(job, {}, messageBox(), frmCompare::replaceHook(window));
}

void compareTickedHits(QWidget *window, WebSearchView *view, const SearchResults &results,
                       QLabel *status, std::function<QString()> targetFolder)
{
    const PageForms forms = readPageForms(view);
    if (!ticksMatchResults(forms.ticks, forms.links, lookupIn(results))) {
        messageBox().show(T::kStaleCompare, CoverTexts::kErrorTitle, MsgButtons::OkOnly,
                          MsgIcon::Exclamation);
        return;
    }
    const QList<bool> &ticks = forms.ticks;
    QPointer<QLabel> label(status);
    QString previous;
    bool statusChanged = false;
    const TwoHitSetup setup = prepareTwoHitCompare(ticks, results.count(), lookupIn(results), {},
                                                   messageBox(), appFolder(), [&] {
                                                       // A compare window left open would save the
                                                       // pictures about to be fetched under its own
                                                       // hits' names.
                                                       frmCompare::closeAll();
                                                       if (label) {
                                                           previous = label->text();
                                                           label->setText(T::kPreparingCompare);
                                                           label->repaint();
                                                           statusChanged = true;
                                                       }
                                                   });
    if (setup.ready)
        frmCompare::openTwoHit(setup.hits, std::move(targetFolder), window);
    if (statusChanged && label)
        label->setText(previous);
}
