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

// The declaration. Keys of the main window and the properties dialog in the
// order the main window reads them at start-up, then the program's own
// additions, then the retailer and update endpoints.
namespace Keys
{

using enum SettingForm;

inline SettingKey startUp(const char *name, SettingForm form, const char *defaultText, int min = 0,
                          int max = 0)
{
    return {"StartUp", QLatin1String(name), form, QLatin1String(defaultText), min, max};
}

inline SettingKey site(const char *name, SettingForm form, const char *defaultText, int min = 0,
                       int max = 0)
{
    return {"Sites", QLatin1String(name), form, QLatin1String(defaultText), min, max};
}

inline const SettingKey QSName = startUp("QSName", Text, "folder");
inline const SettingKey BatchCDPath = startUp("BatchCDPath", Text, "None");
inline const SettingKey BatchDVDPath = startUp("BatchDVDPath", Text, "None");
// The batch's genre (properties dialog) and the main window's genre box.
SettingKey batchGenre(int index);
SettingKey genre(int index);
inline const SettingKey SearchTypeCD = startUp("SearchTypeCD", Option, "False");
inline const SettingKey SearchTypeDVD = startUp("SearchTypeDVD", Option, "False");
inline const SettingKey Vantory = startUp("Vantory", Check, "0");
inline const SettingKey Brinsell = startUp("Brinsell", Check, "0");
inline const SettingKey Amazon = startUp("Amazon", Check, "0");
inline const SettingKey BatchReplace = startUp("BatchReplace", Check, "0");
// How many folder levels below the DVD root a DVD's own folder lies.
inline const SettingKey BatchDVDFolder = startUp("BatchDVDFolder", Int16, "1", 1, 32767);
inline const SettingKey BatchBrinsell = startUp("BatchBrinsell", Check, "0");
inline const SettingKey BatchVantory = startUp("BatchVantory", Check, "0");
inline const SettingKey AutoCrop = startUp("AutoCrop", Check, "0");
// The drive and folder lists; a missing key leaves them where they are.
inline const SettingKey SearchDrive = startUp("SearchDrive", Text, "");
inline const SettingKey SearchPath = startUp("SearchPath", Text, "");
// With BatchReplace: never replace a picture by one of fewer pixels.
inline const SettingKey BatchReplaceLarger = startUp("BatchReplaceLarger", Check, "0");
// Untagged album folders are queued under their folder names.
inline const SettingKey BatchFolderNames = startUp("BatchFolderNames", Check, "0");

// host[:port] of each retailer; the real retailers unless the demo or a test
// points them at the local simulator.
inline const SettingKey VantoryHost = site("VantoryHost", Text, "www.vantory.com");
inline const SettingKey BrinsellHost = site("BrinsellHost", Text, "www.brinsell.com");
inline const SettingKey BrinsellImageHost = site("BrinsellImageHost", Text, "images.brinsell.com");
inline const SettingKey UpdateInfoUrl =
    site("UpdateInfoUrl", Text, "http://www.jacketeer.net/version.html");
inline const SettingKey DownloadPageUrl =
    site("DownloadPageUrl", Text, "http://www.jacketeer.net/download.html");
// The least time in milliseconds between the starts of two requests to one
// host during a batch.
inline const SettingKey RequestIntervalMs =
    site("RequestIntervalMs", Number, "1000", 0, std::numeric_limits<int>::max());
// How many pages an interactive search loads at a time from one host; a
// browser keeps at most six connections to a host open.
inline const SettingKey SearchConcurrency = site("SearchConcurrency", Number, "4", 1, 6);

// Every key, in the order above.
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
