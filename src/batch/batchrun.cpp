#include "batch/batchrun.h"

#include "base/appfolder.h"
#include "base/folderwalk.h"
#include "base/pagesource.h"
#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"
#include "search/brinsellparser.h"
#include "search/quicksave.h"
#include "search/searchrequests.h"
#include "search/vantoryparser.h"

#include <QFile>

using namespace BatchTexts;

namespace
{

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// One run over one queue. The per-entry members are what the collectors
// share with the driver: the open results file, the hit number and whether
// a picture has been saved for the entry yet.
class BatchRun
{
public:
    BatchRun(BatchType type, const BatchSettings &settings, const SiteEndpoints &sites,
             const BatchRunIo &io)
        : m_type(type), m_settings(settings), m_sites(sites), m_io(io), m_view(*io.observer)
    {
        m_hooks.keepGoing = [this] { return !stopRequested() && !m_entryFailed; };
        m_hooks.yield = [this] { yield(); };
    }

    BatchRunOutcome run(const std::vector<QueueEntry> &queue);

private:
    bool stopRequested() const { return m_io.stopRequested && m_io.stopRequested(); }
    void yield() const
    {
        if (m_io.yield)
            m_io.yield();
    }
    bool cd() const { return m_type == BatchType::CD; }

    // False when the run is to stop (the entry stays "Searching").
    bool runEntry(int row, const QueueEntry &entry);
    bool searchStages();
    LoadedPage load(const QString &url);
    void showTotal() { m_view.setLabel(BatchLabel::Results, QString::number(m_total)); }
    void fail();

    qint64 CollectVantoryHits(const QString &body);
    qint64 CollectBrinsellHits(const QString &body);
    bool recordHit(const char *siteTag, const QString &artist, const QString &album,
                   const QString &url, bool scrollTo);
    bool saveAutomatically(const QString &url);

    const BatchType m_type;
    const BatchSettings &m_settings;
    const SiteEndpoints &m_sites;
    const BatchRunIo &m_io;
    IBatchRunObserver &m_view;
    ScanHooks m_hooks;
    QString m_currentArtist; // the artist the Vantory cutters last cut
    BatchRunOutcome m_outcome;

