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

using namespace SearchPages;

namespace
{

const SiteEndpoints kSites{"v.test", "b.test", kBrinsellImageHost, {}, {}};

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

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace

// The run through its seam: pages by request label ("V4118", "BM", ...; "no
// matches found" for the rest), what it shows written down ("L<label> text",
// "B<bar> value", "M<bar> maximum"; nodes as "key|text|image|scrolled"), and
// pictures of the test's own.
class TestBatchRun : public QObject, public IPageSource, public IBatchRunObserver
{
    Q_OBJECT

public:
    LoadedPage load(const QString &url) override
    {
        m_requests << requestLabel(url);
        m_stop = m_stop || m_requests.size() == m_stopAtLoad;
        if (m_onLoad)
            m_onLoad();
        LoadedPage page;
        page.ok = true;
        page.locationUrl = url;
        page.body = m_bodies.value(m_requests.last().section(':', 0, 0), "no matches found");
        return page;
    }
    bool isTicked(int nodeIndex) override { return !m_unticked.contains(nodeIndex); }
    void setRowStatus(int row, const QString &status) override { m_statuses[row] = status; }
    void setLabel(BatchLabel label, const QString &text) override
    {
        m_log << QStringLiteral("L%1 %2").arg(int(label)).arg(text);
    }
    void setBarMaximum(BatchBar bar, int max) override
    {
        m_log << QStringLiteral("M%1 %2").arg(int(bar)).arg(max);
    }
    void setBarValue(BatchBar bar, int value) override
    {
        m_log << QStringLiteral("B%1 %2").arg(int(bar)).arg(value);
    }
    void addHitNode(const QString &folderKey, const QString &nodeKey, const QString &text,
                    NodeImage image, bool scrollTo) override
    {
        m_nodes << QStringLiteral("%1|%2|%3|%4").arg(nodeKey, text).arg(int(image)).arg(scrollTo);
        Q_UNUSED(folderKey);
        m_stop = m_stop || m_nodes.size() == m_stopAtHit;
    }
    void setNodeImage(const QString &nodeKey, NodeImage image) override
    {
        for (QString &n : m_nodes)
            if (n.startsWith(nodeKey + '|'))
                n = n.section('|', 0, 1) + QStringLiteral("|%1|").arg(int(image)) +
                    n.section('|', 3);
    }

private:
    QTemporaryDir m_dir;
    BatchSettings m_settings;
    QMap<QString, QString> m_bodies;
    QStringList m_requests;
    QSet<int> m_unticked;
    QMap<int, QString> m_statuses;
    QStringList m_log;
    QStringList m_nodes;
    std::function<void()> m_onLoad;
    int m_stopAtLoad = 0;
    int m_stopAtHit = 0;
    bool m_stop = false;
    QStringList m_downloads;
    // What every download gives: "WxH", "garbage", "fail", or "limit" (a
    // 500x500 picture while files are otherwise kept small).
    QString m_picture;
    rlimit m_openLimit{};
    rlimit m_smallLimit{};

    QString folder(const QString &name) const { return m_dir.filePath("f/" + name); }
    QueueEntry entry(const QString &artist, const QString &album, const QString &name, int node = 2)
    {
        QDir().mkpath(folder(name));
        return {artist, album, folder(name), "Queued", node};
    }
    QStringList logOf(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : m_log)
            if (l.startsWith(prefix + ' '))
                out << l.mid(prefix.size() + 1);
        return out;
    }

