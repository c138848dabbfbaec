#pragma once

// Fixed texts of the main window.
namespace AppTexts {

inline constexpr char kMainCaption[] = "Jacketeer - b3.0";
inline constexpr char kSearchCriteria[] = "Search Criteria";
inline constexpr char kResults[] = "Results";
inline constexpr char kSearchLabel[] = "Search: ";
inline constexpr char kTypeLabel[] = "Type: ";
inline constexpr char kMusic[] = "&Music";
inline constexpr char kDvd[] = "&DVD";
inline constexpr char kSitesLabel[] = "Sites: ";
inline constexpr char kVantory[] = "&Vantory";
inline constexpr char kBrinsell[] = "&Brinsell";
inline constexpr char kAmazon[] = "&Amazon";
inline constexpr char kGenreLabel[] = "Genre: ";
inline constexpr char kGenreHint[] = "Each box checked will add to search time.";
inline constexpr char kQuickSaveLabel[] = "Quick Save:";
inline constexpr char kSearch[] = "&Search";
inline constexpr char kReset[] = "&Reset";
inline constexpr char kBack[] = "Back";
inline constexpr char kCompare[] = "Compare";
inline constexpr char kSaveHint[] =
    "To save pictures, right click on picture and click on \"Save Picture As..\" or Drag and "
    "Drop the 500x500 picture to folder.";

inline constexpr char kMenuUpdate[] = "&Auto Update";
inline constexpr char kMenuView[] = "&Artshelf";
inline constexpr char kMenuBatch[] = "&Batch Download";

inline constexpr char kPopulatingViewer[] = "Populating CD/DVD Folders...";
inline constexpr char kPopulatingBatch[] = "Populating CD/DVD folders...";

} // namespace AppTexts
