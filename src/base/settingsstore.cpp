#include "base/settingsstore.h"

#include <QDir>
#include <QSettings>

namespace
{

// QSettings treats "/" in a key as a group separator and escapes other
// characters in INI files; keys such as "GenreR&&B/Soul" or "GenreRap/Hip Hop"
// must come back exactly, so each key is stored percent-encoded as a single
// flat name inside its section.
QString flatKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') +
           QString::fromLatin1(key.toUtf8().toPercentEncoding(" &-_.()"));
}

} // namespace

static QString &chosenFile()
{
    static QString file;
    return file;
}

void SettingsStore::useFile(const QString &file)
{
    chosenFile() = file;
}

// Resolved at each construction (QSettings caches its default folders for the
// process's life), so a changed XDG_CONFIG_HOME takes effect at once.
static QString storeFile()
{
    if (!chosenFile().isEmpty())
        return chosenFile();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Jacketeer/Jacketeer.ini");
}

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(storeFile(), QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

// A hand-edited value with an unquoted comma reads back as a list; the text
// the user wrote is the value.
static QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

QString SettingsStore::read(const QString &key, const QString &defaultValue) const
{
    return asText(m_settings->value(flatKey(QStringLiteral("StartUp"), key), defaultValue));
}

void SettingsStore::write(const QString &key, const QString &text)
{
    m_settings->setValue(flatKey(QStringLiteral("StartUp"), key), text);
}

QString SettingsStore::readSite(const QString &key, const QString &defaultValue) const
{
    return asText(m_settings->value(flatKey(QStringLiteral("Sites"), key), defaultValue));
}

void SettingsStore::writeSite(const QString &key, const QString &text)
{
    m_settings->setValue(flatKey(QStringLiteral("Sites"), key), text);
}

int SettingsStore::requestIntervalMs() const
{
    bool ok = false;
    const int ms = readSite(QStringLiteral("RequestIntervalMs"), QString()).trimmed().toInt(&ok);
    return ok && ms >= 0 ? ms : 1000;
}

int SettingsStore::searchConcurrency() const
{
    bool ok = false;
    const int n = readSite(QStringLiteral("SearchConcurrency"), QString()).trimmed().toInt(&ok);
    // A browser keeps at most six connections to a host open.
    return ok && n >= 1 ? qMin(n, 6) : 4;
}

void SettingsStore::sync()
{
    m_settings->sync();
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}
