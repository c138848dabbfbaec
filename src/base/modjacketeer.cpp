#include "base/modjacketeer.h"

#include "base/settingsstore.h"

#include <limits>

ModJacketeer &modJacketeer()
{
    static ModJacketeer state;
    return state;
}

int16_t storedInt16(const QString &text)
{
    // Leading blanks, an optional sign and the digits that follow; the rest is ignored.
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < t.size() && t[i].isDigit(); ++i) {
        value = value * 10 + t[i].digitValue();
        if (value > 100000)
            break;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int16_t>::max())
        value = std::numeric_limits<int16_t>::max();
    if (value < std::numeric_limits<int16_t>::min())
        value = std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(value);
}

bool storedBool(const QString &text)
{
    return text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

void ModJacketeer::loadFromStore(const SettingsStore &store)
{
    loadTemplateAndRoots(store);
    loadBatchFlags(store);
}

void ModJacketeer::loadBatchFlags(const SettingsStore &store)
{
    const auto flag = [&store](const char *key, const char *def) {
        return storedInt16(store.read(QLatin1String(key), QLatin1String(def)));
    };
    batchReplace = flag("BatchReplace", "0");
    batchDVDFolder = flag("BatchDVDFolder", "1");
    batchBrinsell = flag("BatchBrinsell", "0");
    batchVantory = flag("BatchVantory", "0");
    autoCrop = flag("AutoCrop", "0");
    batchReplaceLarger = flag("BatchReplaceLarger", "0");
    batchFolderNames = flag("BatchFolderNames", "0");
}

void ModJacketeer::loadTemplateAndRoots(const SettingsStore &store)
{
    qsName = store.read(QStringLiteral("QSName"), QStringLiteral("folder"));
    batchCDPath = store.read(QStringLiteral("BatchCDPath"), QStringLiteral("None"));
    batchDVDPath = store.read(QStringLiteral("BatchDVDPath"), QStringLiteral("None"));
    for (int i = 0; i < kGenreCount; ++i)
        batchGenre[static_cast<std::size_t>(i)] = storedInt16(
            store.read(QStringLiteral("BatchGenre") + genreCaption(i), QStringLiteral("0")));
}
