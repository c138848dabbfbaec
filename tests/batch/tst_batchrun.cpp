#include "base/fileops.h"
#include "base/pagesource.h"
#include "base/settings.h"
#include "batch/batchjournal.h"
#include "batch/batchmissing.h"
#include "batch/batchrestore.h"
#include "batch/batchresultsfile.h"
#include "batch/batchrun.h"
#include "batchtesthelpers.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// A page of tests/data/batch.
QString page(const QString &name)
{
    return QString::fromUtf8(TestFiles::readFile(TestFiles::testData("batch/" + name + ".html")));
}

// One run through the seam. Pages come by request label ("V4118", "V41938",
// "BM", "BD"; "no matches found" for the rest), requests are written down as
// "LABEL:search text", what the run shows as "L<label> text", "B<bar> value"
// and "M<bar> maximum", nodes as "key|text|image|scrolled". Every download
// gives `picture`: "WxH", "garbage" or "fail" (a time-out).
struct Rig : IPageSource, IBatchRunObserver {
    QTemporaryDir dir;
    BatchSettings settings;
    QMap<QString, QString> bodies;
    QSet<QString> failingPages; // labels answered 503
    QStringList requests, urls, nodes, downloads;
    QMap<QString, QStringList> log;
    QMap<int, QString> statuses;
    QSet<int> unticked;
    QList<BatchEntryResult> results;
    std::function<void()> onLoad;
    int stopAtLoad = 0, stopAtHit = 0;
    bool stop = false;
    QString picture = "500x500";

