#include "settings/propsettings.h"

#include "cover/coverfile.h"
#include "settings/settingstexts.h"

#include <QFileInfo>

using namespace SettingsTexts;

namespace
{

// Leading blanks, an optional sign and the digits after it; the digits come
// back without leading zeros, "" when there are none.
struct LeadingNumber {
    bool negative = false;
    QString digits;
};

LeadingNumber leadingNumber(const QString &text)
{
    LeadingNumber n;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        n.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype start = i;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
        ++i;
    QStringView digits = QStringView(text).mid(start, i - start);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.mid(1);
    n.digits = digits.toString();
    if (n.digits == QLatin1String("0"))
        n.negative = false;
    return n;
}

} // namespace

PropValues PropSettings::load(const Settings &settings)
{
    ModJacketeer stored;
    stored.read(settings);
    PropValues v;
    v.qsName = stored.qsName;
    v.cdPath = stored.batchCDPath;
    v.dvdPath = stored.batchDVDPath;
    v.dvdName = QString::number(stored.batchDVDFolder);
    v.batch = stored.batch;
    v.requestIntervalMs = settings.number(Keys::RequestIntervalMs);
    return v;
}

QString PropSettings::cleanTemplate(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('\\'));
    return t;
}

bool PropSettings::isRefusedTemplateKey(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QString PropSettings::previewName(const QString &templ)
{
    // Quick Save's own name building, so the preview shows the very name a
    // save would write; the template is trimmed as Apply will store it.
    const QString target = CoverFile::target(templ.trimmed(), kPreviewArtist, kPreviewAlbum,
                                             QLatin1Char('/') + kPreviewFolder);
    return target.mid(target.lastIndexOf(QLatin1Char('/')) + 1);
}

QString PropSettings::depthText(const QString &text)
{
    const LeadingNumber n = leadingNumber(text);
    if (n.digits.isEmpty())
        return QStringLiteral("0");
    return n.negative ? QLatin1Char('-') + n.digits : n.digits;
}

qint64 PropSettings::depthValue(const QString &text)
{
    const LeadingNumber n = leadingNumber(text);
    // Anything longer than this is far outside the 16-bit depth anyway.
    constexpr qint64 kSaturated = 999'999'999;
    qint64 value = n.digits.size() > 9 ? kSaturated : n.digits.toLongLong();
    return n.negative ? -value : value;
}

QString PropSettings::withoutTrailingSeparator(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() > 1 && t.endsWith(QLatin1Char('/')))
        return t.chopped(1);
    return text;
}

QString PropSettings::noneIfEmpty(const QString &text)
{
    return text.trimmed().isEmpty() ? kNone : text;
}

bool PropSettings::isNone(const QString &text)
{
    return text.trimmed().toUpper() == QLatin1String("NONE");
}

QString PropSettings::upperDriveLetter(const QString &text, const FolderExists &exists)
{
    if (text.size() < 2 || text[1] != QLatin1Char(':') || text[0].unicode() > 0x7f ||
        !text[0].isLetter() || text[0].isUpper())
        return text;
    QString upper = text;
    upper[0] = upper[0].toUpper();
    return exists(upper.trimmed()) ? upper : text;
}

bool PropSettings::folderExists(const QString &path)
{
    return QFileInfo(path + QLatin1Char('/')).isDir();
}

PropCheckFailure PropSettings::check(PropValues &values, const FolderExists &exists)
{
    values.cdPath = withoutTrailingSeparator(values.cdPath);
    values.dvdPath = withoutTrailingSeparator(values.dvdPath);
    values.cdPath = noneIfEmpty(values.cdPath);
    values.dvdPath = noneIfEmpty(values.dvdPath);

    if (!isNone(values.cdPath)) {
        if (!exists(values.cdPath.trimmed()))
            return {PropField::CDPath, kCDMissing, kCDErrorTitle};
        values.cdPath = upperDriveLetter(values.cdPath, exists);
    }
    if (!isNone(values.dvdPath)) {
        if (!exists(values.dvdPath.trimmed()))
            return {PropField::DVDPath, kDVDMissing, kDVDErrorTitle};
        values.dvdPath = upperDriveLetter(values.dvdPath, exists);
    }
    const qint64 depth = depthValue(values.dvdName);
    if (depth < Keys::BatchDVDFolder.min || depth > Keys::BatchDVDFolder.max)
        return {PropField::DVDName, kDepthTooSmall, kDVDErrorTitle};
    return {};
}

bool PropSettings::apply(const PropValues &values, ModJacketeer &state, Settings &settings)
{
    state.qsName = values.qsName.trimmed();
    state.batchCDPath = values.cdPath.trimmed();
    state.batchDVDPath = values.dvdPath.trimmed();
    state.batchDVDFolder = static_cast<int>(depthValue(values.dvdName));
    state.batch = values.batch;
    state.write(settings);
    settings.setNumber(Keys::RequestIntervalMs, values.requestIntervalMs);
    return settings.sync();
}
