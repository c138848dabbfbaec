#include "catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <array>
#include <utility>

namespace
{

struct GenreCategory {
    const char *genre;
    int id;
};

// The Vantory music categories, as the program sends them.
constexpr std::array<GenreCategory, 18> kGenres{{
    {"Rock", 4118},
    {"Blues", 4105},
    {"Country", 4109},
    {"Dance", 4110},
    {"Jazz", 4107},
    {"Christian", 4112},
    {"R&B/Soul", 4116},
    {"Special Interest", 4120},
    {"Folk", 4111},
    {"New Age", 4114},
    {"Reggae", 4124},
    {"Pop", 4115},
    {"Classical", 4108},
    {"Latin", 4113},
    {"Childrens", 4106},
    {"Rap/Hip Hop", 4117},
    {"Soundtrack", 4119},
    {"Compilation", 51934},
}};

} // namespace

QString CatalogueEntry::searchableText() const
{
    return type == MediaType::Music ? artist + QLatin1Char(' ') + album : album;
}

int Catalogue::categoryOfGenre(const QString &genre)
{
    for (const GenreCategory &g : kGenres) {
        if (genre.compare(QLatin1String(g.genre), Qt::CaseInsensitive) == 0)
            return g.id;
    }
    return 0;
}

std::optional<Catalogue> Catalogue::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull()) {
        *error = QStringLiteral("%1: %2 at offset %3")
                     .arg(path, parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonArray items = doc.isArray() ? doc.array() : doc.object().value("entries").toArray();

    Catalogue catalogue;
    QSet<QString> ids;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QJsonObject o = items.at(i).toObject();
        CatalogueEntry e;
        const auto fail = [&](const QString &why) {
            *error = QStringLiteral("%1: entry %2: %3").arg(path).arg(i + 1).arg(why);
        };
        if (o.contains("title")) {
            e.type = MediaType::Dvd;
            e.album = o.value("title").toString();
            e.categoryId = kDvdCategory;
        } else {
            e.artist = o.value("artist").toString();
            e.album = o.value("album").toString();
            e.genre = o.value("genre").toString(QStringLiteral("Rock"));
            e.categoryId = categoryOfGenre(e.genre);
            if (e.categoryId == 0) {
                fail(QStringLiteral("unknown genre \"%1\"").arg(e.genre));
                return std::nullopt;
            }
        }
        if (e.album.isEmpty() && e.artist.isEmpty()) {
            fail(QStringLiteral("needs \"artist\" and \"album\", or \"title\""));
            return std::nullopt;
        }
        e.id = o.value("id").toString(QStringLiteral("e%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        if (ids.contains(e.id)) {
            fail(QStringLiteral("duplicate id \"%1\"").arg(e.id));
            return std::nullopt;
        }
        ids.insert(e.id);
        if (o.contains("sites")) {
            const QJsonArray sites = o.value("sites").toArray();
            e.onVantory = sites.contains(QStringLiteral("vantory"));
            e.onBrinsell = sites.contains(QStringLiteral("brinsell"));
        }
        e.layout = o.value("layout").toString() == QLatin1String("link") ? BrinsellLayout::Link
                                                                         : BrinsellLayout::Heading;
        e.gifThumbnail = o.value("thumb").toString(QStringLiteral("gif")) != QLatin1String("jpg");
        e.picture = o.value("picture").toString();
        if (o.contains("file")) {
            e.file = QFileInfo(path).dir().absoluteFilePath(o.value("file").toString());
            if (!QFileInfo(e.file).isFile()) {
                fail(QStringLiteral("no file \"%1\"").arg(e.file));
                return std::nullopt;
            }
        }
        catalogue.m_entries.push_back(std::move(e));
    }
    return catalogue;
}

std::vector<const CatalogueEntry *> Catalogue::match(const QStringList &words, MediaType type,
                                                     bool vantory) const
{
    std::vector<const CatalogueEntry *> hits;
    if (words.isEmpty())
        return hits;
    for (const CatalogueEntry &e : m_entries) {
        if (e.type != type || !(vantory ? e.onVantory : e.onBrinsell))
            continue;
        const QString text = e.searchableText();
        bool all = true;
        for (const QString &w : words) {
            if (!text.contains(w, Qt::CaseInsensitive)) {
                all = false;
                break;
            }
        }
        if (all)
            hits.push_back(&e);
    }
    return hits;
}

const CatalogueEntry *Catalogue::find(const QString &id) const
{
    for (const CatalogueEntry &e : m_entries) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}
