#pragma once

#include "base/downloadservice.h"

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

enum class PictureCheck { Ok, Empty, Unreadable };
// Decodes the file: Empty for a retailer's 1 by 1 pixel "no picture"
// placeholder, Unreadable when it is not a picture at all.
PictureCheck check(const QString &path);

enum class FetchResult { Ok, DownloadFailed, Empty, NotAPicture };
// Downloads url to the scratch file (any old one goes first) and checks it.
// Anything but Ok leaves no scratch file. An empty download function means
// the program-wide URLDownloadToFile.
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