    // The entry being searched.
    int m_row = 0;
    QString m_artist; // the artist, or the DVD title
    QString m_album;  // empty for a DVD
    QString m_folder;
    BatchResultsFile m_results;
    qint64 m_hitNumber = 0;
    qint64 m_total = 0;
    bool m_autoSaved = false;
    bool m_entryFailed = false;   // its folder could not be written
    bool m_pictureFailed = false; // a picture could not be put in its folder
};

BatchRunOutcome BatchRun::run(const std::vector<QueueEntry> &queue)
{
    const int n = static_cast<int>(queue.size());
    // A one-row queue still gets a bar that can show it done.
    m_view.setBarMaximum(BatchBar::Total, n == 1 ? 1 : std::max(n - 1, 0));
    for (int i = 0; i < n; ++i) {
        if (!runEntry(i, queue[static_cast<size_t>(i)])) {
            m_outcome.stopped = true;
            break;
        }
    }
    return m_outcome;
}

bool BatchRun::runEntry(int row, const QueueEntry &entry)
{
    if (stopRequested())
        return false;
    m_row = row;
    m_total = 0;
    m_autoSaved = false;
    m_entryFailed = false;
    m_pictureFailed = false;
    m_artist = trimBlanks(entry.artist);
    m_album = cd() ? trimBlanks(entry.album) : QString();
    m_view.setRowStatus(row, text(kStatusSearching));
    m_view.setLabel(BatchLabel::Artist, m_artist);
    if (cd())
        m_view.setLabel(BatchLabel::Album, m_album);
    m_view.setLabel(BatchLabel::Site, text(kSiteVantory));
    m_view.setLabel(BatchLabel::Results, text(kResultsNone));
    m_view.setBarValue(BatchBar::Total, row);
    m_view.setBarMaximum(BatchBar::Search, cd() ? kGenreCount : 2);
    m_view.setBarValue(BatchBar::Search, 0);
    if (!m_view.isTicked(entry.nodeIndex)) {
        m_view.setRowStatus(row, text(kStatusSkipped));
        ++m_outcome.skipped;
        return true;
    }

    // The folder as the scan found it: a name may end in a blank.
    m_folder = entry.directory;
    if (!m_results.create(childPath(m_folder, QLatin1String(kResultsFileName)))) {
        fail();
        return true;
    }
    m_hitNumber = 0;
    const bool goOn = searchStages();
    m_results.close();
    if (!goOn)
        return false;
    if (m_pictureFailed && !m_entryFailed)
        fail();
    if (!m_entryFailed) {
        m_view.setRowStatus(row, text(kStatusComplete));
        ++m_outcome.searched;
    }
    return true;
}

void BatchRun::fail()
{
    m_entryFailed = true;
    m_view.setRowStatus(m_row, text(kStatusFailed));
    ++m_outcome.failed;
}

LoadedPage BatchRun::load(const QString &url)
{
    LoadedPage page;
    if (m_io.pages)
        page = m_io.pages->load(url);
    yield();
    return page;
}

bool BatchRun::searchStages()
{
    // The search text: the artist, one blank and the album, or the title.
    const QString searchText = cd() ? m_artist + QLatin1Char(' ') + m_album : m_artist;
    if (cd()) {
        int bar = 0;
        for (int g = 0; g < kGenreCount; ++g) {
            if (stopRequested())
                return false;
            if (m_entryFailed)
                return true;
            if (!m_settings.genres[static_cast<size_t>(g)] || !m_settings.vantory) {
                m_view.setBarValue(BatchBar::Search, ++bar);
                continue;
            }
            bar = g;
            m_view.setBarValue(BatchBar::Search, bar);
            const int32_t category = GenreCategoryId[static_cast<size_t>(g)];
            const LoadedPage page =
                load(vantoryMusicUrl(m_sites.vantoryHost, searchText, category));
            // A failed or timed-out load is no page at all.
            if (page.ok && vantoryPageAccepted(page.locationUrl, category))
                m_total += CollectVantoryHits(page.body);
            showTotal();
        }
    } else if (m_settings.vantory) {
        const LoadedPage page = load(vantoryDvdUrl(m_sites.vantoryHost, searchText));
        if (page.ok && vantoryPageAccepted(page.locationUrl, kVantoryDvdCategory))
            m_total += CollectVantoryHits(page.body);
        showTotal();
    }
    if (!cd())
        m_view.setBarValue(BatchBar::Search, 1);
    if (stopRequested())
        return false;
    if (m_entryFailed)
        return true;
    m_view.setLabel(BatchLabel::Site, text(cd() ? kSiteBrinsellCD : kSiteBrinsellDVD));
    if (m_settings.brinsell) {
        const LoadedPage page = load(cd() ? brinsellMusicUrl(m_sites.brinsellHost, searchText)
                                          : brinsellDvdUrl(m_sites.brinsellHost, searchText));
        if (page.ok)
            m_total += CollectBrinsellHits(page.body);
        showTotal();
    }
    m_view.setBarValue(BatchBar::Search, cd() ? kGenreCount : 2);
    return true;
}

qint64 BatchRun::CollectVantoryHits(const QString &body)
{
    qint64 count = 0;
    ParseVantoryPage(
        body, m_hooks,
        [&](const PageHit &hit) {
            if (recordHit(kSiteTagVantory, hit.artist, hit.title, hit.largeUrl, true))
                ++count;
        },
        m_currentArtist);
    return count;
}

qint64 BatchRun::CollectBrinsellHits(const QString &body)
{
    qint64 count = 0;
    QString ignored;
    ParseBrinsellPage(
        body, m_sites.brinsellImageHost, !cd(), m_hooks,
        [&](const PageHit &hit) {
            QString artist;
            QString album;
            if (hit.pictureMarkup.contains(QLatin1String("prod_images"))) {
                // A product of the shop itself: recorded under the entry's own texts.
                artist = m_artist;
                album = m_album;
                if (!cd()) {
                    album = m_artist;
                    artist.clear();
                }
            } else {
                artist = cd() ? text(kArtistUnknown) : QString();
                album = hit.title;
            }
            if (recordHit(kSiteTagBrinsell, artist, album, hit.largeUrl, false))
                ++count;
        },
        ignored);
    return count;
}

bool BatchRun::recordHit(const char *siteTag, const QString &artist, const QString &album,
                         const QString &url, bool scrollTo)
{
    const BatchResultRecord record{artist, album, url};
    if (!m_results.writeRecord(m_hitNumber + 1, record)) {
        fail();
        return false;
    }
    ++m_hitNumber;
    // Nodes, and the match, go by what the record holds: texts cut to their
    // fields, as a restore reads them back.
    const BatchResultRecord stored = decodeBatchRecord(encodeBatchRecord(record));
    const QString key = hitNodeKey(m_hitNumber, m_folder, siteTag, stored.artist, stored.album);
    m_view.addHitNode(m_folder, key, hitNodeText(stored.artist, stored.album),
                      NodeImage::HitNotSaved, scrollTo);
    if (!m_autoSaved && !m_pictureFailed &&
        isAutomaticMatch(m_type, m_artist, m_album, stored.artist, stored.album) &&
        saveAutomatically(stored.url)) {
        m_autoSaved = true;
        m_view.setNodeImage(key, NodeImage::HitSaved);
    }
    return true;
}

bool BatchRun::saveAutomatically(const QString &url)
{
    // DVD: the title stands for the artist and there is no album.
    const QString target = quickSaveTarget(m_settings.templateName, m_artist, m_album, m_folder);
    const bool exists = pictureExists(target);
    if (exists && !m_settings.replace)
        return false;
    const QString scratchFolder = m_io.scratchFolder.isEmpty() ? appFolder() : m_io.scratchFolder;
    const QString scratch = childPath(scratchFolder, QStringLiteral("batchnew.jpg"));
    QFile::remove(scratch);
    const int result =
        m_io.download ? m_io.download(url, scratch) : URLDownloadToFile(url, scratch);
    if (result != 0 || checkPicture(scratch) != PictureCheck::Ok) {
        QFile::remove(scratch);
        return false;
    }
    if (exists)
        makeNormal(target);
    const bool placed = copyFileOver(scratch, target);
    QFile::remove(scratch);
    if (!placed) {
        m_pictureFailed = true;
        return false;
    }
    makeNormal(target);
    return true;
}

} // namespace

