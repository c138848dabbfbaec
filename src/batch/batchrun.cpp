#include "batch/batchrun.h"

#include "base/appfolder.h"
#include "base/fileops.h"
#include "base/folderwalk.h"
#include "base/pagesource.h"
#include "batch/batchcrop.h"
#include "batch/batchjournal.h"
#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"
#include "cover/coverfile.h"
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

// What a page or picture that still failed after its retries ran into.
QString whyFailed(int httpStatus, bool timedOut, bool connectionReset)
{
    if (timedOut)
        return text(kWhyTimeOut);
    if (httpStatus != 0 && (httpStatus < 200 || httpStatus > 299))
        return text(kWhyHttp).arg(httpStatus);
    return text(connectionReset ? kWhyConnectionLost : kWhyNetwork);
}

QString whyNotDownloaded(const DownloadResult &result)
{
    switch (result.status) {
    case DownloadResult::Status::TooLarge:
        return text(kWhyTooLarge);
    case DownloadResult::Status::WriteFailed:
        return text(kWhyScratch);
    default:
        return whyFailed(result.httpStatus, result.status == DownloadResult::Status::TimedOut,
                         result.connectionReset);
    }
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
        h.keepGoing = [this] { return !stopRequested() && !m_notes.folderFailed; };
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
    // A file of the entry's folder could not be written.
    void folderFailed(const QString &file, const QString &error);

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
    QString m_artist; // the artist, or the DVD title
    QString m_album;  // empty for a DVD
    QString m_folder;
    BatchResultsFile m_results;
    qint64 m_hitNumber = 0;
    qint64 m_total = 0;
    bool m_autoSaved = false;
    // A page or picture could not be loaded, or the folder refused the
    // picture: no later hit is saved.
    bool m_savesStopped = false;
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
    m_total = 0;
    m_autoSaved = false;
    m_savesStopped = false;
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
    bool goOn = true;
    if (m_results.create(childPath(m_folder, QLatin1String(kResultsFileName)))) {
        goOn = searchStages();
        m_results.close();
    } else {
        m_notes.folderFailed = true;
        folderFailed(QLatin1String(kResultsFileName), m_results.errorString());
    }
    m_notes.interrupted = !goOn;
    m_notes.hits = m_hitNumber;
    // Failed also when no picture came because a page or a picture could not
    // be loaded (after the pacer's retries), was refused or could not be put
    // in the folder. An entry the run stopped inside stays "Searching".
    const BatchEntryResult result = m_notes.result(m_folder);
    if (result.status == BatchEntryStatus::Failed) {
        m_view.setRowFailure(row, result.reason, result.detail);
        m_view.setRowStatus(row, text(kStatusFailed));
        ++m_outcome.failed;
    } else if (goOn) {
        m_view.setRowStatus(row, text(kStatusComplete));
        ++m_outcome.searched;
    }
    m_outcome.summary.add(result.status);
    if (m_io.entryDone)
        m_io.entryDone(result);
    return goOn;
}

void BatchRun::folderFailed(const QString &file, const QString &error)
{
    m_notes.fail(text(kWhyFolder), text(kWhatFile).arg(file, error));
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
            if (m_notes.folderFailed)
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
    if (m_notes.folderFailed)
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
    if (!page.ok && !stopRequested()) {
        m_notes.fail(
            text(kWhyPage).arg(whyFailed(page.httpStatus, page.timedOut, page.connectionReset)),
            request.url);
        m_savesStopped = true;
    }
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
        m_notes.folderFailed = true;
        folderFailed(QLatin1String(kResultsFileName), m_results.errorString());
        return false;
    }
    ++m_hitNumber;
    // Nodes go by what the record holds: texts cut to their fields and to
    // Windows-1252, as a restore reads them back. The match and the download
    // go by the hit as found, so texts the record cannot hold still match.
    const BatchResultRecord stored = decodeBatchRecord(encodeBatchRecord(record));
    const QString key = hitNodeKey(m_hitNumber, m_folder, siteTag, stored.artist, stored.album);
    m_view.addHitNode(m_folder, key, hitNodeText(stored.artist, stored.album),
                      NodeImage::HitNotSaved, scrollTo);
    if (!m_autoSaved && !m_savesStopped &&
        isAutomaticMatch(m_type, m_artist, m_album, artist, album) &&
        saveAutomatically(url, qstrcmp(siteTag, kSiteTagVantory) == 0)) {
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
    std::optional<DownloadResult> got;
    const CoverFile::FetchResult fetched =
        CoverFile::fetch(url, scratch, [&](const QString &from, const QString &to) {
            got = m_io.download ? m_io.download(from, to) : downloadToFile(from, to);
            return got->ok() ? 0 : 1;
        });
    // A picture that came but was refused leaves the next match its chance;
    // one that could not be loaded ends the entry's saves.
    const bool refused = fetched == CoverFile::FetchResult::NotAPicture ||
                         (fetched == CoverFile::FetchResult::DownloadFailed && got && got->ok());
    if (refused) {
        m_notes.fail(text(kWhyNotPicture), url);
    } else if (fetched == CoverFile::FetchResult::Empty) {
        m_notes.note(m_notes.noPicture, text(kWhyEmpty).arg(url));
    } else if (fetched == CoverFile::FetchResult::DownloadFailed && !stopRequested()) {
        m_notes.fail(text(kWhyDownload).arg(got ? whyNotDownloaded(*got) : text(kWhyScratch)), url);
        m_savesStopped = true;
    }
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
        m_savesStopped = true;
        folderFailed(CoverFile::folderName(target), placed.error);
        return false;
    case CoverFile::PlaceOutcome::KeptExisting:
        break;
    }
    return false;
}

} // namespace

BatchSettings BatchSettings::fromShared(const ModJacketeer &mod)
{
    return {mod.batch, mod.qsName};
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
