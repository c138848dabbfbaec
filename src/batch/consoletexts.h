#pragma once

// Fixed texts of the batch run without a window. The progress goes to the
// standard output, the messages (prefixed with the program's name) to the
// error stream.
namespace ConsoleTexts
{

// Progress, one entry: "Entry 3 of 10: 3 hits, saved - /music/A/B".
inline constexpr char kEntry[] = "Entry %1 of %2: %3 - %4";
// The same on a terminal too narrow for any of the folder.
inline constexpr char kEntryNoFolder[] = "Entry %1 of %2: %3";
inline constexpr char kNoHits[] = "no hits";
inline constexpr char kOneHit[] = "1 hit";
inline constexpr char kHits[] = "%1 hits";
inline constexpr char kSaved[] = ", saved";
inline constexpr char kNotSaved[] = ", not saved";
inline constexpr char kSkipped[] = "skipped";
inline constexpr char kFailed[] = "failed"; // + ", " and the reason when there is one
inline constexpr char kStopped[] = "stopped";
// While an entry is searched: the site, then the hits so far.
inline constexpr char kSearching[] = "%1, %2";

// Before and after the run.
inline constexpr char kQueued[] = "%1 batch of %2: %3 folder(s) queued, %4 to search%5.";
inline constexpr char kRootRecorded[] =
    "The %1 folder of the batch settings is now %2, so Restore Last Batch shows this run.";
inline constexpr char kSummary[] =
    "Searched %1, skipped %2, failed %3: %4 picture(s) saved, %5 hit(s).";
inline constexpr char kReview[] = "Restore Last Batch in the batch window shows the hits.";

// Messages.
inline constexpr char kStopping[] =
    "Stopping after the current page (Ctrl-C again quits at once)...";
inline constexpr char kStoppedAt[] =
    "stopped by Ctrl-C at entry %1 of %2; every results file holds the hits found until then.";
inline constexpr char kStoppedScanning[] =
    "stopped by Ctrl-C during the scan; nothing was searched.";
inline constexpr char kNoRoot[] =
    "no %1 folder to scan: give --root DIR, or choose the %1 folder in the batch settings.";
inline constexpr char kRootNotFound[] = "the %1 folder %2 is not there.";
inline constexpr char kNoSiteCD[] =
    "no site is enabled for CD batches in %1: set BatchBrinsell=1, or BatchVantory=1 and at "
    "least one BatchGenre key to 1 (or tick them on the batch settings page).";
inline constexpr char kNoSiteDVD[] =
    "no site is enabled for DVD batches in %1: set BatchBrinsell=1 or BatchVantory=1 (or tick "
    "them on the batch settings page).";
inline constexpr char kSettingsUnwritable[] =
    "cannot write the settings file %1, so the %2 folder cannot be recorded there and Restore "
    "Last Batch would not find this run's results.";
inline constexpr char kNothingQueued[] = "%1 Nothing below %2 can be searched.";

} // namespace ConsoleTexts