BatchSettings BatchSettings::fromShared(const ModJacketeer &mod)
{
    BatchSettings settings;
    for (int g = 0; g < kGenreCount; ++g)
        settings.genres[static_cast<size_t>(g)] = mod.batchGenre[static_cast<size_t>(g)] == 1;
    settings.vantory = mod.batchVantory == 1;
    settings.brinsell = mod.batchBrinsell == 1;
    settings.replace = mod.batchReplace == 1;
    settings.templateName = mod.qsName;
    return settings;
}

BatchRunOutcome runBatch(BatchType type, const std::vector<QueueEntry> &queue,
                         const BatchSettings &settings, const SiteEndpoints &sites,
                         const BatchRunIo &io)
{
    if (!io.observer)
        return {};
    BatchRun run(type, settings, sites, io);
    return run.run(queue);
}

bool isAutomaticMatch(BatchType type, const QString &entryArtist, const QString &entryAlbum,
                      const QString &hitArtist, const QString &hitAlbum)
{
    const QString artist = trimBlanks(entryArtist);
    const QString album = trimBlanks(hitAlbum);
    if (type == BatchType::DVD)
        return album.contains(artist, Qt::CaseInsensitive);
    return trimBlanks(hitArtist).compare(artist, Qt::CaseInsensitive) == 0 &&
           album.contains(trimBlanks(entryAlbum), Qt::CaseInsensitive);
}

QString batchElapsedText(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 3, 10, QLatin1Char('0'))
        .arg(seconds - minutes * 60, 2, 10, QLatin1Char('0'));
}
