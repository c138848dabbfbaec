#pragma once

#include "base/downloadservice.h"
#include "batch/batchhit.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class IMessageBox;

// How a preview reaches the rest of the program.
struct BatchPreviewIo {
    DownloadFunction download;  // the program-wide download when empty
    IMessageBox *box = nullptr; // the program-wide message box when null
    std::function<void(const QString &)> status;
    // Lets the window show "Preparing Preview" before the download waits.
    std::function<void()> yield;
    QString previewFile; // where the picture is fetched to ("preview.jpg")
    QSize fit;           // a larger picture is decoded scaled down into this size
};

// What the preview area shows for a hit.
struct BatchPreview {
    bool shown = false;
    QImage picture;     // upright, scaled down into the fit
    QSize size;         // the picture's own, upright
    QString sizeText;   // "37 Kbytes"
    QString resolution; // "500x500"
    QString site;       // "Vantory", "Brinsell" or "Unknown"
};

// Fetches the picture of a hit's record into the preview file and reads what
// the preview area shows of it. A download that fails, a picture that does
// not decode and a record that cannot be read end in "Preview Failed"; the
// first and the last also say so in a message. Nothing is shown then: the
// area is to be cleared.
BatchPreview previewBatchHit(const BatchHit &hit, const BatchPreviewIo &io);
