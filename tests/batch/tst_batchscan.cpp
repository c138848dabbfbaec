#include "batch/batchrestore.h"
#include "batch/batchscan.h"
#include "batchtesthelpers.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The folder scan and the restore walk on real folders.
class TestBatchScan : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_case = 0;

    // A fresh root folder per test.
    QString newRoot()
    {
        const QString root = m_dir.filePath(QStringLiteral("case%1").arg(++m_case));
        makeFolder(root);
        return root;
    }

    static QStringList rows(const BatchTreeBuild &build)
    {
        QStringList out;
        for (const QueueEntry &e : build.queue)
            out << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(e.artist, e.album, e.directory, e.status)
                       .arg(e.nodeIndex);
        return out;
    }

    // Nodes as "key|text|image|parent", the root's path shown as R.
    static QStringList nodes(const FolderTree &tree, const QString &root)
    {
        QStringList out;
        for (const FolderNode &n : tree.nodes())
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(QString(n.key).replace(root, "R"), QString(n.text).replace(root, "R"))
                       .arg(int(n.image))
                       .arg(n.parent);
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toUtf8());
    }

    void cdLeafRules_data() { TestFiles::addTableRows("batch-leaf-rules.tsv"); }

    void cdLeafRules()
    {
        QFETCH(QString, files);
        QFETCH(QString, leaf);
        QFETCH(QString, folderNames);
        QFETCH(QString, row);
        const QString root = newRoot() + "/Band/Music";
        const QString folder = leaf.isEmpty() ? root : root + '/' + leaf;
        makeFolder(folder);
        for (const QString &file : files.split(';')) {
            const QString name = file.section(QRegularExpression("[=<]"), 0, 0);
            const QString what = file.mid(name.size() + 1);
            const QString path = folder + '/' + name;
            if (file.at(name.size()) == '<') {
                const QByteArray bytes =
                    fileBytes(QFINDTESTDATA("../data/tags/" + what.section(':', 0, 0)));
                const int size = what.contains(':') ? what.section(':', 1).toInt() : bytes.size();
                QVERIFY(bytes.size() > size / 2 && writeFile(path, bytes.left(size)));
            } else if (what == "untagged") {
                QVERIFY(writeAudio(path, {}, 500));
            } else if (what == "short") {
                QVERIFY(writeAudio(path, "TAG", 0));
            } else {
                QVERIFY(writeTagged(path, what.section('/', 0, 0), what.section('/', 1)));
            }
        }
        const BatchTreeBuild build =
            buildBatchTree(BatchType::CD, root, {1, !folderNames.isEmpty()});
        QCOMPARE(build.tree.node(build.tree.count()).key, folder); // the leaf always gets its node
        const QString queued =
            QStringLiteral("%1|%2|Queued|%3").arg(row, folder).arg(build.tree.count());
        QCOMPARE(rows(build), row.isEmpty() ? QStringList() : QStringList{queued});
    }

    void rowsInWalkOrder_data()
    {
        QTest::addColumn<int>("stopAtTurn"); // the yield hook's turn that stops the scan, or 0
        QTest::newRow("whole scan") << 0;
        QTest::newRow("stopped while the other tags are read") << 25;
    }

    // Folders whose other tags (or, lacking them, names) are read aside come
    // in the walk's order among those queued at once by an ID3v1 tag, and a
    // stopped scan leaves no folder open behind it.
    void rowsInWalkOrder()
    {
        QFETCH(int, stopAtTurn);
        const QString root = newRoot();
        // In turn: ID3v1, FLAC, M4A, untagged (folder names), ID3v2 only.
        const QStringList fixtures = {"", "flac-albumartist.flac", "m4a.m4a", "untagged.flac",
                                      "v24-cyrillic.mp3"};
        const QStringList rows = {"Tagged|@", "冨田勲|月の光", "Mirror Lake|Glass Tides",
                                  "Artist|@", "Кино|Группа крови"};
        QStringList expected;
        QStringList atOnce; // the ID3v1 rows of the folders the stopped walk reaches
        for (int i = 0; i < 40; ++i) {
            const QString album = QStringLiteral("Album %1").arg(i, 2, 10, QLatin1Char('0'));
            const QString folder = root + "/Artist/" + album;
            const int kind = i % 5;
            if (kind == 0)
                QVERIFY(writeTagged(folder + "/01.mp3", "Tagged", album));
            else
                QVERIFY(writeFile(folder + "/01." + fixtures[kind].section('.', -1),
                                  fileBytes(QFINDTESTDATA("../data/tags/" + fixtures[kind]))));
            expected << QString(rows[kind]).replace('@', album) + '|' + folder;
            // The yield before the root is turn 1, before Artist turn 2.
            if (kind == 0 && i + 3 < stopAtTurn)
                atOnce << expected.last();
        }
        const qsizetype descriptors = QDir("/proc/self/fd").count();
        int turns = 0;
        const BatchTreeBuild build =
            buildBatchTree(BatchType::CD, root, {1, true}, [&] { return ++turns != stopAtTurn; });
        QCOMPARE(QDir("/proc/self/fd").count(), descriptors);
        QStringList got;
        for (const QueueEntry &e : build.queue)
            got << e.artist + '|' + e.album + '|' + e.directory;
        QCOMPARE(build.stopped, stopAtTurn > 0);
        // A stopped scan's rows come in order, the ID3v1 rows all among them.
        if (stopAtTurn > 0)
            expected.removeIf(
                [&](const QString &r) { return !got.contains(r) && !atOnce.contains(r); });
        QCOMPARE(got, expected);
    }

    void onlyLeafFoldersQueued()
    {
        // A root given with a trailing separator keeps it in its own key only.
        const QString root = newRoot();
        QVERIFY(writeTagged(root + "/Artist/loose.mp3", "Loose", "File"));
        QVERIFY(writeTagged(root + "/Artist/Album 1/01.mp3", "Artist", "Album 1"));
        QVERIFY(writeTagged(root + "/Artist/Album 2/01.mp3", "Artist", "Album 2"));
        const BatchTreeBuild build = buildBatchTree(BatchType::CD, root + '/', {});
        QCOMPARE(rows(build), (QStringList{"Artist|Album 1|" + root + "/Artist/Album 1|Queued|3",
                                           "Artist|Album 2|" + root + "/Artist/Album 2|Queued|4"}));
        QCOMPARE(nodes(build.tree, root),
                 (QStringList{"R/|R/|2|0", "R/Artist|Artist|1|1", "R/Artist/Album 1|Album 1|1|2",
                              "R/Artist/Album 2|Album 2|1|2"}));
    }

    void dvdDepth_data() { TestFiles::addTableRows("batch-dvd-depth.tsv"); }

    void dvdDepth()
    {
        QFETCH(QString, folders);
        QFETCH(QString, depth);
        const QString root = newRoot();
        for (const QString &f : folders.split(';', Qt::SkipEmptyParts))
            makeFolder(root + '/' + f);
        const BatchTreeBuild build = buildBatchTree(BatchType::DVD, root, {depth.toInt()});
        QStringList got;
        for (const QueueEntry &e : build.queue) {
            QCOMPARE(e.status, QStringLiteral("Queued"));
            QCOMPARE(build.tree.node(e.nodeIndex).key, e.directory);
            got << e.artist + '|' + e.directory.mid(root.size() + 1);
        }
        QTEST(got.join(';'), "rows");
        for (int i = 2; i <= build.tree.count(); ++i)
            QCOMPARE(build.tree.node(i).image, NodeImage::DvdFolder);
    }

    void restoreWalk()
    {
        // Hit nodes from the records of a leaf folder's results file, all
        // not saved; a folder with subfolders is not read even when it holds
        // one, an empty file gives no hits.
        const QString root = newRoot();
        const QByteArray records = fileBytes(QFINDTESTDATA("../data/batch/three-records.rlt"));
        QVERIFY(writeFile(root + "/Artist/Album/batch.rlt", records));
        QVERIFY(writeFile(root + "/Artist/batch.rlt", records));
        QVERIFY(writeFile(root + "/Artist/Empty/batch.rlt", {}));
        const BatchTreeRestore restore = restoreBatchTree(BatchType::CD, root);
        QCOMPARE(restore.hitCount, 3);
        const QString a = QString(50, 'A'), c = QString(50, 'c');
        QCOMPARE(nodes(restore.tree, root),
                 (QStringList{"R|R|2|0", "R/Artist|Artist|1|1", "R/Artist/Album|Album|1|2",
                              "0001R/Artist/Album\\BrinsellBjörkCafé €|Björk Café €|6|3",
                              "0002R/Artist/Album\\Brinsell" + a + c + '|' + a + ' ' + c + "|6|3",
                              "0003R/Artist/Album\\Brinsell??Padded|?? Padded|6|3",
                              "R/Artist/Empty|Empty|1|2"}));
        // DVD folders keep their film-strip image when restored.
        QCOMPARE(restoreBatchTree(BatchType::DVD, root).tree.node(2).image, NodeImage::DvdFolder);
        QVERIFY(restoreBatchTree(BatchType::CD, "nOnE").tree.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBatchScan)
#include "tst_batchscan.moc"
