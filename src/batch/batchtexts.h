#pragma once

#include <array>

// Fixed texts of the batch window: captions, column headers, statuses and
// markers. Tests compare against these, so each text lives here only.
namespace BatchTexts
{

inline constexpr char kCaption[] = "Jacketeer - Batch Download";

// Frames, buttons and labels.
inline constexpr char kFrameResults[] = "Batch Results";
inline constexpr char kFrameType[] = "Batch Type";
inline constexpr char kOptCD[] = "CD";
inline constexpr char kOptDVD[] = "DVD";
inline constexpr char kCmdNew[] = "New";
inline constexpr char kCmdStart[] = "&Start";
inline constexpr char kCmdCancel[] = "&Cancel";
inline constexpr char kCmdCheckAll[] = "Check All";
inline constexpr char kCmdUncheckAll[] = "Uncheck All";
inline constexpr char kCmdCheckMissing[] = "Check Missing";
inline constexpr char kFrameBatched[] = "Batched Downloads";
inline constexpr char kFrameQueued[] = "Queued Downloads";
inline constexpr char kFrameSearch[] = "Current Search";
inline constexpr char kLabelArtist[] = "Artist: ";
inline constexpr char kLabelAlbum[] = "Album: ";
inline constexpr char kLabelDVD[] = "DVD: ";
inline constexpr char kLabelSite[] = "Site: ";
inline constexpr char kLabelResults[] = "Results: ";
inline constexpr char kFramePreview[] = "Cover Art Preview";
inline constexpr char kLabelWebsite[] = "Website: ";
inline constexpr char kCmdDownload[] = "Download";
inline constexpr char kCmdCrop[] = "Crop && Save";

// Menus.
inline constexpr char kMenuOptionsRestore[] = "&Restore Last Batch";
inline constexpr char kMenuOptionsUndo[] = "&Undo Last Batch";

// Queue columns: header texts (note the blank after "Directory") and keys.
inline constexpr char kColArtist[] = "Artist";
inline constexpr char kColAlbum[] = "Album";
inline constexpr char kColDirectory[] = "Directory ";
inline constexpr char kColStatus[] = "Status";
inline constexpr char kColTitle[] = "Title";
inline constexpr char kKeyArtist[] = "Artist";
inline constexpr char kKeyAlbum[] = "Album";
inline constexpr char kKeyDirectory[] = "Directory";
inline constexpr char kKeyStatus[] = "Status";

// Queue row statuses.
inline constexpr char kStatusQueued[] = "Queued";
inline constexpr char kStatusSearching[] = "Searching";
inline constexpr char kStatusSkipped[] = "Skipped";
inline constexpr char kStatusComplete[] = "Complete";
// Something could not be written in the entry's folder (its results file or
// its picture), a page or picture could not be loaded, or the matching
// picture was refused; the run went on with the next entry.
inline constexpr char kStatusFailed[] = "Failed";

// Status line.
inline constexpr char kRefreshingFolders[] = "Refreshing Folders...";
inline constexpr char kFoldersComplete[] = "Folders Complete";
inline constexpr char kLoadingResults[] = "Loading Batch Results...";
inline constexpr char kResultsComplete[] = "Batch Results Complete";
// Appended once to the status line when a scan or restore had to pass over
// folders (%1 = how many): unreadable ones and links that lead back up.
inline constexpr char kSkippedFolders[] = " (%1 folder(s) could not be read and were skipped)";
// Shown when a configured root is not there (%1 = the root as stored).
inline constexpr char kRootMissing[] = " (folder not found: %1)";

// A run: the empty-queue message, the Current Search labels, the status line.
inline constexpr char kEmptyQueueText[] = "No Artist/Albums in batch queue.";
inline constexpr char kEmptyQueueTitle[] = "Batch Error";
inline constexpr char kSiteVantory[] = "Vantory";
inline constexpr char kSiteBrinsellCD[] = "Brinsell...";
inline constexpr char kSiteBrinsellDVD[] = "Brinsell";
inline constexpr char kResultsNone[] = " 0";
inline constexpr char kRunStarted[] = "Batch Process Started - ";
inline constexpr char kRunComplete[] = "Batch Process Complete - ";
inline constexpr char kRunCancelled[] = "Batch Process Cancelled";
// Appended to the end status when entries failed (%1 = how many).
inline constexpr char kRunFailedFolders[] = " (%1 folder(s) failed)";
// Where an automatic save downloads a picture to check it, in the
// application folder.
inline constexpr char kScratchPicture[] = "batchnew.jpg";

// Preview and download of a hit (the status line's right half, the messages).
inline constexpr char kPreparingPreview[] = "Preparing Preview";
inline constexpr char kPreviewComplete[] = "Preview Complete";
inline constexpr char kPreviewFailed[] = "Preview Failed";
inline constexpr char kPreviewDownloadFailed[] = "Unable to download Cover Art from internet.";
// + the error number (see BatchHitError).
inline constexpr char kPreviewOtherFailure[] =
    "Unable to download Cover Art from internet. Error number ";
inline constexpr char kErrorTitle[] = "Error";
inline constexpr char kPreviewSiteVantory[] = "Vantory";
inline constexpr char kPreviewSiteBrinsell[] = "Brinsell";
inline constexpr char kPreviewSiteUnknown[] = "Unknown";
inline constexpr char kDownloadingCoverArt[] = "Downloading Cover Art...";
inline constexpr char kDownloadError[] = "Download Error";
inline constexpr char kEmptyCoverArt[] =
    "Cover Art was found to be empty.  Please choose another to download.";
inline constexpr char kEmptyCoverArtTitle[] = "Unable to download";
// + the error number (see BatchHitError).
inline constexpr char kDownloadOtherFailure[] =
    "An error occured.  Cover Art not downloaded.  Error number: ";
inline constexpr char kDownloadedAs[] = "Downloaded as "; // + the picture's path
inline constexpr char kOriginalNotReplaced[] = "Original Cover Art not replaced";
// Crop & Save and Auto-Crop (the picture is downloaded by then).
inline constexpr char kCropping[] = "Cropping ";     // + the picture's path
inline constexpr char kCropComplete[] = " Complete"; // the picture's path +
inline constexpr char kCropFailed[] = "Cropping of image fail.  Download successful.";
inline constexpr char kCropFailedStatus[] = "Cropping failed.  Cover Art downloaded.";
// The previewed picture, in the application folder.
inline constexpr char kPreviewPicture[] = "preview.jpg";
// After a run: the counts under the queue, which also end the batch log.
inline constexpr char kSummary[] =
    "Saved %1, replaced %2, kept %3, no match %4, no hits %5, failed %6";

// The batch log in the application folder: a header, one line per searched
// entry (folder, status, hits, the saved picture or why none was), and the
// counts.
inline constexpr char kLogFileName[] = "batch-log.csv";
inline constexpr char kLogHeader[] = "Folder,Status,Hits,Saved file or reason";
inline constexpr char kLogSummary[] = "summary";
// The word for each way an entry ends, in the order of BatchEntryStatus.
inline constexpr std::array<const char *, 7> kLogStatus = {
    "saved", "replaced", "kept", "no match", "no hits", "failed", "cancelled"};
inline constexpr char kWhyReplaceOff[] = "existing picture kept: Replace existing Cover Art is off";
inline constexpr char kWhySmaller[] = "existing %1 picture kept: the new one is %2";
inline constexpr char kWhyNoMatch[] = "no hit matched";
inline constexpr char kWhyNoHits[] = "nothing found";
inline constexpr char kWhyEmpty[] = "the matching picture was empty: %1";
inline constexpr char kWhyCancelled[] = "cancelled";
// Why an entry failed, in a few words (the console shows them; the log and the
// row's tooltip add ": " and the address or the file).
inline constexpr char kWhyPage[] = "page not loaded (%1)";
inline constexpr char kWhyDownload[] = "picture not downloaded (%1)";
inline constexpr char kWhyNotPicture[] = "the matching download was not a picture";
inline constexpr char kWhyFolder[] = "the folder could not be written";
// What the page or picture ran into (%1 of the two above).
inline constexpr char kWhyHttp[] = "HTTP %1";
inline constexpr char kWhyTimeOut[] = "time-out";
inline constexpr char kWhyConnectionLost[] = "connection lost";
inline constexpr char kWhyNetwork[] = "network error";
inline constexpr char kWhyTooLarge[] = "too large";
inline constexpr char kWhyScratch[] = "scratch file not written";
// The file of the folder that could not be written, and the error.
inline constexpr char kWhatFile[] = "%1 (%2)";

// Undo Last Batch: its question and its report.
inline constexpr char kUndoTitle[] = "Undo Last Batch";
inline constexpr char kUndoNothing[] = "There is no batch to undo.";
inline constexpr char kUndoAsk[] =
    "Undo the last batch? %1 replaced picture(s) will be put back and %2 new picture(s) "
    "removed, where they are still as the batch left them.";
inline constexpr char kUndoDone[] =
    "Put back %1 replaced picture(s) and removed %2 new picture(s).";
inline constexpr char kUndoLeftAlone[] = "\n\nChanged since the batch, so left as they are:\n%1";
inline constexpr char kUndoBackups[] =
    "\n\nThe pictures the batch replaced there stay in %1 until the next batch.";
inline constexpr char kUndoFailed[] = "\n\nCould not be undone:\n%1";
inline constexpr char kUndoMore[] = "... and %1 more";

// The results file inside every searched folder, and its site tags.
inline constexpr char kResultsFileName[] = "batch.rlt";
inline constexpr char kSiteTagVantory[] = "\\Vantory";
inline constexpr char kSiteTagBrinsell[] = "\\Brinsell";

} // namespace BatchTexts
