#include "batch/batchrun.h"

#include "base/appfolder.h"
#include "base/fileops.h"
#include "base/folderwalk.h"
#include "base/pagesource.h"
#include "batch/batchcrop.h"
#include "batch/batchjournal.h"
#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"
#include "search/coverfile.h"
#include "search/retailersearch.h"

#include <QFile>

#include <optional>

using namespace BatchTexts;

namespace
{

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// A picture that cannot be measured has none, so any real one beats it.
qint64 pixels(QSize size)
{
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString whyNotLoaded(const LoadedPage &page)
{
    if (page.httpStatus != 0)
        return QStringLiteral("HTTP %1").arg(page.httpStatus);
    if (page.connectionReset)
        return QStringLiteral("connection reset");
    return page.timedOut ? QStringLiteral("timed out") : QStringLiteral("network error");
}

// One run over one queue. The per-entry members are what the collectors
// share with the driver: the open results file, the hit number and whether
// a picture has been saved for the entry yet.
class BatchRun
{
public:
    BatchRun(BatchType type, const BatchSettings &settings, const SiteEndpoints &sites,
             const BatchRunIo &io)
        : m_type(type), m_settings(settings), m_io(io), m_view(*io.observer),
          m_search(sites, io.pages, hooks(), m_currentArtist, PageRules::Batch)
    {
    }

    BatchRunOutcome run(const std::vector<QueueEntry> &queue);

private:
    ScanHooks hooks()
    {
        ScanHooks h;
        h.keepGoing = [this] { return !stopRequested() && !m_entryFailed; };
        h.yield = [this] { yield(); };
        return h;
    }
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
    // Loads a request's page and hands an accepted one to its collector.
    void searchOne(const SearchRequest &request);
    void showTotal() { m_view.setLabel(BatchLabel::Results, QString::number(m_total)); }
    // The entry's results file could not be written.
    void fail(const QString &why);
    void setFailed();
    void entryDone();

    qint64 CollectVantoryHits(const SearchRequest &request, const QString &body);
    qint64 CollectBrinsellHits(const SearchRequest &request, const QString &body);
    bool recordHit(const char *siteTag, const QString &artist, const QString &album,
                   const QString &url, bool scrollTo);
    bool saveAutomatically(const QString &url, bool fromVantory);

    const BatchType m_type;
    const BatchSettings &m_settings;
    const BatchRunIo &m_io;
    IBatchRunObserver &m_view;
    QString m_currentArtist; // the artist the cutters last cut
    RetailerSearch m_search;
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
    BatchEntryNotes m_notes;
};

BatchRunOutcome BatchRun::run(const std::vector<QueueEntry> &queue)
{
    // A journal that cannot be started fails every save, so no change goes
    // unrecorded.
    if (m_io.journal)
        m_io.journal->startRun();
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
    m_notes = {};
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
    m_hitNumber = 0;
    if (!m_results.create(childPath(m_folder, QLatin1String(kResultsFileName)))) {
        fail(m_results.errorString());
        entryDone();
        return true;
    }
    const bool goOn = searchStages();
    m_results.close();
    if (!goOn) {
        m_notes.interrupted = true;
        entryDone();
        return false;
    }
    // Also when no picture came because a page or a picture could not be
    // loaded (after the pacer's retries) or put in the folder.
    if (!m_entryFailed && m_notes.status() == BatchEntryStatus::Failed) {
        m_entryFailed = true;
        setFailed();
    }
    if (!m_entryFailed) {
        m_view.setRowStatus(row, text(kStatusComplete));
        ++m_outcome.searched;
    }
    entryDone();
    return true;
}

void BatchRun::fail(const QString &why)
{
    m_entryFailed = true;
    m_notes.folderFailed = true;
    m_notes.note(m_notes.failure, text(kWhyResults).arg(why));
    setFailed();
}

void BatchRun::setFailed()
{
    m_view.setRowStatus(m_row, text(kStatusFailed));
    ++m_outcome.failed;
}

void BatchRun::entryDone()
{
    m_notes.hits = m_hitNumber;
    const BatchEntryResult result = m_notes.result(m_folder);
    m_outcome.summary.add(result.status);
    if (m_io.entryDone)
        m_io.entryDone(result);
}

bool BatchRun::searchStages()
{
    SearchCriteria criteria;
    // The artist, one blank and the album, or the title.
    criteria.text = cd() ? m_artist + QLatin1Char(' ') + m_album : m_artist;
    criteria.type = cd() ? SearchType::Music : SearchType::DVD;
    criteria.vantory = m_settings.vantory;
    criteria.brinsell = m_settings.brinsell;
    criteria.genres = m_settings.genres;
    const QList<SearchRequest> requests = m_search.plan(criteria);
    const auto request = [&](RetailerSite site, int genre) -> std::optional<SearchRequest> {
        for (const SearchRequest &r : requests) {
            if (r.site == site && (site != RetailerSite::Vantory || !cd() || r.genreIndex == genre))
                return r;
        }
        return std::nullopt;
    };

    if (cd()) {
        // The bar counts genres: set to a genre as it is searched, one up for
        // each one passed over.
        int bar = 0;
        for (int g = 0; g < kGenreCount; ++g) {
            if (stopRequested())
                return false;
            if (m_entryFailed)
                return true;
            const std::optional<SearchRequest> vantory = request(RetailerSite::Vantory, g);
            if (!vantory) {
                m_view.setBarValue(BatchBar::Search, ++bar);
                continue;
            }
            bar = g;
            m_view.setBarValue(BatchBar::Search, bar);
            searchOne(*vantory);
        }
    } else {
        if (const std::optional<SearchRequest> vantory = request(RetailerSite::Vantory, -1))
            searchOne(*vantory);
        m_view.setBarValue(BatchBar::Search, 1);
    }
    if (stopRequested())
        return false;
    if (m_entryFailed)
        return true;
    m_view.setLabel(BatchLabel::Site, text(cd() ? kSiteBrinsellCD : kSiteBrinsellDVD));
    if (const std::optional<SearchRequest> brinsell = request(RetailerSite::Brinsell, -1))
        searchOne(*brinsell);
    m_view.setBarValue(BatchBar::Search, cd() ? kGenreCount : 2);
    return true;
}

void BatchRun::searchOne(const SearchRequest &request)
{
    // A failed or timed-out load is no page: a Vantory one fails the page
    // test, a Brinsell one gives no hits.
    const LoadedPage page = m_search.load(request);
    if (!page.ok && !stopRequested())
        m_notes.note(m_notes.failure, text(kWhyPage).arg(whyNotLoaded(page), request.url));
    if (RetailerSearch::accepted(request, page)) {
        m_total += request.site == RetailerSite::Vantory ? CollectVantoryHits(request, page.body)
                                                         : CollectBrinsellHits(request, page.body);
    }
    showTotal();
}

qint64 BatchRun::CollectVantoryHits(const SearchRequest &request, const QString &body)
{
    qint64 count = 0;
    m_search.parse(request, body, [&](const PageHit &hit) {
        if (recordHit(kSiteTagVantory, hit.artist, hit.title, hit.largeUrl, true))
            ++count;
    });
    return count;
}

qint64 BatchRun::CollectBrinsellHits(const SearchRequest &request, const QString &body)
{
    qint64 count = 0;
    m_search.parse(request, body, [&](const PageHit &hit) {
        // A product of the shop itself carries no texts of its own: it is
        // recorded under the entry's (a DVD's title as the album). A partner
        // offer has only its title; a DVD records no artist for it.
        QString artist = cd() ? hit.artist : QString();
        QString album = hit.title;
        if (hit.entryTexts) {
            artist = cd() ? m_artist : QString();
            album = cd() ? m_album : m_artist;
        }
        if (recordHit(kSiteTagBrinsell, artist, album, hit.largeUrl, false))
            ++count;
    });
    return count;
}

bool BatchRun::recordHit(const char *siteTag, const QString &artist, const QString &album,
                         const QString &url, bool scrollTo)
{
    const BatchResultRecord record{artist, album, url};
    if (!m_results.writeRecord(m_hitNumber + 1, record)) {
        fail(m_results.errorString());
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
        saveAutomatically(stored.url, qstrcmp(siteTag, kSiteTagVantory) == 0)) {
        m_autoSaved = true;
        m_view.setNodeImage(key, NodeImage::HitSaved);
    }
    return true;
}

bool BatchRun::saveAutomatically(const QString &url, bool fromVantory)
{
    // DVD: the title stands for the artist and there is no album.
    const QString target = CoverFile::target(m_settings.templateName, m_artist, m_album, m_folder);
    const bool existed = FileOps::isRegularFile(target);
    if (existed && !m_settings.replace) {
        // Nothing is downloaded for a picture that is to stay.
        m_notes.note(m_notes.kept, text(kWhyReplaceOff));
        return false;
    }
    const QString scratchFolder = m_io.scratchFolder.isEmpty() ? appFolder() : m_io.scratchFolder;
    const QString scratch = childPath(scratchFolder, QLatin1String(kScratchPicture));
    // The picture is checked in the scratch file before the folder's own is
    // touched, so a failed or empty download leaves the old one as it was.
    const CoverFile::FetchResult fetched = CoverFile::fetch(url, scratch, m_io.download);
    if (fetched == CoverFile::FetchResult::DownloadFailed && !stopRequested())
        m_notes.note(m_notes.failure, text(kWhyDownload).arg(url));
    else if (fetched == CoverFile::FetchResult::Empty)
        m_notes.note(m_notes.noPicture, text(kWhyEmpty).arg(url));
    else if (fetched == CoverFile::FetchResult::NotAPicture)
        m_notes.note(m_notes.noPicture, text(kWhyNotPicture).arg(url));
    if (fetched != CoverFile::FetchResult::Ok)
        return false;
    if (existed && m_settings.replaceLarger) {
        const QSize old = CoverFile::pictureSize(target);
        const QSize fresh = CoverFile::pictureSize(scratch);
        if (pixels(fresh) < pixels(old)) {
            QFile::remove(scratch);
            m_notes.note(m_notes.kept, text(kWhySmaller).arg(sizeText(old), sizeText(fresh)));
            return false;
        }
    }
    // Auto-Crop cuts the checked picture before it is put in place, so the
    // folder only ever holds the old picture or the finished new one, and the
    // undo journal records what the folder really gets. A crop that fails
    // leaves the picture as downloaded; the run goes on.
    if (m_settings.autoCrop)
        autoCropSaved(scratch, m_type, fromVantory, nullptr);
    const CoverFile::ReplacePolicy policy =
        m_settings.replace ? CoverFile::ReplacePolicy::Always : CoverFile::ReplacePolicy::Never;
    const CoverFile::PlaceResult placed = m_io.journal
                                              ? m_io.journal->place(scratch, target, policy)
                                              : CoverFile::place(scratch, target, policy);
    QFile::remove(scratch);
    switch (placed.outcome) {
    case CoverFile::PlaceOutcome::Saved:
    case CoverFile::PlaceOutcome::Replaced:
        m_notes.savedFile = target;
        m_notes.replaced = placed.outcome == CoverFile::PlaceOutcome::Replaced;
        return true;
    case CoverFile::PlaceOutcome::Failed:
        m_pictureFailed = true;
        m_notes.note(m_notes.failure, text(kWhyPlace).arg(placed.error));
        return false;
    case CoverFile::PlaceOutcome::KeptExisting:
        break;
    }
    return false;
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
    settings.autoCrop = mod.autoCrop == 1;
    settings.replaceLarger = mod.batchReplaceLarger == 1;
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