    Rig()
    {
        settings.vantory = settings.brinsell = true;
        settings.genres[0] = true;
        QDir().mkpath(dir.filePath("app"));
    }
    LoadedPage load(const QString &url) override
    {
        const bool vantory = url.contains("search-ng.gsp");
        const QString label = vantory ? 'V' + url.section("CATEGORY_ID=", 1).section('&', 0, 0)
                              : url.contains("=music") ? "BM"
                                                       : "BD";
        requests << label + ':' +
                        url.section(vantory ? "search_query=" : "&qu=", 1).section('&', 0, 0);
        requests.last().remove(QRegularExpression("=$"));
        urls << url;
        stop = stop || requests.size() == stopAtLoad;
        if (onLoad)
            onLoad();
        if (failingPages.contains(label))
            return {false, {}, {}, 503, {}};
        return {true, url, bodies.value(label, "no matches found"), 200, {}};
    }
    bool isTicked(int node) override { return !unticked.contains(node); }
    void setRowStatus(int row, const QString &status) override { statuses[row] = status; }
    void setLabel(BatchLabel l, const QString &text) override { log["L" + n(int(l))] << text; }
    void setBarMaximum(BatchBar b, int max) override { log["M" + n(int(b))] << n(max); }
    void setBarValue(BatchBar b, int value) override { log["B" + n(int(b))] << n(value); }
    static QString n(int number) { return QString::number(number); }
    void addHitNode(const QString &, const QString &key, const QString &text, NodeImage image,
                    bool scrollTo) override
    {
        nodes << QStringLiteral("%1|%2|%3|%4").arg(key, text).arg(int(image)).arg(scrollTo);
        stop = stop || nodes.size() == stopAtHit;
    }
    void setNodeImage(const QString &key, NodeImage image) override
    {
        for (QString &n : nodes)
            if (n.startsWith(key + '|'))
                n = n.section('|', 0, 1) + QStringLiteral("|%1|").arg(int(image)) +
                    n.section('|', 3);
    }
    QStringList logOf(const QString &prefix) const { return log.value(prefix); }
    QueueEntry entry(const QString &artist, const QString &album, const QString &name, int node = 2)
    {
        QDir().mkpath(dir.filePath(name));
        return {artist, album, dir.filePath(name), "Queued", node};
    }
    BatchRunOutcome run(BatchType type, const std::vector<QueueEntry> &queue)
    {
        BatchRunIo io;
        io.pages = this;
        io.observer = this;
        io.stopRequested = [this] { return stop; };
        io.scratchFolder = dir.filePath("app");
        io.download = [this](const QString &url, const QString &path) {
            downloads << url;
            if (picture == "garbage")
                writeFile(path, "not a picture");
            else if (picture != "fail")
                TestFiles::writePicture(path, picture.section('x', 0, 0).toInt(),
                                        picture.section('x', 1).toInt());
            DownloadResult r;
            r.status =
                picture == "fail" ? DownloadResult::Status::TimedOut : DownloadResult::Status::Ok;
            return r;
        };
        io.entryDone = [this](const BatchEntryResult &result) { results << result; };
        const SiteEndpoints sites{"v.test", "b.test", "images.brinsell.test", {}, {}};
        return runBatch(type, queue, settings, sites, io);
    }
};

} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT
private slots:
    void requests_data() { TestFiles::addTableRows("batch-requests.tsv"); }

    void requests()
    {
        QFETCH(QString, type);
        QFETCH(QString, genres);
        QFETCH(QString, sites);
        QFETCH(QString, artist);
        const bool dvd = type == "DVD";
        Rig r;
        r.settings.genres = {};
        for (const QString &g : genres.split(' '))
            r.settings.genres[g.toUInt()] = true;
        r.settings.vantory = sites.contains("Vantory");
        r.settings.brinsell = sites.contains("Brinsell");
        // An old results file is replaced even when nothing is found.
        const QueueEntry e = r.entry(artist, dvd ? "" : "Album B", "A");
        QVERIFY(writeFile(e.directory + "/batch.rlt", QByteArray(710, 'x')));
        QCOMPARE(r.run(dvd ? BatchType::DVD : BatchType::CD, {e}).searched, 1);
        QTEST(r.requests.join(' '), "requests");
        QTEST((r.logOf("M1") + r.logOf("B1")).join(' '), "searchBar");
        QCOMPARE(r.statuses, (QMap<int, QString>{{0, "Complete"}}));
        QCOMPARE(QFileInfo(e.directory + "/batch.rlt").size(), 0);
        // A one-row queue's bar can still move.
        QCOMPARE(r.logOf("L0") + r.logOf("M0"), (QStringList{artist.trimmed(), "1"}));
    }

    void skippedRows()
    {
        Rig r;
        // Ticks are read when the run reaches an entry: the second folder is
        // unticked while the first is searched.
        r.onLoad = [&r] { r.unticked.insert(3); };
        r.bodies["V4118"] = page("vantory-two-matches");
        const std::vector<QueueEntry> queue{r.entry(" Padded ", " Album ", "A", 2),
                                            r.entry("B", "B", "B", 3), r.entry("C", "C", "C", 4)};
        QVERIFY(writeFile(queue[1].directory + "/batch.rlt", QByteArray(355, 'x')));
        QCOMPARE(r.run(BatchType::CD, queue).skipped, 1);
        QCOMPARE(r.statuses.values(), (QStringList{"Complete", "Skipped", "Complete"}));
        QCOMPARE(QFileInfo(queue[1].directory + "/batch.rlt").size(), 355); // left as it was
        QStringList shown; // the bar, then the labels, as they were set
        for (const char *key : {"M0", "B0", "L0", "L2", "L3"})
            shown << r.logOf(key).join(',');
        QCOMPARE(shown.join('|'), "2|0,1,2|Padded,B,C|Vantory,Brinsell...,Vantory,Vantory,"
                                  "Brinsell...| 0,2,2, 0, 0,2,2");
        QCOMPARE(r.requests.first(), QStringLiteral("V4118:Padded Album"));
    }

    void stopsAndFailures_data() { TestFiles::addTableRows("batch-stops.tsv"); }

    void stopsAndFailures()
    {
        QFETCH(QString, broken);
        Rig r;
        QFETCH(QString, stopAtLoad);
        QFETCH(QString, stopAtHit);
        r.stopAtLoad = stopAtLoad.toInt();
        r.stopAtHit = stopAtHit.toInt();
        r.settings.genres[11] = true;
        r.bodies["V4118"] = page("vantory-two-matches");
        const QueueEntry first = r.entry("A", "B", "A");
        if (broken == "deleted")
            QDir(first.directory).removeRecursively();
        else if (broken == "blocked")
            QDir().mkpath(first.directory + "/batch.rlt");
        const BatchRunOutcome outcome = r.run(BatchType::CD, {first, r.entry("C", "D", "C")});
        QCOMPARE(outcome.stopped, broken.isEmpty());
        QCOMPARE(outcome.failed, broken.isEmpty() ? 0 : 1);
        QTEST(QString::number(r.requests.size()), "requests"); // the failed folder's are never made
        QTEST(r.statuses.values().join(' '), "statuses");
        QCOMPARE(batchEntryStatusText(r.results.value(0).status),
                 broken.isEmpty() ? "cancelled" : "failed");
        // Whatever a cancel interrupted keeps what it recorded, never "Cancel".
        const auto stored = readBatchRecords(first.directory + "/batch.rlt");
        QTEST(QString::number(stored.size()), "records");
        for (const BatchResultRecord &record : stored)
            QVERIFY(record.album != "Cancel" && record.artist != "Cancel");
    }

    void recordsAndNodes_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QString>("saved"); // the picture's name in the folder
        QTest::addColumn<QSize>("size");
        QTest::newRow("cd") << false << "Metallica - Black (Black).jpg" << QSize(500, 500);
        QTest::newRow("dvd, Auto-Crop") << true << "Black -  (Black).jpg" << QSize(350, 500);
    }

    void recordsAndNodes()
    {
        QFETCH(bool, dvd);
        Rig r;
        r.settings.templateName = "@artist@ - @album@ (@folder@)";
        r.settings.autoCrop = true;
        r.bodies[dvd ? "V41938" : "V4118"] = page("vantory-two-matches");
        // Records 3, 4 and 5 follow the two Vantory ones.
        r.bodies[dvd ? "BD" : "BM"] = page("brinsell-product-and-offers");
        const QueueEntry e =
            dvd ? r.entry("Black", "", "Black") : r.entry("Metallica", "Black", "Black");
        r.run(dvd ? BatchType::DVD : BatchType::CD, {e});
        const QString nodes = TestFiles::readFile(
            TestFiles::testData(QStringLiteral("batch/run-nodes-%1.txt").arg(dvd ? "dvd" : "cd")));
        QCOMPARE(r.nodes.join('\n').replace(e.directory, "{folder}") + '\n', nodes);
        QCOMPARE(r.logOf("L3"), (QStringList{" 0", "2", "5"}));
        const auto records = readBatchRecords(e.directory + "/batch.rlt");
        QCOMPARE(int(records.size()), 5);
        QCOMPARE(records[0].url, QStringLiteral("http://img.vantory.test/covers/a_500X500.jpg"));
        QCOMPARE(records[3].url,
                 QStringLiteral("http://images.brinsell.test/db_assets/large_images/x.jpg"));
        QCOMPARE(r.downloads.size(), 1);
        QFETCH(QString, saved);
        QTEST(QImage(e.directory + '/' + saved).size(), "size");
    }

    void matchRule_data() { TestFiles::addTableRows("batch-match-rule.tsv"); }

    void matchRule()
    {
        QFETCH(QString, type);
        QFETCH(QString, artist);
        QFETCH(QString, album);
        QFETCH(QString, hitArtist);
        QFETCH(QString, hitAlbum);
        const bool match = isAutomaticMatch(type == "CD" ? BatchType::CD : BatchType::DVD, artist,
                                            album, hitArtist, hitAlbum);
        QTEST(QString(match ? "yes" : "no"), "match");
    }

    void automaticSave_data() { TestFiles::addTableRows("batch-automatic-save.tsv"); }

    void automaticSave()
    {
        QFETCH(QString, existing);
        QFETCH(QString, settings);
        QFETCH(QString, pages);
        QFETCH(QString, status);
        QFETCH(QString, detail);
        Rig r;
        r.settings.replace = settings.contains("replace");
        r.settings.replaceLarger = settings.contains("larger");
        r.settings.templateName = settings.contains("long") ? QString(250, 'x') : "folder";
        QFETCH(QString, picture);
        r.picture = picture.isEmpty() ? r.picture : picture;
        if (pages == "match" || pages == "other")
            r.bodies["V4118"] = page("vantory-two-matches");
        else if (pages.startsWith("fails"))
            r.failingPages << "V4118";
        if (pages.endsWith("Brinsell"))
            r.bodies["BM"] = page("brinsell-product-and-offers");
        const bool cyrillic = pages.startsWith("Cyrillic");
        const QueueEntry e = cyrillic ? r.entry("Кино", "Группа крови", "Kino")
                             : pages == "other" ? r.entry("Metallica", "White", "White")
                                                : r.entry("Metallica", "Black", "Black");
        const QString target = e.directory + '/' + r.settings.templateName + ".jpg";
        if (existing == "garbage")
            QVERIFY(writeFile(target, "not a picture"));
        else if (!existing.isEmpty())
            TestFiles::writePicture(target, existing.section('x', 0, 0).toInt(),
                                    existing.section('x', 1).toInt());
        QFile::setPermissions(target, QFileDevice::ReadOwner); // read-only counts too
        const QByteArray before = fileBytes(target);
        const BatchRunOutcome outcome = r.run(BatchType::CD, {e});
        QTEST(QString::number(r.downloads.size()), "downloads");
        QCOMPARE(r.results.size(), 1);
        const BatchEntryResult result = r.results.value(0);
        QCOMPARE(batchEntryStatusText(result.status), status);
        detail.replace("{target}", target).replace("{page}", r.urls.value(0));
        detail.replace("{url}", r.downloads.value(0));
        if (detail.endsWith('*'))
            QVERIFY2(result.detail.startsWith(detail.chopped(1)), qPrintable(result.detail));
        else
            QCOMPARE(result.detail, detail);
        QCOMPARE(r.statuses.value(0), status == "failed" ? "Failed" : "Complete");
        QCOMPARE(outcome.failed, status == "failed" ? 1 : 0);
        const bool saved = status == "saved" || status == "replaced";
        // The first hit is the one saved, and no other.
        QCOMPARE(r.nodes.filter("|5|").size() + r.nodes.value(0).contains("|5|"), saved ? 2 : 0);
        if (saved)
            QCOMPARE(QImage(target).size(), QSize(500, 500));
        else // kept, or nothing to save: the folder's picture as it was
            QCOMPARE(fileBytes(target), before);
        if (cyrillic) // the record holds what Windows-1252 can
            QCOMPARE(readBatchRecords(e.directory + "/batch.rlt")[0].album, "?????? ?????");
        // Nothing left behind: no scratch picture, no half-written copy.
        QCOMPARE(QDir(e.directory).entryList(QDir::Files | QDir::Hidden).size(),
                 existing.isEmpty() && !saved ? 1 : 2);
        QVERIFY(QDir(r.dir.filePath("app")).isEmpty());
    }

    void foldersWithoutTheirPicture()
    {
        // Whatever file has the name counts, a folder does not; a DVD's title
        // stands for the artist and its album stays empty.
        Rig r;
        const std::vector<QueueEntry> dvd{r.entry("Heat", "ignored", "Heat", 2),
                                          r.entry("Alien", "", "Alien", 6)};
        QVERIFY(writeFile(dvd[0].directory + "/Heat - .jpg", "any file"));
        QDir().mkpath(dvd[1].directory + "/Alien - .jpg");
        QCOMPARE(foldersWithoutPicture(BatchType::DVD, dvd, "@artist@ - @album@"),
                 std::vector<int>{6});
    }

    void countsPastSixteenBits()
    {
        Rig r;
        r.bodies["V4118"] = page("vantory-two-matches").repeated(16500);
        const QueueEntry e = r.entry("A", "B", "A");
        r.run(BatchType::CD, {e});
        QCOMPARE(r.logOf("L3").last(), QStringLiteral("33000"));
        QVERIFY(r.nodes.last().startsWith("33000" + e.directory));
        QCOMPARE(restoreBatchTree(BatchType::CD, r.dir.path()).hitCount, 33000);
    }

    void undo_data() { TestFiles::addTableRows("batch-undo.tsv"); }

    void undo()
    {
        QFETCH(QString, since);
        QTemporaryDir dir;
        QTemporaryDir shm("/dev/shm/tst_batchundo-XXXXXX");
        const bool elsewhere =
            QTest::currentDataTag() == QLatin1String("backup on another file system");
        BatchJournal journal(elsewhere && shm.isValid() ? shm.filePath("undo")
                                                        : dir.filePath("undo"));
        const QString oldPic = dir.filePath("B/old.jpg"), newPic = dir.filePath("A/new.jpg");
        QVERIFY(writeFile(oldPic, "old") && writeFile(dir.filePath("one"), "first picture") &&
                writeFile(dir.filePath("two"), "second picture"));
        QFile::setPermissions(oldPic, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QDir().mkpath(dir.filePath("A"));

        QVERIFY(journal.startRun());
        const auto always = CoverFile::ReplacePolicy::Always;
        QCOMPARE(journal.place(dir.filePath("one"), newPic, always).outcome,
                 CoverFile::PlaceOutcome::Saved);
        QCOMPARE(journal.place(dir.filePath("two"), oldPic, always).outcome,
                 CoverFile::PlaceOutcome::Replaced);
        // A placement that failed is not to be undone.
        QCOMPARE(journal.place(dir.filePath("one"), dir.filePath("gone/x.jpg"), always).outcome,
                 CoverFile::PlaceOutcome::Failed);
        QCOMPARE(fileBytes(oldPic), QByteArray("second picture"));

        if (since == "edit old" || since == "edit new")
            QVERIFY(writeFile(since == "edit old" ? oldPic : newPic, "edited"));
        if (since == "delete new" || since == "no change")
            QFile::remove(newPic);
        if (since == "no change") // the old picture never left: its backup is a second name
            QVERIFY(FileOps::replaceWithCopy(oldPic, journal.backupFolder() + "/000002.jpg"));
        if (since.startsWith("no ")) {
            // A process killed at that point: no "done" lines, a torn last one.
            const QString path = journal.folder() + "/journal.txt";
            QVERIFY(writeFile(
                path, fileBytes(path).replace("done\t1\r\n", "").replace("done\t2\r\n", "") +
                          "intend\t3\tnew\t/x"));
        }

        // A new process finds the journal where the run left it.
        BatchJournal later(journal.folder());
        QCOMPARE(later.pending().replaced + later.pending().created, 2);
        const BatchJournal::UndoResult result = later.undo();
        QVERIFY(result.found);
        QTEST(QStringList({QString::number(result.restored), QString::number(result.removed),
                           result.leftAlone.join(' ').remove(dir.path()), fileBytes(oldPic),
                           fileBytes(newPic)})
                  .join('|'),
              "after");
        QVERIFY(result.failed.isEmpty());
        if (result.restored == 1)
            QCOMPARE(QFileInfo(oldPic).permissions() & 0xF0FF,
                     QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        // The old picture of one left alone waits in the backup folder.
        QCOMPARE(QDir(journal.backupFolder()).entryList(QDir::Files).size(), since == "edit old");

        // Undone once; a new run drops the last one's journal and backups.
        QVERIFY(!later.undo().found);
        QCOMPARE(later.pending().replaced + later.pending().created, 0);
        QVERIFY(journal.startRun());
        QVERIFY(QDir(journal.backupFolder()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
