#pragma once

#include "cover/covertexts.h"

#include <QLatin1StringView>

// Fixed texts of the interactive search: status lines, captions, file names,
// the retailer page markers and the results page's fixed lines. The parsers,
// the driver, the window and the tests all read them from here.
namespace SearchTexts
{

// Search button captions and status line texts.
inline constexpr QLatin1StringView kCaptionSearchIdle{"Search"};
inline constexpr QLatin1StringView kCaptionCancel{"Cancel"};
inline constexpr QLatin1StringView kStatusSearching{"Searching..."};
inline constexpr QLatin1StringView kStatusSearchingPrefix{"Searching "};
inline constexpr QLatin1StringView kStatusSearchingSuffix{"..."};
inline constexpr QLatin1StringView kStatusSearchingBrinsell{"Searching Brinsell..."};
inline constexpr QLatin1StringView kStatusAborted{"Search Aborted"};
inline constexpr QLatin1StringView kStatusFoundPrefix{"Results Found: "};

// The results page could not be written (folder not writable, disk full).
inline constexpr QLatin1StringView kPageErrorText{"The search results could not be written to "};
inline constexpr QLatin1StringView kPageErrorTitle{"Search Error"};

// Scratch files in the application folder.
inline constexpr QLatin1StringView kResultsFile{"results.html"};
inline constexpr QLatin1StringView kTempFile{"temp.html"};

// The search addresses: "http://", the host, a head, the search text and a
// tail ("%1" in a tail is the genre's category).
inline constexpr QLatin1StringView kVantoryMusicHead{
    "/catalog/search-ng.gsp?dept=4104&search_query="};
inline constexpr QLatin1StringView kVantoryMusicTail{"&CATEGORY_ID=%1&cat=%1"};
inline constexpr QLatin1StringView kVantoryDvdHead{
    "/catalog/search-ng.gsp?dept=4096&search_query="};
inline constexpr QLatin1StringView kVantoryDvdTail{"&CATEGORY_ID=41938&cat=41938"};
inline constexpr QLatin1StringView kBrinsellMusicHead{
    "/retail/searchresults.asp?querytype=music&qutype=&pagereq=1&alpha2=&alpha=&search_store=6&"
    "searchid=&qu="};
inline constexpr QLatin1StringView kBrinsellMusicTail{
    "=&mfgid=&deptid=&format=&formatid=&systid=&nrecpage=&loc=109&mfgnm=&cscat=&ra=&cvsnid="};
inline constexpr QLatin1StringView kBrinsellDvdHead{
    "/retail/searchresults.asp?querytype=video_dvd&qutype=&pagereq=2&alpha2=&alpha=&"
    "search_store=4&searchid=&qu="};
inline constexpr QLatin1StringView kBrinsellDvdTail{
    "&orderby=&mfgid=&deptid=&format=16&formatid=&systid=&nrecpage=&loc=322&mfgnm=&cscat=&ra=&"
    "cvsnid=&sbxs="};

// Both retailers say this when nothing matched.
inline constexpr QLatin1StringView kNoMatches{"no matches found"};

// Vantory markers.
inline constexpr QLatin1StringView kVantoryThumbMarker{"_60X60"};
inline constexpr QLatin1StringView kVantoryLargeMarker{"_500X500"};
inline constexpr QLatin1StringView kVantoryTitleMarker{"<span class=text2bold><a href=\"/catalog"};
inline constexpr QLatin1StringView kVantoryTitleOpen{"\">"};
inline constexpr QLatin1StringView kVantoryTitleClose{"</A"};
inline constexpr QLatin1StringView kVantoryArtistMarker{"<BR>"};
inline constexpr QLatin1StringView kVantoryArtistEnd{" <"};
// From the title marker to the part of the link address just past "/catalog"
// that can never hold the closing quote of the link.
inline constexpr qsizetype kVantoryTitleSkip = 45;

// Brinsell markers.
inline constexpr QLatin1StringView kBrinsellProdPath{"/db_assets/prod_images"};
inline constexpr QLatin1StringView kBrinsellAdPath{"/db_assets/ad_images"};
inline constexpr QLatin1StringView kBrinsellProdFolder{"prod_images"};
inline constexpr QLatin1StringView kBrinsellAdFolder{"ad_images"};
inline constexpr QLatin1StringView kBrinsellLargeFolder{"large_images"};
inline constexpr QLatin1StringView kBrinsellProdUpper{"PROD_IMAGES"};
inline constexpr QLatin1StringView kBrinsellHeadingMarker{"PRODUCTTITLE"};
inline constexpr QLatin1StringView kBrinsellLinkMarker{"PRODUCT.ASP"};
inline constexpr QLatin1StringView kBrinsellArtistMarker{"ARTIST:"};
inline constexpr QLatin1StringView kBoldOpen{"<B>"};
inline constexpr QLatin1StringView kBoldClose{"</B>"};
inline constexpr QLatin1StringView kLinkClose{"</A>"};
// Where the artist searches start, counted from the title start.
inline constexpr qsizetype kBrinsellHeadingArtistSkip = 100;
inline constexpr qsizetype kBrinsellArtistLinkSkip = 150;
inline constexpr qsizetype kBrinsellLinkArtistSkip = 50;

// Shared picture markers; ".jpg" is also the extension every saved cover gets.
inline constexpr QLatin1StringView kScheme{"http:"};
inline constexpr QLatin1StringView kGif{".gif"};
using CoverTexts::kJpg;

// Site and genre cells.
inline constexpr QLatin1StringView kSiteVantory{"Vantory"};
inline constexpr QLatin1StringView kSiteBrinsell{"Brinsell"};
// Not available, as for a picture size: the genre cell of a row without a
// genre (Brinsell, Vantory DVD) and the artist of a Brinsell "ad_images" hit
// in a batch run, which cuts none.
using CoverTexts::kNotApplicable;

// Quick Save and the Compare button.
inline constexpr QLatin1StringView kEmptyPicture{"Cover Art not downloaded.  Empty .jpg detected"};
inline constexpr QLatin1StringView kPreparingCompare{"Preparing Picture Comapre..."};
// Our own additions: a link or tick of a results page from an earlier search.
inline constexpr QLatin1StringView kStaleLink{
    "This Quick Save link belongs to an earlier search.  Please search again and use the links "
    "of the new results."};
inline constexpr QLatin1StringView kStaleCompare{
    "The results on show belong to an earlier search.  Please search again and tick the "
    "pictures to compare in the new results."};

// Results page. Every line ends with CR LF.
inline constexpr QLatin1StringView kPageFirstLine{
    "<html> <head> <title>New Page 1</title> </head> <body>"};
inline constexpr QLatin1StringView kPageLastLine{"</body> </html>"};
inline constexpr QLatin1StringView kPictureMarkupOpen{"<a href=\""};
inline constexpr QLatin1StringView kPictureMarkupMiddle{"\"><img border=\"0\" src=\""};
inline constexpr QLatin1StringView kPictureMarkupClose{"\""};

inline constexpr QLatin1StringView kBlockHead{
    "<table border=\"1\" width=\"428\" height=\"82\">\r\n"
    "<tr>\r\n"
    "<td width=\"20\" height=\"90\" rowspan=\"2\" valign=\"middle\" align=\"center\">\r\n"
    "<form method=\"; POST; \" action=\" - -WEBBOT - SELF - -\">\r\n"
    "<p>&nbsp;</p>\r\n"
    "<p><input type=\"checkbox\" name=\"C1\" value=\"ON\"></p>\r\n"
    "</form>\r\n"
    "<p>&nbsp;</p></td>\r\n"
    "<td width=\"65\" height=\"65\" valign=\"middle\" align=\"center\">"};
inline constexpr QLatin1StringView kBlockPictureEnd{
    " width=\"60\" height=\"60\"></a></td>\r\n"
    "<td width=\"91\" height=\"40\" align=\"center\"><font "
    "color=\"#800000\"><b>Genre</b></font></td>\r\n"
    "<td width=\"120\" height=\"40\" align=\"center\"><font "
    "color=\"#800000\"><b>Artist</b></font></td>\r\n"
    "<td width=\"124\" height=\"40\" align=\"center\"><font "
    "color=\"#800000\"><b>Album/Info</b></font></td>\r\n"
    "<td width=\"91\" height=\"40\" align=\"center\"><font "
    "color=\"#800000\"><b>Site</b></font></td>\r\n"
    "</tr>\r\n"
    "<tr>\r\n"
    "<td width=\"65\" height=\"20\" align=\"center\"><a href=\""};
inline constexpr QLatin1StringView kBlockQuickSaveEnd{"\">Quick Save</a></td>\r\n"};
inline constexpr QLatin1StringView kGenreCellOpen{
    "<td width=\"91\" height=\"50\" align=\"center\">"};
inline constexpr QLatin1StringView kArtistCellOpen{
    "<td width=\"120\" height=\"50\" align=\"center\">"};
inline constexpr QLatin1StringView kAlbumCellOpen{
    "<td width=\"124\" height=\"50\" align=\"center\">"};
inline constexpr QLatin1StringView kCellClose{"</td>\r\n"};
inline constexpr QLatin1StringView kSiteCellVantory{
    "<td width=\"91\" height=\"50\" align=\"center\">Vantory</td>\r\n"};
inline constexpr QLatin1StringView kSiteCellBrinsell{
    "<td width=\"124\" height=\"50\" align=\"center\">Brinsell</td>\r\n"};
inline constexpr QLatin1StringView kBlockTail{"</tr>\r\n</table>\r\n"};
inline constexpr QLatin1StringView kLineEnd{"\r\n"};

} // namespace SearchTexts
