#include "../search/searchpages.h"
#include "base/appfolder.h"
#include "base/pagesource.h"
#include "batch/batchrestore.h"
#include "batch/batchresultsfile.h"
#include "batch/batchrun.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace SearchPages;

namespace
{

const SiteEndpoints kSites{"v.test", "b.test", kBrinsellImageHost, {}, {}};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

// "V4118:TEXT", "V41938:TEXT", "BM:TEXT" or "BD:TEXT" for a request address.
QString requestLabel(const QString &url)
{
    const auto between = [&](const QString &from, const QString &to) {
        const qsizetype s = url.indexOf(from) + from.size();
        return url.mid(s, url.indexOf(to, s) - s);
    };
    if (url.contains("search-ng.gsp"))
        return 'V' + between("CATEGORY_ID=", "&") + ':' + between("search_query=", "&CATEGORY");
    if (url.contains("querytype=music"))
        return "BM:" + between("&qu=", "=&mfgid");
    return "BD:" + between("&qu=", "&orderby");
}

// Pages by request label ("V4118", "BM", ...); "no matches found" for the
// rest. A body of "#fail" is a failed load.
class FakePages : public IPageSource
{
public:
    LoadedPage load(const QString &url) override
    {
        requests << requestLabel(url);
        if (onLoad)
            onLoad(int(requests.size()));
        LoadedPage page;
        const QString body = bodies.value(requests.last().section(':', 0, 0), "no matches found");
        page.ok = body != "#fail";
        page.locationUrl = url;
        page.body = page.ok ? body : QString();
        return page;
    }
    QMap<QString, QString> bodies;
    QStringList requests;
    std::function<void(int loadNumber)> onLoad;
};

// Writes what a run shows: statuses per row, a log of labels ("L<label>
// text") and bars ("B<bar> value", "M<bar> maximum"), and the hit nodes as
// "key|text|image|scrolled".
class Recorder : public IBatchRunObserver
{
public:
    bool isTicked(int nodeIndex) override { return !unticked.contains(nodeIndex); }
    void setRowStatus(int row, const QString &status) override { statuses[row] = status; }
    void setLabel(BatchLabel label, const QString &text) override
    {
        log << QStringLiteral("L%1 %2").arg(int(label)).arg(text);
    }
    void setBarMaximum(BatchBar bar, int maximum) override
    {
        log << QStringLiteral("M%1 %2").arg(int(bar)).arg(maximum);
    }
    void setBarValue(BatchBar bar, int value) override
    {
        log << QStringLiteral("B%1 %2").arg(int(bar)).arg(value);
    }
    void addHitNode(const QString &folderKey, const QString &nodeKey, const QString &text,
                    NodeImage image, bool scrollTo) override
    {
        QVERIFY(nodeKey.contains(folderKey));
        nodes << QStringLiteral("%1|%2|%3|%4").arg(nodeKey, text).arg(int(image)).arg(scrollTo);
        if (onHit)
            onHit(int(nodes.size()));
    }
    void setNodeImage(const QString &nodeKey, NodeImage image) override
    {
        for (QString &n : nodes) {
            if (n.section('|', 0, 0) == nodeKey)
                n = n.section('|', 0, 1) + '|' + QString::number(int(image)) + '|' +
                    n.section('|', 3);
        }
    }
    QStringList logOf(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : log)
            if (l.startsWith(prefix))
                out << l.mid(prefix.size() + 1);
        return out;
    }
    QSet<int> unticked;
    QMap<int, QString> statuses;
    QStringList log;
    QStringList nodes;
    std::function<void(int hitNumber)> onHit;
};

} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    FakePages m_pages;
    Recorder m_view;
    BatchSettings m_settings;
    bool m_stop = false;
    QStringList m_downloads;
    // What every download gives: "WxH", "garbage", "fail", or "limit" (a
    // 500x500 picture while files are otherwise kept small).
    QString m_pictureKind;
    rlimit m_openLimit{};
    rlimit m_smallLimit{};

    QString folder(const QString &name) const { return m_dir.filePath("f/" + name); }

    BatchRunOutcome run(BatchType type, const std::vector<QueueEntry> &queue)
    {
        BatchRunIo io;
        io.pages = &m_pages;
        io.observer = &m_view;
        io.stopRequested = [this] { return m_stop; };
        io.scratchFolder = m_dir.filePath("app");
        io.download = [this](const QString &url, const QString &path) {
            m_downloads << url;
            if (m_pictureKind == "fail")
                return 1;
            const bool limited = m_pictureKind == "limit";
            if (limited)
                setrlimit(RLIMIT_FSIZE, &m_openLimit);
            QFile f(path);
            int result = f.open(QIODevice::WriteOnly) ? 0 : 2;
            if (result == 0 && m_pictureKind == "garbage") {
                result = f.write("not a picture") > 0 ? 0 : 3;
            } else if (result == 0) {
                const QSize size = limited ? QSize(500, 500)
                                           : QSize(m_pictureKind.section('x', 0, 0).toInt(),
                                                   m_pictureKind.section('x', 1).toInt());
                QImage image(size, QImage::Format_RGB32);
                // Busy pixels, so the picture is larger than a few blocks.
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        image.setPixel(x, y, qRgb(x * 7 ^ y * 13, x * y, x + y));
                result = image.save(&f, "JPG") ? 0 : 4;
            }
            f.close();
            if (limited)
                setrlimit(RLIMIT_FSIZE, &m_smallLimit);
            return result;
        };
        return runBatch(type, queue, m_settings, kSites, io);
    }

    QueueEntry entry(const QString &artist, const QString &album, const QString &name, int node = 2)
    {
        QDir().mkpath(folder(name));
        return {artist, album, folder(name), "Queued", node};
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.filePath("f")).removeRecursively();
        QDir().mkpath(m_dir.filePath("app"));
        m_pages = FakePages();
        m_view = Recorder();
        m_settings = BatchSettings();
        m_settings.vantory = m_settings.brinsell = true;
        m_settings.genres[0] = true;
        m_stop = false;
        m_downloads.clear();
        m_pictureKind = "500x500";
    }

    void requestsAndStatuses_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QList<int>>("genres");
        QTest::addColumn<bool>("vantory");
        QTest::addColumn<bool>("brinsell");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QStringList>("requests");
        const QString t = "Artist A Album B";
        QTest::newRow("genres in index order, then Brinsell")
            << false << QList<int>{11, 0} << true << true << "Artist A"
            << QStringList{"V4118:" + t, "V4115:" + t, "BM:" + t};
        QTest::newRow("Compilation has its own id")
            << false << QList<int>{17} << true << false << "Artist A" << QStringList{"V51934:" + t};
        QTest::newRow("genres without Vantory")
            << false << QList<int>{0} << false << true << "Artist A" << QStringList{"BM:" + t};
        QTest::newRow("Vantory without genres")
            << false << QList<int>{} << true << true << "Artist A" << QStringList{"BM:" + t};
        QTest::newRow("empty artist, blanks trimmed from the address")
            << false << QList<int>{} << false << true << "" << QStringList{"BM:Album B"};
        QTest::newRow("no site: nothing loaded, still Complete")
            << false << QList<int>{0} << false << false << "Artist A" << QStringList{};
        QTest::newRow("DVD: one Vantory request, then Brinsell")
            << true << QList<int>{0} << true << true << " Heat "
            << QStringList{"V41938:Heat", "BD:Heat"};
    }

    void requestsAndStatuses()
    {
        QFETCH(bool, dvd);
        QFETCH(QList<int>, genres);
        QFETCH(bool, vantory);
        QFETCH(bool, brinsell);
        QFETCH(QString, artist);
        QFETCH(QStringList, requests);
        m_settings.genres = {};
        for (int g : genres)
            m_settings.genres[size_t(g)] = true;
        m_settings.vantory = vantory;
        m_settings.brinsell = brinsell;
        // An old results file is replaced even when nothing is found.
        QueueEntry e = entry(artist, dvd ? "" : "Album B", "A");
        QFile old(e.directory + "/batch.rlt");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(710, 'x')) == 710);
        old.close();
        const BatchRunOutcome outcome = run(dvd ? BatchType::DVD : BatchType::CD, {e});
        QCOMPARE(m_pages.requests, requests);
        QCOMPARE(m_view.statuses.value(0), QStringLiteral("Complete"));
        QCOMPARE(QFileInfo(e.directory + "/batch.rlt").size(), 0);
        QCOMPARE(outcome.searched, 1);
        QCOMPARE(m_view.logOf("L0").value(0), artist.trimmed());
    }

    void bars_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QList<int>>("genres");
        QTest::addColumn<bool>("vantory");
        QTest::addColumn<QString>("searchBar"); // its values in order, the maximum first
        QTest::newRow("CD genre 5") << false << QList<int>{5} << true
                                    << "18 0 1 2 3 4 5 5 6 7 8 9 10 11 12 13 14 15 16 17 18";
        QTest::newRow("CD genre 17") << false << QList<int>{17} << true
                                     << "18 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 17 18";
        QTest::newRow("CD without Vantory")
            << false << QList<int>{5} << false
            << "18 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 18";
        QTest::newRow("DVD") << true << QList<int>{} << true << "2 0 1 2";
    }

    void bars()
    {
        QFETCH(bool, dvd);
        QFETCH(QList<int>, genres);
        QFETCH(bool, vantory);
        QFETCH(QString, searchBar);
        m_settings.genres = {};
        for (int g : genres)
            m_settings.genres[size_t(g)] = true;
        m_settings.vantory = vantory;
        run(dvd ? BatchType::DVD : BatchType::CD, {entry("A", "B", "A")});
        QCOMPARE((m_view.logOf("M1") + m_view.logOf("B1")).join(' '), searchBar);
        // A one-row queue still has a total bar that can move.
        QCOMPARE(m_view.logOf("M0"), QStringList{"1"});
    }

    void skippedRowsAndTotalBar()
    {
        // The tick is read when the run reaches the entry: the second row's
        // folder is unticked while the first is searched.
        m_pages.onLoad = [this](int) { m_view.unticked.insert(3); };
        const std::vector<QueueEntry> queue{entry(" Padded ", " Album ", "A", 2),
                                            entry("B", "B", "B", 3), entry("C", "C", "C", 4)};
        QFile old(folder("B") + "/batch.rlt");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(355, 'x')) == 355);
        old.close();
        const BatchRunOutcome outcome = run(BatchType::CD, queue);
        QCOMPARE(m_view.statuses.values(), (QStringList{"Complete", "Skipped", "Complete"}));
        QCOMPARE(outcome.skipped, 1);
        QCOMPARE(QFileInfo(folder("B") + "/batch.rlt").size(), 355); // left as it was
        QCOMPARE(m_view.logOf("M0"), QStringList{"2"});
        QCOMPARE(m_view.logOf("B0"), (QStringList{"0", "1", "2"}));
        QCOMPARE(m_view.logOf("L0"), (QStringList{"Padded", "B", "C"}));
        QCOMPARE(m_view.logOf("L1").first(), QStringLiteral("Album"));
        QCOMPARE(m_pages.requests.first(), QStringLiteral("V4118:Padded Album"));
    }

    void cancelCheckPoints_data()
    {
        QTest::addColumn<int>("stopAtLoad"); // 0: not at a load
        QTest::addColumn<int>("stopAtHit");  // 0: not at a hit
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("records");
        QTest::newRow("before the first page") << 1 << 0 << QStringList{"V4118"} << 0;
        QTest::newRow("during a page: one more hit at most") << 0 << 1 << QStringList{"V4118"} << 1;
        QTest::newRow("between stages") << 2 << 0 << QStringList{"V4118", "V4115"} << 3;
    }

    void cancelCheckPoints()
    {
        QFETCH(int, stopAtLoad);
        QFETCH(int, stopAtHit);
        QFETCH(QStringList, requests);
        QFETCH(int, records);
        m_settings.genres[11] = true;
        m_pages.bodies["V4118"] = vantoryHit(vantoryThumb("a"), "One", "X") +
                                  vantoryHit(vantoryThumb("b"), "Two", "X") +
                                  vantoryHit(vantoryThumb("c"), "Three", "X");
        m_pages.bodies["V4115"] = vantoryHit(vantoryThumb("d"), "Four", "X");
        m_pages.onLoad = [&](int n) { m_stop = m_stop || n == stopAtLoad; };
        m_view.onHit = [&](int n) { m_stop = m_stop || n == stopAtHit; };
        const QueueEntry first = entry("A", "B", "A");
        const BatchRunOutcome outcome = run(BatchType::CD, {first, entry("C", "D", "C")});
        QVERIFY(outcome.stopped);
        QStringList loaded;
        for (const QString &r : m_pages.requests)
            loaded << r.section(':', 0, 0);
        QCOMPARE(loaded, requests);
        // The entry keeps "Searching" and what it recorded; later rows are
        // never reached.
        QCOMPARE(m_view.statuses, (QMap<int, QString>{{0, "Searching"}}));
        const auto stored = readBatchRecords(first.directory + "/batch.rlt");
        QCOMPARE(int(stored.size()), records);
        for (const BatchResultRecord &r : stored)
            QVERIFY(r.album != "Cancel" && r.artist != "Cancel");
    }

    void foldersThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("deleted since the scan") << "deleted";
        QTest::newRow("a folder in the results file's place") << "blocked";
        QTest::newRow("read-only folder") << "readonly";
    }

    void foldersThatCannotBeWritten()
    {
        QFETCH(QString, how);
        if (how == "readonly" && ::geteuid() == 0)
            QSKIP("permissions do not stop root");
        const QueueEntry broken = entry("A", "B", "A");
        if (how == "deleted")
            QDir(broken.directory).removeRecursively();
        else if (how == "blocked")
            QDir().mkpath(broken.directory + "/batch.rlt");
        else
            QFile::setPermissions(broken.directory, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const BatchRunOutcome outcome = run(BatchType::CD, {broken, entry("C", "D", "C")});
        QFile::setPermissions(broken.directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        QCOMPARE(m_view.statuses.values(), (QStringList{"Failed", "Complete"}));
        QCOMPARE(outcome.failed, 1);
        QCOMPARE(m_pages.requests, (QStringList{"V4118:C D", "BM:C D"}));
    }

    void recordsAndNodes_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QStringList>("nodes"); // artist+album|text|image|scrolled
        QTest::addColumn<QString>("saved");     // the picture's name in the folder
        QTest::newRow("CD")
            << false
            << QStringList{"\\VantoryOtherBlack|Other Black|6|1",
                           "\\VantoryMetallicaBlack Album|Metallica Black Album|5|1",
                           "\\BrinsellMetallicaBlack|Metallica Black|6|0",
                           "\\BrinsellN/AOffer|N/A Offer|6|0",
                           "\\BrinsellN/ASecond Offer|N/A Second Offer|6|0"}
            << "Metallica - Black (Black).jpg";
        QTest::newRow("DVD")
            << true
            << QStringList{"\\VantoryOtherBlack|Other Black|5|1",
                           "\\VantoryMetallicaBlack Album|Metallica Black Album|6|1",
                           "\\BrinsellBlack| Black|6|0", "\\BrinsellOffer| Offer|6|0",
                           "\\BrinsellSecond Offer| Second Offer|6|0"}
            << "Black -  (Black).jpg";
    }

    void recordsAndNodes()
    {
        QFETCH(bool, dvd);
        QFETCH(QStringList, nodes);
        QFETCH(QString, saved);
        m_settings.templateName = "@artist@ - @album@ (@folder@)";
        const QString vantory = dvd ? "V41938" : "V4118";
        m_pages.bodies[vantory] = vantoryHit(vantoryThumb("a", ".gif"), "Black", "Other") +
                                  vantoryHit(vantoryThumb("b"), "Black Album", "Metallica");
        // Records 3, 4 and 5 follow the two Vantory ones.
        m_pages.bodies[dvd ? "BD" : "BM"] =
            brinsellProdHit(brinsellPicture("prod_images", "p.gif"), "Ignored", "Ignored") +
            brinsellAdHit(brinsellPicture("ad_images", "x.jpg"), "Offer", "Someone") +
            brinsellAdHit(brinsellPicture("ad_images", "y.jpg"), "Second Offer", "Someone");
        const QueueEntry e =
            dvd ? entry("Black", "", "Black") : entry("Metallica", "Black", "Black");
        run(dvd ? BatchType::DVD : BatchType::CD, {e});
        QStringList expected;
        for (int i = 0; i < nodes.size(); ++i)
            expected << QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')) + e.directory +
                            nodes[i];
        QCOMPARE(m_view.nodes, expected);
        QCOMPARE(m_view.logOf("L3"), (QStringList{" 0", "2", "5"}));
        const auto records = readBatchRecords(e.directory + "/batch.rlt");
        QCOMPARE(int(records.size()), 5);
        QCOMPARE(records[0].url, QStringLiteral("http://img.vantory.test/covers/a_500X500.jpg"));
        QCOMPARE(records[2].url, brinsellPicture("large_images", "p.jpg"));
        QCOMPARE(records[3].url, brinsellPicture("large_images", "x.jpg"));
        QCOMPARE(m_downloads.size(), 1);
        QCOMPARE(QImage(e.directory + '/' + saved).size(), QSize(500, 500));
    }

    void isAutomaticMatch_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QString>("entryArtist");
        QTest::addColumn<QString>("entryAlbum");
        QTest::addColumn<QString>("hitArtist");
        QTest::addColumn<QString>("hitAlbum");
        QTest::addColumn<bool>("match");
        QTest::newRow("album inside, other case") << false << "Metallica"
                                                  << "black"
                                                  << "METALLICA"
                                                  << "The Black Album" << true;
        QTest::newRow("same album, other artist") << false << "Metallica"
                                                  << "Black"
                                                  << "Megadeth"
                                                  << "Black" << false;
        QTest::newRow("artist inside is not equal") << false << "Metal"
                                                    << "Black"
                                                    << "Metallica"
                                                    << "Black" << false;
        QTest::newRow("empty album is inside everything") << false << "Metallica"
                                                          << ""
                                                          << "metallica"
                                                          << "Anything" << true;
        QTest::newRow("N/A artist") << false << "Metallica"
                                    << "Black"
                                    << "N/A"
                                    << "Black" << false;
        QTest::newRow("DVD title inside") << true << "alien"
                                          << ""
                                          << ""
                                          << "ALIEN (1979)" << true;
        QTest::newRow("DVD other title") << true << "Heat"
                                         << ""
                                         << "Heat"
                                         << "Alien" << false;
        QTest::newRow("empty DVD title") << true << ""
                                         << ""
                                         << ""
                                         << "Alien" << true;
    }

    void isAutomaticMatch()
    {
        QFETCH(bool, dvd);
        QFETCH(QString, entryArtist);
        QFETCH(QString, entryAlbum);
        QFETCH(QString, hitArtist);
        QFETCH(QString, hitAlbum);
        QFETCH(bool, match);
        QCOMPARE(::isAutomaticMatch(dvd ? BatchType::DVD : BatchType::CD, entryArtist, entryAlbum,
                                    hitArtist, hitAlbum),
                 match);
    }

    void automaticSave_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("downloads");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("status");
        QTest::newRow("first match saved, second not downloaded")
            << false << false << "500x500" << 1 << true << "Complete";
        QTest::newRow("existing picture kept: replace off")
            << true << false << "500x500" << 0 << false << "Complete";
        QTest::newRow("existing picture replaced: replace on")
            << true << true << "500x500" << 1 << true << "Complete";
        QTest::newRow("empty picture: old kept, next match tried")
            << true << true << "1x1" << 2 << false << "Complete";
        QTest::newRow("undecodable picture")
            << true << true << "garbage" << 2 << false << "Complete";
        QTest::newRow("failed download") << true << true << "fail" << 2 << false << "Complete";
        QTest::newRow("replace that cannot be written")
            << true << true << "limit" << 1 << false << "Failed";
    }

    void automaticSave()
    {
        QFETCH(bool, existing);
        QFETCH(bool, replace);
        QFETCH(QString, picture);
        QFETCH(int, downloads);
        QFETCH(bool, saved);
        QFETCH(QString, status);
        m_settings.replace = replace;
        m_pages.bodies["V4118"] = vantoryHit(vantoryThumb("a"), "The Black Album", "METALLICA") +
                                  vantoryHit(vantoryThumb("b"), "Black", "Metallica");
        const QueueEntry e = entry("Metallica", "Black", "Black");
        const QString target = e.directory + "/folder.jpg";
        const QByteArray old("the old picture");
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
            f.close();
            QFile::setPermissions(target, QFileDevice::ReadOwner); // read-only counts as there
        }
        m_pictureKind = picture;
        if (picture == "limit") {
            // Files may not grow past 2,000 bytes (but for the download):
            // the records fit, the picture's copy into the folder does not.
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &m_openLimit);
            m_smallLimit = m_openLimit;
            m_smallLimit.rlim_cur = 2000;
            setrlimit(RLIMIT_FSIZE, &m_smallLimit);
        }
        run(BatchType::CD, {e});
        if (picture == "limit")
            setrlimit(RLIMIT_FSIZE, &m_openLimit);
        QCOMPARE(m_downloads.size(), downloads);
        QCOMPARE(m_view.statuses.value(0), status);
        QCOMPARE(m_view.nodes.first().section('|', 2, 2), saved ? "5" : "6");
        QCOMPARE(m_view.nodes.last().section('|', 2, 2), QStringLiteral("6"));
        if (saved)
            QCOMPARE(QImage(target).size(), QSize(500, 500));
        else if (existing)
            QCOMPARE(fileBytes(target), old);
        else
            QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(QDir(e.directory).entryList(QDir::Files | QDir::Hidden).size(),
                 existing || saved ? 2 : 1);
        QCOMPARE(QDir(m_dir.filePath("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void countsPastSixteenBits()
    {
        // 33,000 hits for one entry: the total, the record numbers and the
        // node keys past 9999 all hold, and a restore reads every record.
        QString page;
        for (int i = 0; i < 33000; ++i)
            page += vantoryHit(vantoryThumb(QString::number(i)), "T", "X");
        m_pages.bodies["V4118"] = page;
        m_settings.brinsell = false;
        const QueueEntry e = entry("A", "B", "A");
        run(BatchType::CD, {e});
        QCOMPARE(m_view.logOf("L3").last(), QStringLiteral("33000"));
        QCOMPARE(m_view.nodes.size(), 33000);
        const QString key = m_view.nodes[32999].section('|', 0, 0);
        QVERIFY(key.startsWith("33000" + e.directory));
        QCOMPARE(hitRecordNumber(key, e.directory), 33000);
        const BatchTreeRestore restore = restoreBatchTree(BatchType::CD, m_dir.filePath("f"));
        QCOMPARE(restore.hitCount, 33000);
    }

    void elapsedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << qint64(0) << "000:00";
        QTest::newRow("five seconds") << qint64(5) << "000:05";
        QTest::newRow("125 seconds") << qint64(125) << "002:05";
        QTest::newRow("3725 seconds") << qint64(3725) << "062:05";
        QTest::newRow("minutes past three digits") << qint64(60000) << "1000:00";
    }

    void elapsedText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(batchElapsedText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
