#pragma once

#include "base/downloadservice.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// A cover picture in a collection folder: the name the Quick Save template
// gives it, the check that a downloaded file is a real picture, and its
// placement without loss. Quick Save, the compare window and the batch run
// share it, so a picture is named, checked and replaced the same way by all.
namespace CoverFile
{

// Replaces every "/", "\", ":", ">", "<", "*", "?", double quote and "|" by "-".
QString cleanFileName(const QString &name);

// The folder's own name: the part of its path after the last "/" (a trailing
// "/" is ignored; the root gives "").
QString folderName(const QString &folderPath);

// The full path of the picture: the template plus ".jpg" with every
// "@artist@", then "@album@", then "@folder@" replaced (exact case), cleaned,
// blanks trimmed, inside the folder; it never leaves the folder. A DVD has no
// album: the caller passes "".
QString target(const QString &templateName, const QString &artist, const QString &album,
               const QString &folderPath);

// Pictures as servers send them: a picture counts only when it decodes
// completely (for a JPEG: no decoder warning, and its data reaches the
// end-of-image marker), its EXIF orientation is applied wherever it is
// measured or shown, and one of up to 16384 x 16384 pixels is accepted. A
// JPEG is checked at an eighth of its size, which still reads all its data, so
// a 12,000 x 12,000 picture costs a few megabytes.
enum class PictureCheck { Ok, Empty, Unreadable };
// Empty for a retailer's 1 by 1 pixel "no picture" placeholder, Unreadable
// when the file is not a whole picture. size, when given, receives the
// picture's upright size.
PictureCheck check(const QString &path, QSize *size = nullptr);

// The upright size from the file's header alone; invalid when it is no picture.
QSize pictureSize(const QString &path);

// Decodes the picture upright; null when it does not decode. A picture larger
// than a valid `fit` is decoded scaled down into it, keeping its proportions,
// which for a JPEG costs little more than the smaller picture.
QImage readPicture(const QString &path, const QSize &fit = {});

// The quality a picture sent in another format is saved at as a JPEG.
inline constexpr int kConvertedQuality = 95;

enum class FetchResult { Ok, DownloadFailed, Empty, NotAPicture };
// Downloads url to the scratch file (any old one goes first) and checks it.
// What passes is a JPEG: a JPEG stays byte for byte as sent, any other
// picture (PNG, GIF, WebP, BMP, TIFF) is converted, upright, transparent parts
// on white. Anything but Ok leaves no scratch file. An empty download
// function means the program-wide URLDownloadToFile.
FetchResult fetch(const QString &url, const QString &scratch,
                  const DownloadFunction &download = {});

enum class ReplacePolicy { Ask, Always, Never };
// Asked, under ReplacePolicy::Ask, whether the existing picture at target is
// to be replaced.
using ReplaceQuestion = std::function<bool(const QString &target)>;

enum class PlaceOutcome { Saved, Replaced, KeptExisting, Failed };
struct PlaceResult {
    PlaceOutcome outcome = PlaceOutcome::Failed;
    QString error; // why, when Failed
};

// Puts a checked picture at target. An existing picture there (hidden and
// read-only ones too) is made normal and asked about (Ask; no question keeps
// it), replaced (Always) or left untouched (Never). The old picture stays
// whole until the new one is complete (FileOps::replaceWithCopy); the new one
// gets normal attributes. Reports nothing itself.
PlaceResult place(const QString &picture, const QString &target, ReplacePolicy policy,
                  const ReplaceQuestion &ask = {});

} // namespace CoverFile
