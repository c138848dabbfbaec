#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: organisation and application "Jacketeer",
// INI format under the user's configuration folder ($XDG_CONFIG_HOME), or the
// file named on the command line. Every value is text. The program's own
// preferences live in section "StartUp"; the retailer endpoints in section
// "Sites".
class SettingsStore
{
public:
    SettingsStore();

    // Every store opened from now on uses `file` (an absolute path) instead of
    // the per-user one; an empty name goes back to the per-user file.
    static void useFile(const QString &file);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Section "StartUp".
    QString read(const QString &key, const QString &defaultValue) const;
    void write(const QString &key, const QString &text);

    // Section "Sites" (retailer and update endpoints).
    QString readSite(const QString &key, const QString &defaultValue) const;
    void writeSite(const QString &key, const QString &text);
    // "Sites" key RequestIntervalMs: the least time between the starts of two
    // requests to one host; 1000 when unset or not a whole number >= 0.
    int requestIntervalMs() const;
    // "Sites" key SearchConcurrency: how many pages an interactive search
    // loads at a time from one host, 1 to 6 (1 loads one page after the
    // other); 4 when unset or not a whole number >= 1.
    int searchConcurrency() const;

    // Pushes pending writes to disk (also done on destruction).
    void sync();
    // The file behind the store, for messages and tests.
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