    int download(const QString &url, const QString &path)
    {
        m_downloads << url;
        const bool limited = m_picture == "limit";
        if (limited)
            setrlimit(RLIMIT_FSIZE, &m_openLimit);
        QFile f(path);
        int result = m_picture != "fail" && f.open(QIODevice::WriteOnly) ? 0 : 1;
        if (result == 0 && m_picture == "garbage") {
            f.write("not a picture");
        } else if (result == 0) {
            const QString size = limited ? "500x500" : m_picture;
            QImage image(size.section('x', 0, 0).toInt(), size.section('x', 1).toInt(),
                         QImage::Format_RGB32);
            // Busy pixels, so that the picture takes more than a few bytes.
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, qRgb(x * 7 ^ y * 13, x * y, x + y));
            result = image.save(&f, "JPG") ? 0 : 2;
        }
        f.close();
        if (limited)
            setrlimit(RLIMIT_FSIZE, &m_smallLimit);
        return result;
    }

    BatchRunOutcome run(BatchType type, const std::vector<QueueEntry> &queue)
    {
        BatchRunIo io;
        io.pages = this;
        io.observer = this;
        io.stopRequested = [this] { return m_stop; };
        io.scratchFolder = m_dir.filePath("app");
        io.download = [this](const QString &url, const QString &path) {
            return download(url, path);
        };
        return runBatch(type, queue, m_settings, kSites, io);
    }

    void setGenres(const QList<int> &genres)
    {
        m_settings.genres = {};
        for (int g : genres)
            m_settings.genres[size_t(g)] = true;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.filePath("f")).removeRecursively();
        QDir().mkpath(m_dir.filePath("app"));
        m_settings = BatchSettings();
        m_settings.vantory = m_settings.brinsell = true;
        setGenres({0});
        m_bodies.clear();
        m_requests.clear();
        m_unticked.clear();
        m_statuses.clear();
        m_log.clear();
        m_nodes.clear();
        m_stopAtLoad = m_stopAtHit = 0;
        m_onLoad = {};
        m_stop = false;
        m_downloads.clear();
        m_picture = "500x500";
    }

    void requests_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QList<int>>("genres");
        QTest::addColumn<bool>("vantory");
        QTest::addColumn<bool>("brinsell");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("searchBar"); // its maximum, then its values
        const QString t = "Artist A Album B";
        QTest::newRow("genres in index order, then Brinsell")
            << false << QList<int>{11, 5} << true << true << "Artist A"
            << QStringList{"V4112:" + t, "V4115:" + t, "BM:" + t}
            << "18 0 1 2 3 4 5 5 6 7 8 9 10 11 12 13 14 15 16 17 18";
        QTest::newRow("Compilation, the last genre, has its own id")
            << false << QList<int>{17} << true << false << "Artist A" << QStringList{"V51934:" + t}
            << "18 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 17 18";
        QTest::newRow("genres without Vantory, empty artist")
            << false << QList<int>{5} << false << true << "" << QStringList{"BM:Album B"}
            << "18 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 18";
        QTest::newRow("no site: still Complete")
            << false << QList<int>{0} << false << false << "Artist A" << QStringList{}
            << "18 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 18";
        QTest::newRow("DVD: one Vantory request, then Brinsell")
            << true << QList<int>{0} << true << true << " Heat "
            << QStringList{"V41938:Heat", "BD:Heat"} << "2 0 1 2";
    }

    void requests()
    {
        QFETCH(bool, dvd);
        QFETCH(QList<int>, genres);
        QFETCH(bool, vantory);
        QFETCH(bool, brinsell);
        QFETCH(QString, artist);
        QFETCH(QStringList, requests);
        QFETCH(QString, searchBar);
        setGenres(genres);
        m_settings.vantory = vantory;
        m_settings.brinsell = brinsell;
        // An old results file is replaced even when nothing is found.
        const QueueEntry e = entry(artist, dvd ? "" : "Album B", "A");
        QFile old(e.directory + "/batch.rlt");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(710, 'x')) == 710);
        old.close();
        QCOMPARE(run(dvd ? BatchType::DVD : BatchType::CD, {e}).searched, 1);
        QCOMPARE(m_requests, requests);
        QCOMPARE((logOf("M1") + logOf("B1")).join(' '), searchBar);
        QCOMPARE(m_statuses, (QMap<int, QString>{{0, "Complete"}}));
        QCOMPARE(QFileInfo(e.directory + "/batch.rlt").size(), 0);
        QCOMPARE(logOf("L0"), QStringList{artist.trimmed()});
        QCOMPARE(logOf("M0"), QStringList{"1"}); // a one-row queue's bar can still move
    }

    void skippedRows()
    {
        // Ticks are read when the run reaches an entry: the second folder is
        // unticked while the first is searched.
        m_onLoad = [this] { m_unticked.insert(3); };
        m_bodies["V4118"] = vantoryHit(vantoryThumb("a"), "T", "X");
        const std::vector<QueueEntry> queue{entry(" Padded ", " Album ", "A", 2),
                                            entry("B", "B", "B", 3), entry("C", "C", "C", 4)};
        QFile old(folder("B") + "/batch.rlt");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(355, 'x')) == 355);
        old.close();
        QCOMPARE(run(BatchType::CD, queue).skipped, 1);
        QCOMPARE(m_statuses.values(), (QStringList{"Complete", "Skipped", "Complete"}));
        QCOMPARE(QFileInfo(folder("B") + "/batch.rlt").size(), 355); // left as it was
        QCOMPARE(logOf("M0") + logOf("B0"), (QStringList{"2", "0", "1", "2"}));
        QCOMPARE(logOf("L0"), (QStringList{"Padded", "B", "C"}));
        QCOMPARE(logOf("L3"), (QStringList{" 0", "1", "1", " 0", " 0", "1", "1"}));
        QCOMPARE(m_requests.first(), QStringLiteral("V4118:Padded Album"));
    }

    void stopsAndFailures_data()
    {
        QTest::addColumn<int>("stopAtLoad");
        QTest::addColumn<int>("stopAtHit");
        QTest::addColumn<QString>("broken"); // what happened to the first folder
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<int>("records"); // in the first folder's results file
        QTest::newRow("cancel before the first page")
            << 1 << 0 << "" << QStringList{"V4118"} << "Searching" << 0;
        QTest::newRow("cancel during a page: one more hit at most")
            << 0 << 1 << "" << QStringList{"V4118"} << "Searching" << 1;
        QTest::newRow("cancel between stages")
            << 2 << 0 << "" << QStringList{"V4118", "V4115"} << "Searching" << 3;
        QTest::newRow("folder deleted since the scan")
            << 0 << 0 << "deleted" << QStringList{"V4118", "V4115", "BM"} << "Failed Complete" << 0;
        QTest::newRow("a folder in the results file's place")
            << 0 << 0 << "blocked" << QStringList{"V4118", "V4115", "BM"} << "Failed Complete" << 0;
    }

    void stopsAndFailures()
    {
        QFETCH(int, stopAtLoad);
        QFETCH(int, stopAtHit);
        QFETCH(QString, broken);
        QFETCH(QStringList, requests);
        QFETCH(QString, statuses);
        QFETCH(int, records);
        setGenres({0, 11});
        m_stopAtLoad = stopAtLoad;
        m_stopAtHit = stopAtHit;
        m_bodies["V4118"] = vantoryHit(vantoryThumb("a"), "One", "X") +
                            vantoryHit(vantoryThumb("b"), "Two", "X") +
                            vantoryHit(vantoryThumb("c"), "Three", "X");
        const QueueEntry first = entry("A", "B", "A");
        if (broken == "deleted")
            QDir(first.directory).removeRecursively();
        else if (broken == "blocked")
            QDir().mkpath(first.directory + "/batch.rlt");
        const BatchRunOutcome outcome = run(BatchType::CD, {first, entry("C", "D", "C")});
        QCOMPARE(outcome.stopped, broken.isEmpty());
        QCOMPARE(outcome.failed, broken.isEmpty() ? 0 : 1);
        QStringList loaded;
        for (const QString &r : m_requests)
            loaded << r.section(':', 0, 0);
        QCOMPARE(loaded, requests);
        QCOMPARE(m_statuses.values().join(' '), statuses);
        // Whatever a cancel interrupted keeps what it recorded, never "Cancel".
        const auto stored = readBatchRecords(first.directory + "/batch.rlt");
        QCOMPARE(int(stored.size()), records);
        for (const BatchResultRecord &r : stored)
            QVERIFY(r.album != "Cancel" && r.artist != "Cancel");
    }

    void recordsAndNodes_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QStringList>("nodes"); // after the key's number and folder
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
        m_bodies[dvd ? "V41938" : "V4118"] =
            vantoryHit(vantoryThumb("a", ".gif"), "Black", "Other") +
            vantoryHit(vantoryThumb("b"), "Black Album", "Metallica");
        // Records 3, 4 and 5 follow the two Vantory ones.
        m_bodies[dvd ? "BD" : "BM"] =
            brinsellProdHit(brinsellPicture("prod_images", "p.gif"), "Ignored", "Ignored") +
            brinsellAdHit(brinsellPicture("ad_images", "x.jpg"), "Offer", "Someone") +
            brinsellAdHit(brinsellPicture("ad_images", "y.jpg"), "Second Offer", "Someone");
        const QueueEntry e =
            dvd ? entry("Black", "", "Black") : entry("Metallica", "Black", "Black");
        run(dvd ? BatchType::DVD : BatchType::CD, {e});
        for (int i = 0; i < nodes.size(); ++i)
            nodes[i].prepend(QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')) +
                             e.directory);
        QCOMPARE(m_nodes, nodes);
        QCOMPARE(logOf("L3"), (QStringList{" 0", "2", "5"}));
        const auto records = readBatchRecords(e.directory + "/batch.rlt");
        QCOMPARE(int(records.size()), 5);
        QCOMPARE(records[0].url, QStringLiteral("http://img.vantory.test/covers/a_500X500.jpg"));
        QCOMPARE(records[2].url, brinsellPicture("large_images", "p.jpg"));
        QCOMPARE(records[3].url, brinsellPicture("large_images", "x.jpg"));
        QCOMPARE(m_downloads.size(), 1);
        QCOMPARE(QImage(e.directory + '/' + saved).size(), QSize(500, 500));
    }

    void matchRule_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QStringList>("texts"); // entry artist, entry album, hit artist, hit album
        QTest::addColumn<bool>("match");
        QTest::newRow("album inside, other case")
            << false << QStringList{"Metallica", "black", "METALLICA", "The Black Album"} << true;
        QTest::newRow("other artist")
            << false << QStringList{"Metallica", "Black", "Megadeth", "Black"} << false;
        QTest::newRow("artist inside is not equal")
            << false << QStringList{"Metal", "Black", "Metallica", "Black"} << false;
        QTest::newRow("empty album") << false << QStringList{"A", "", "a", "Anything"} << true;
        QTest::newRow("N/A artist") << false << QStringList{"A", "B", "N/A", "B"} << false;
        QTest::newRow("DVD title inside")
            << true << QStringList{"alien", "", "", "ALIEN (1979)"} << true;
        QTest::newRow("DVD other title")
            << true << QStringList{"Heat", "", "Heat", "Alien"} << false;
        QTest::newRow("empty DVD title") << true << QStringList{"", "", "", "Alien"} << true;
    }

    void matchRule()
    {
        QFETCH(bool, dvd);
        QFETCH(QStringList, texts);
        QFETCH(bool, match);
        QCOMPARE(isAutomaticMatch(dvd ? BatchType::DVD : BatchType::CD, texts[0], texts[1],
                                  texts[2], texts[3]),
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
        QTest::newRow("replace off: nothing downloaded")
            << true << false << "500x500" << 0 << false << "Complete";
        QTest::newRow("replace on") << true << true << "500x500" << 1 << true << "Complete";
        QTest::newRow("empty picture: next match tried")
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
        m_picture = picture;
        m_bodies["V4118"] = vantoryHit(vantoryThumb("a"), "The Black Album", "METALLICA") +
                            vantoryHit(vantoryThumb("b"), "Black", "Metallica");
        const QueueEntry e = entry("Metallica", "Black", "Black");
        const QString target = e.directory + "/folder.jpg";
        const QByteArray old("the old picture");
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
            f.close();
            QFile::setPermissions(target, QFileDevice::ReadOwner); // read-only counts too
        }
        if (picture == "limit") {
            // Files may not grow past 2,000 bytes: the records fit, the
            // picture's copy into the folder does not.
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
        QCOMPARE(m_statuses.value(0), status);
        QCOMPARE(m_nodes.first().section('|', 2, 2), saved ? "5" : "6");
        QCOMPARE(m_nodes.last().section('|', 2, 2), QStringLiteral("6"));
        if (saved)
            QCOMPARE(QImage(target).size(), QSize(500, 500));
        else
            QCOMPARE(fileBytes(target), existing ? old : QByteArray("(none)"));
        // Nothing left behind: no scratch picture, no half-written copy.
        QCOMPARE(QDir(e.directory).entryList(QDir::Files | QDir::Hidden).size(),
                 existing || saved ? 2 : 1);
        QVERIFY(QDir(m_dir.filePath("app")).isEmpty());
    }

    void countsPastSixteenBits()
    {
        QString page;
        for (int i = 0; i < 33000; ++i)
            page += vantoryHit(vantoryThumb(QString::number(i)), "T", "X");
        m_bodies["V4118"] = page;
        const QueueEntry e = entry("A", "B", "A");
        run(BatchType::CD, {e});
        QCOMPARE(logOf("L3").last(), QStringLiteral("33000"));
        const QString key = m_nodes.last().section('|', 0, 0);
        QVERIFY(key.startsWith("33000" + e.directory));
        QCOMPARE(hitRecordNumber(key, e.directory), 33000);
        QCOMPARE(restoreBatchTree(BatchType::CD, m_dir.filePath("f")).hitCount, 33000);
    }

    void elapsedText()
    {
        const QList<std::pair<qint64, QString>> rows{
            {0, "000:00"}, {125, "002:05"}, {3725, "062:05"}, {60000, "1000:00"}};
        for (const auto &[seconds, text] : rows)
            QCOMPARE(batchElapsedText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
