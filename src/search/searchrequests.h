#pragma once

#include "base/settings.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>

struct SiteEndpoints;

enum class SearchType { Music, DVD };
enum class RetailerSite { Vantory, Brinsell, Amazon };

// The Vantory music category id of each genre, indexed like the genre boxes.
extern const std::array<int32_t, kGenreCount> GenreCategoryId;

// Vantory's DVD request names this category; an accepted DVD page still does.
inline constexpr int32_t kVantoryDvdCategory = 41938;

// What the user asked for: the search criteria of the main window.
struct SearchCriteria {
    QString text; // as typed; surrounding blanks are dropped from the requests
    SearchType type = SearchType::Music;
    bool vantory = false;
    bool brinsell = false;
    bool amazon = false; // offered and stored, never searched
    std::array<bool, kGenreCount> genres{};
};

// One page request of a search.
struct SearchRequest {
    RetailerSite site = RetailerSite::Vantory;
    SearchType type = SearchType::Music;
    int genreIndex = -1; // Vantory music only
    QString url;
};

// Request addresses. The search text goes in with surrounding blanks removed
// and no escaping of our own but "#" as "%23"; `host` is host[:port].
QString vantoryMusicUrl(const QString &host, const QString &text, int32_t categoryId);
QString vantoryDvdUrl(const QString &host, const QString &text);
QString brinsellMusicUrl(const QString &host, const QString &text);
QString brinsellDvdUrl(const QString &host, const QString &text);

// The requests a search issues, in order: Vantory (per ticked genre for
// music) before Brinsell; Amazon never.
QList<SearchRequest> planRequests(const SearchCriteria &criteria, const SiteEndpoints &sites);

// Whether a loaded Vantory page is the one asked for: the site drops the
// category when it redirects a search elsewhere, and such a page lists
// unrelated products.
bool vantoryPageAccepted(const QString &loadedUrl, int32_t categoryId);
