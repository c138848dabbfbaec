#include "search/quicksaveactions.h"

#include "app/appfolder.h"
#include "app/messagebox.h"
#include "app/modjacketeer.h"
#include "app/websearchview.h"
#include "search/frmcompare.h"
#include "search/picturecompare.h"
#include "search/quicksave.h"
#include "search/quicksavetexts.h"
#include "search/searchresults.h"

#include <QLabel>
#include <QPointer>

namespace T = QuickSaveTexts;

void quickSaveLink(QWidget *window, const QString &target, const SearchResults &results,
                   const QString &folder)
{
    const QuickSaveHit hit = resolveQuickSaveLink(target, results);
    if (!hit.known) {
        messageBox().show(T::staleLink, T::quickSaveTitle, MsgButtons::OkOnly,
                          MsgIcon::Exclamation);
        return;
    }
    // An open compare window shows the "compare2.jpg" this save is about to replace.
    frmCompare::closeAll();
    QuickSaveJob job;
    job.address = hit.address;
    job.artist = hit.artist;
    job.album = hit.album;
    job.templateName = modJacketeer().qsName;
    job.folder = folder;
    job.appDir = appFolder();
    runQuickSave(job, {}, messageBox(), frmCompare::replaceHook(window));
}

void compareTickedHits(QWidget *window, WebSearchView *view, const SearchResults &results,
                       QLabel *status, std::function<QString()> targetFolder)
{
    const QList<bool> ticks = view->formChecks(QStringLiteral("C1"));
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
                                                           label->setText(T::preparingCompare);
                                                           label->repaint();
                                                           statusChanged = true;
                                                       }
                                                   });
    if (setup.ready)
        frmCompare::openTwoHit(setup.hits, std::move(targetFolder), window);
    if (statusChanged && label)
        label->setText(previous);
}
