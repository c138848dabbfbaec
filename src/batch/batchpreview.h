#pragma once

#include "base/downloadservice.h"
#include "batch/batchhit.h"

#include <QImage>
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
};

// What the preview area shows for a hit.
struct BatchPreview {
    bool shown = false;
    QImage picture;
    QString sizeText;   // "37 Kbytes"
    QString resolution; // "500x500"
    QString site;       // "Vantory", "Brinsell" or "Unknown"
};

// Fetches the picture of a hit's record into the preview file and reads what
// the preview area shows of it. A download that fails or does not decode as a
// picture, and a record that cannot be read, end in "Preview Failed" and a
// message; nothing is shown then, so the area keeps its last picture.
BatchPreview previewBatchHit(const BatchHit &hit, const BatchPreviewIo &io);
