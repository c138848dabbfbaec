#pragma once

#include "base/foldertree.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class IMessageBox;

// The batch window's crops of a picture it has just saved: Crop & Save, and
// the Auto-Crop setting, which cuts a DVD picture from Vantory that the batch
// saves (by a run or by a download) to its middle 350x500 when it comes as
// the usual 500x500 square, upright. A failed crop leaves the picture as saved.

enum class AutoCropOutcome { NotDue, Cropped, Failed };

// Whether a saved picture is one Auto-Crop cuts.
bool autoCropDue(BatchType type, bool fromVantory, const QSize &pictureSize);

// Cuts the picture saved at path in place when Auto-Crop is due for it. box
// hears the crop's own message on a failure; null says nothing (a run must
// not stop for it).
AutoCropOutcome autoCropSaved(const QString &path, BatchType type, bool fromVantory,
                              IMessageBox *box);

// Crop & Save's crop of the picture just downloaded to path, as loaded from
// it: "Cropping " + path, then path + " Complete", or the batch's own failure
// message and status. Returns the cropped picture (null when there was no
// picture to crop).
QImage cropSavedPicture(const QImage &picture, const QString &path, IMessageBox &box,
                        const std::function<void(const QString &)> &status);

// The batch's message and status for a crop that failed after the download.
void reportCropFailed(IMessageBox &box, const std::function<void(const QString &)> &status);
