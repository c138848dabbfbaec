#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum class MediaType { Music, Dvd };
enum class BrinsellLayout { Heading, Link };

// One product the simulated retailers sell.
struct CatalogueEntry {
    QString id; // picture file stem, unique
    MediaType type = MediaType::Music;
    QString artist;     // music only
    QString album;      // music: album; DVD: title
    QString genre;      // music only, a Vantory genre caption ("Rock", "R&B/Soul", ...)
    int categoryId = 0; // Vantory category of the genre (music) or 41938 (DVD)
    bool onVantory = true;
    bool onBrinsell = true;
    BrinsellLayout layout = BrinsellLayout::Heading;
    bool gifThumbnail = true;
    QString picture; // picture behaviour tokens ("500x500", "1x1", "missing", "slow-error500", ...)
    QString file;    // absolute path of a file served as the large picture, as it is

    // The text a search is matched against.
    QString searchableText() const;
    // Album for music, title for DVD: what the big picture shows.
    QString caption() const { return album; }
};

// The products of a catalogue file (see README.md for the format).
class Catalogue
{
public:
    // Reads a catalogue file; on failure returns nullopt and sets error.
    static std::optional<Catalogue> load(const QString &path, QString *error);

    // Entries of that type on that site whose searchable text holds every
    // word (case-insensitive); an empty word list matches nothing.
    std::vector<const CatalogueEntry *> match(const QStringList &words, MediaType type,
                                              bool vantory) const;
    const CatalogueEntry *find(const QString &id) const;
    const std::vector<CatalogueEntry> &entries() const { return m_entries; }

    // Vantory category id of a genre caption, 0 when unknown.
    static int categoryOfGenre(const QString &genre);
    static constexpr int kDvdCategory = 41938;
    static constexpr int kMusicDept = 4104;
    static constexpr int kDvdDept = 4096;

private:
    std::vector<CatalogueEntry> m_entries;
};
