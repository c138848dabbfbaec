#pragma once

#include <QString>

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class QSettings;

inline constexpr int kGenreCount = 18;

// The genre captions exactly as the genre check boxes hold them ("&&" shows
// as one "&"); they also name the Genre/BatchGenre keys of the store.
inline const std::array<const char *, kGenreCount> kGenreCaptions = {
    "Rock",        "Blues",      "Country",          "Dance", "Jazz",
    "Christian",   "R&&B/Soul",  "Special Interest", "Folk",  "New Age",
    "Reggae",      "Pop",        "Classical",        "Latin", "Childrens",
    "Rap/Hip Hop", "Soundtrack", "Compilation"};

inline QString genreCaption(int index)
{
    return QString::fromLatin1(kGenreCaptions.at(static_cast<std::size_t>(index)));
}

// How a value is kept as text in the store.
enum class SettingForm {
    Text,   // as it is
    Check,  // a check box, "0" or "1"; read as its leading whole number, on only when 1
    Option, // an option button, "True" or "False" (read in any letter case)
    Int16,  // a 16-bit whole number, read as its leading number as a check box is;
            // the range is what the properties dialog accepts
    Number, // a whole number; any other text, or one below the range, reads as the
            // default, one above it as the range's top
};

// One key of the store, declared once: every reader, writer, the properties
// dialog and the defaults of the shared state go through it.
struct SettingKey {
    const char *group; // "StartUp" (the program's preferences) or "Sites"
    QString name;
    SettingForm form;
    QString defaultText; // what a missing key reads as, in the stored form
    int min = 0;         // the range of Int16 and Number keys
    int max = 0;

    // The value of a stored text; a missing key (nullopt) gives the default's.
    QString text(const std::optional<QString> &stored = std::nullopt) const;
    bool isOn(const std::optional<QString> &stored = std::nullopt) const;
    int number(const std::optional<QString> &stored = std::nullopt) const;
    // The stored form of a check box or option button state.
    QString storedForm(bool on) const;
};

// The declaration, one constant per key.
namespace Keys
{

// clang-format off
#define JACKETEER_KEY(group, key, form, defaultText, least, greatest) \
    inline const SettingKey key{#group, QLatin1String(#key), SettingForm::form, \
                                QLatin1String(defaultText), least, greatest};
// clang-format on
#include "base/settingkeys.def"
#undef JACKETEER_KEY

// The batch's genre (properties dialog) and the main window's genre box.
SettingKey batchGenre(int index);
SettingKey genre(int index);

// Every key: those above, then the genres'.
std::vector<SettingKey> all();

} // namespace Keys

// Retailer and update endpoints.
struct SiteEndpoints {
    QString vantoryHost;       // host[:port]
    QString brinsellHost;      // host[:port]
    QString brinsellImageHost; // host[:port]
    QString updateInfoUrl;
    QString downloadPageUrl;
};

// The per-user settings store: INI format under the user's configuration
// folder ($XDG_CONFIG_HOME/Jacketeer/Jacketeer.ini), or the file named on the
// command line. Every value is text; each key is read and written through its
// declaration, typed. A missing key gives its default and is not written back.
class Settings
{
public:
    Settings();
    ~Settings();
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    // Every store opened from now on uses `file` (an absolute path) instead of
    // the per-user one; an empty name goes back to the per-user file.
    static void useFile(const QString &file);

    QString text(const SettingKey &key) const { return key.text(stored(key)); }
    bool isOn(const SettingKey &key) const { return key.isOn(stored(key)); }
    int number(const SettingKey &key) const { return key.number(stored(key)); }
    SiteEndpoints sites() const;

    void setText(const SettingKey &key, const QString &text) { setStored(key, text); }
    void setOn(const SettingKey &key, bool on) { setStored(key, key.storedForm(on)); }
    void setNumber(const SettingKey &key, int number) { setStored(key, QString::number(number)); }

    // The text as the store holds it, nullopt for a missing key.
    std::optional<QString> stored(const SettingKey &key) const;
    void setStored(const SettingKey &key, const QString &text);

    // Pushes pending writes to disk (also done on destruction). A file that
    // cannot be written is reported once per file and run, through the
    // program's message box; false then.
    bool sync();
    // The file behind the store, for messages and tests.
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_written = false; // since the last sync
};
