#include "cover/picturecompare.h"

#include "base/messagebox.h"
#include "cover/coverfile.h"
#include "search/quicksave.h"
#include "cover/covertexts.h"
#include "search/searchresults.h"
#include "search/searchtexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace T = QuickSaveTexts;

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
    return QString::number(roundedKbytes(bytes)) + T::kbytesSuffix;
}

QString fileSizeText(const QString &path)
{
    const std::optional<qint64> bytes = fileSizeBytes(path);
    return bytes ? kbytesText(*bytes) : QString(SearchTexts::kNotApplicable);
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

HitLookup lookupIn(const SearchResults &results)
{
    return [&results](int number) -> std::optional<ComparedHit> {
        if (!results.contains(number))
            return std::nullopt;
        return ComparedHit{number, results.artist(number), results.album(number),
                           results.picture(number)};
    };
}

bool ticksMatchResults(const QList<bool> &ticks, const QStringList &links, const HitLookup &hit)
{
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        if (!ticks[i])
            continue;
        if (i >= links.size() || !hit)
            return false;
        const std::optional<QuickSaveLink> link = parseQuickSaveLink(links[i]);
        const std::optional<ComparedHit> entry = hit(int(i) + 1);
        if (!link || !entry || link->hitNumber != i + 1 ||
            !sameAddress(link->address, entry->address))
            return false;
    }
    return true;
}

TwoHitSetup prepareTwoHitCompare(const QList<bool> &ticks, int hitCount, const HitLookup &hit,
                                 const DownloadFunction &download, IMessageBox &box,
                                 const QString &appDir,
                                 const std::function<void()> &beforeDownloads)
{
    TwoHitSetup setup;
    QList<int> ticked;
    for (int i = 1; i <= hitCount && i <= ticks.size(); ++i) {
        if (ticks[i - 1])
            ticked.append(i);
    }
    if (ticked.size() > 2) {
        box.show(T::tooManyTicked, T::errorTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        return setup;
    }
    if (ticked.size() < 2) {
        box.show(T::tooFewTicked, T::errorTitle, MsgButtons::OkOnly, MsgIcon::Exclamation);
        return setup;
    }

    const QDir dir(appDir);
    QFile::remove(dir.filePath(T::compare1File));
    QFile::remove(dir.filePath(T::compare2File));
    if (beforeDownloads)
        beforeDownloads();

    int k = 1;
    for (const int i : ticked) {
        const std::optional<ComparedHit> entry = hit ? hit(i) : std::nullopt;
        const QString file = dir.filePath(k == 1 ? T::compare1File : T::compare2File);
        // Whether the picture is there is what counts, not the service's answer.
        const DownloadFunction fileCounts = [&download](const QString &url, const QString &path) {
            download ? download(url, path) : URLDownloadToFile(url, path);
            return 0;
        };
        if (!entry ||
            CoverFile::fetch(entry->address, file, fileCounts) != CoverFile::FetchResult::Ok) {
            box.show(T::compareDownloadFailed + QString::number(k), T::compareErrorTitle,
                     MsgButtons::OkOnly, MsgIcon::None);
            return setup;
        }
        setup.hits[static_cast<std::size_t>(k - 1)] = *entry;
        ++k;
    }
    setup.ready = true;
    return setup;
}

ComparedSave saveComparedPicture(int index, const ComparedHit &hit, const QString &templateName,
                                 const QString &folder, const QString &appDir)
{
    ComparedSave result;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        result.error = T::noTargetFolder;
        return result;
    }
    result.target = CoverFile::target(templateName, hit.artist, hit.album, folder);
    const QString source = QDir(appDir).filePath(index == 0 ? T::compare1File : T::compare2File);
    const CoverFile::PlaceResult placed =
        CoverFile::place(source, result.target, CoverFile::ReplacePolicy::Always);
    result.ok = placed.outcome != CoverFile::PlaceOutcome::Failed;
    result.error = placed.error;
    return result;
}
