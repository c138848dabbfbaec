#include "cover/picturefacts.h"

#include "cover/coverfile.h"
#include "cover/covertexts.h"

#include <QFileInfo>

QString resolutionText(const QSize &size)
{
    return QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
}

std::optional<qint64> fileSizeBytes(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return info.size();
}

qint64 roundedKbytes(qint64 bytes)
{
    // Integer arithmetic, so halves are exact and round to the even neighbour.
    const qint64 whole = bytes / 1024;
    const qint64 rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && whole % 2 != 0))
        return whole + 1;
    return whole;
}

QString kbytesText(qint64 bytes)
{
    return QString::number(roundedKbytes(bytes)) + CoverTexts::kKbytesSuffix;
}

QString fileSizeText(const QString &path)
{
    const std::optional<qint64> bytes = fileSizeBytes(path);
    return bytes ? kbytesText(*bytes) : QString(CoverTexts::kNotApplicable);
}

Recommendation recommend(const QSize &one, std::optional<qint64> kbytesOne, const QSize &two,
                         std::optional<qint64> kbytesTwo)
{
    if (one.width() > two.width() || one.height() > two.height())
        return {true, false};
    if (two.width() > one.width() || two.height() > one.height())
        return {false, true};
    const qint64 s1 = kbytesOne.value_or(-1);
    const qint64 s2 = kbytesTwo.value_or(-1);
    if (s1 > s2)
        return {true, false};
    if (s1 < s2)
        return {false, true};
    return {true, true};
}

namespace
{

PictureFacts readFacts(const QString &path)
{
    PictureFacts facts;
    const QSize size = CoverFile::pictureSize(path);
    facts.size = size.isValid() ? size : QSize(0, 0);
    if (const std::optional<qint64> bytes = fileSizeBytes(path))
        facts.kbytes = roundedKbytes(*bytes);
    facts.resolution = resolutionText(facts.size);
    facts.sizeText = fileSizeText(path);
    return facts;
}

} // namespace

std::array<PictureFacts, 2> comparePictures(const QString &pathOne, const QString &pathTwo)
{
    std::array<PictureFacts, 2> facts = {readFacts(pathOne), readFacts(pathTwo)};
    const Recommendation r =
        recommend(facts[0].size, facts[0].kbytes, facts[1].size, facts[1].kbytes);
    facts[0].recommended = r.one;
    facts[1].recommended = r.two;
    return facts;
}
