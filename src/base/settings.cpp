#include "base/settings.h"

#include "base/messagebox.h"

#include <QDir>
#include <QSet>
#include <QSettings>

#include <algorithm>
#include <limits>

namespace
{

const QString kUnwritableTitle = QStringLiteral("Settings Not Saved");
const QString kUnwritable = QStringLiteral(
    "Jacketeer could not save its settings to %1: the file or its folder is read-only, or the "
    "disk is full. Changes made now last only until the program ends.");

// QSettings treats "/" in a key as a group separator and escapes other
// characters in INI files; keys such as "GenreR&&B/Soul" or "GenreRap/Hip Hop"
// must come back exactly, so each key is stored percent-encoded as a single
// flat name inside its section.
QString flatKey(const SettingKey &key)
{
    return QLatin1String(key.group) + QLatin1Char('/') +
           QString::fromLatin1(key.name.toUtf8().toPercentEncoding(" &-_.()"));
}

// A hand-edited value with an unquoted comma reads back as a list; the text
// the user wrote is the value.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// The leading whole number of a stored text, as check boxes and the DVD
// folder depth have always been read: leading blanks, an optional sign and
// the digits that follow; the rest is ignored, and so is the 16-bit range's
// overflow (it saturates).
int leadingInt16(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < t.size() && t[i].isDigit() && value <= 100000; ++i)
        value = value * 10 + t[i].digitValue();
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

QString &chosenFile()
{
    static QString file;
    return file;
}

// Resolved at each construction (QSettings caches its default folders for the
// process's life), so a changed XDG_CONFIG_HOME takes effect at once.
QString storeFile()
{
    if (!chosenFile().isEmpty())
        return chosenFile();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Jacketeer/Jacketeer.ini");
}

} // namespace

QString SettingKey::text(const std::optional<QString> &stored) const
{
    return stored.value_or(defaultText);
}

bool SettingKey::isOn(const std::optional<QString> &stored) const
{
    const QString t = text(stored);
    if (form == SettingForm::Option)
        return t.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
    return leadingInt16(t) == 1;
}

int SettingKey::number(const std::optional<QString> &stored) const
{
    if (form != SettingForm::Number)
        return leadingInt16(text(stored));
    bool ok = false;
    const int n = stored.value_or(QString()).trimmed().toInt(&ok);
    if (!ok || n < min)
        return defaultText.toInt();
    return std::min(n, max);
}

QString SettingKey::storedForm(bool on) const
{
    if (form == SettingForm::Option)
        return on ? QStringLiteral("True") : QStringLiteral("False");
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

SettingKey Keys::batchGenre(int index)
{
    return {"StartUp", QStringLiteral("BatchGenre") + genreCaption(index), SettingForm::Check,
            QStringLiteral("0")};
}

SettingKey Keys::genre(int index)
{
    return {"StartUp", QStringLiteral("Genre") + genreCaption(index), SettingForm::Check,
            QStringLiteral("0")};
}

std::vector<SettingKey> Keys::all()
{
    std::vector<SettingKey> keys{
#define JACKETEER_KEY(group, key, ...) key,
#include "base/settingkeys.def"
#undef JACKETEER_KEY
    };
    for (int i = 0; i < kGenreCount; ++i) {
        keys.push_back(batchGenre(i));
        keys.push_back(genre(i));
    }
    return keys;
}

void Settings::useFile(const QString &file)
{
    chosenFile() = file;
}

Settings::Settings() : m_settings(std::make_unique<QSettings>(storeFile(), QSettings::IniFormat)) {}

Settings::~Settings()
{
    sync();
}

SiteEndpoints Settings::sites() const
{
    return {text(Keys::VantoryHost), text(Keys::BrinsellHost), text(Keys::BrinsellImageHost),
            text(Keys::UpdateInfoUrl), text(Keys::DownloadPageUrl)};
}

std::optional<QString> Settings::stored(const SettingKey &key) const
{
    const QVariant value = m_settings->value(flatKey(key));
    if (!value.isValid())
        return std::nullopt;
    return asText(value);
}

void Settings::setStored(const SettingKey &key, const QString &text)
{
    m_settings->setValue(flatKey(key), text);
    m_written = true;
}

bool Settings::sync()
{
    m_settings->sync();
    if (!m_written)
        return true;
    m_written = false;
    // QSettings keeps its first error, so a file that failed once stays failed
    // for this object.
    if (m_settings->status() == QSettings::NoError)
        return true;
    static QSet<QString> reported;
    if (!reported.contains(fileName())) {
        reported.insert(fileName());
        messageBox().show(kUnwritable.arg(QDir::toNativeSeparators(fileName())), kUnwritableTitle,
                          MsgButtons::OkOnly, MsgIcon::Exclamation);
    }
    return false;
}

QString Settings::fileName() const
{
    return m_settings->fileName();
}
