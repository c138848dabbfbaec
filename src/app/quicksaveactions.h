#pragma once

#include <QString>

#include <functional>

class QLabel;
class QWidget;
class SearchResults;
class WebSearchView;

// The main window's two ways into Quick Save and the compare window, kept
// here so the window's handlers stay one line each.

// Saves the picture of a results page's Quick Save link (the target as the
// page wrote it) into folder. A link of an earlier results page is refused
// with a message. Open compare windows are closed first.
void quickSaveLink(QWidget *window, const QString &target, const SearchResults &results,
                   const QString &folder);

// The Compare button: reads the "C1" ticks of the page view shows, downloads
// the two ticked hits' pictures and opens a non-modal compare window whose
// Quick Save writes into the folder targetFolder gives at that moment.
// status shows the progress text meanwhile and gets its text back after.
void compareTickedHits(QWidget *window, WebSearchView *view, const SearchResults &results,
                       QLabel *status, std::function<QString()> targetFolder);
