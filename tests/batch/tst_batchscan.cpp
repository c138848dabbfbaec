#include "batch/batchrestore.h"
#include "batch/batchresultsfile.h"
#include "batch/batchscan.h"
#include "batchtesthelpers.h"

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

    static int indexOfKey(const FolderTree &tree, const QString &key)
    {
        for (int i = 1; i <= tree.count(); ++i) {
            if (tree.node(i).key == key)
                return i;
        }
        return 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toUtf8());
    }

    void cdLeafRules_data()
    {
        QTest::addColumn<QStringList>("files"); // name=artist/album, or name=untagged
        QTest::addColumn<QString>("row");       // artist|album, or empty for no row

        QTest::newRow("first qualifying file only")
            << QStringList{"01.mp3=First/One", "02.mp3=Second/Two"} << "First|One";
        QTest::newRow("untagged file passed over")
            << QStringList{"01.mp3=untagged", "02.ape=Found/It"} << "Found|It";
        QTest::newRow("extension in any case")
            << QStringList{"SONG.Mp3=Upper/Case"} << "Upper|Case";
        QTest::newRow("too short for a tag") << QStringList{"01.mp3=short"} << "";
        QTest::newRow("empty artist and album") << QStringList{"01.mp3=/"} << "";
        QTest::newRow("empty artist") << QStringList{"01.mp3=/Only Album"} << "|Only Album";
    }

    void cdLeafRules()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, row);
        const QString root = newRoot();
        const QString leaf = root + "/Misc";
        makeFolder(leaf);
        for (const QString &file : files) {
            const QString name = file.section('=', 0, 0);
            const QString what = file.section('=', 1);
            if (what == "untagged")
                QVERIFY(writeAudio(leaf + '/' + name, {}, 500));
            else if (what == "short")
                QVERIFY(writeAudio(leaf + '/' + name, "TAG", 0));
            else
                QVERIFY(
                    writeTagged(leaf + '/' + name, what.section('/', 0, 0), what.section('/', 1)));
        }
        const BatchTreeBuild build = buildBatchTree(BatchType::CD, root, 1);
        QCOMPARE(build.tree.count(), 2); // the leaf always gets its node
        if (row.isEmpty())
            QCOMPARE(rows(build), QStringList());
        else
            QCOMPARE(rows(build), QStringList{row + '|' + leaf + "|Queued|2"});
    }

    void onlyLeafFoldersQueued()
    {
        const QString root = newRoot();
        QVERIFY(writeTagged(root + "/Artist/loose.mp3", "Loose", "File"));
        QVERIFY(writeTagged(root + "/Artist/Album 1/01.mp3", "Artist", "Album 1"));
        QVERIFY(writeTagged(root + "/Artist/Album 2/01.mp3", "Artist", "Album 2"));
        const BatchTreeBuild build = buildBatchTree(BatchType::CD, root, 1);
        QCOMPARE(rows(build), (QStringList{"Artist|Album 1|" + root + "/Artist/Album 1|Queued|3",
                                           "Artist|Album 2|" + root + "/Artist/Album 2|Queued|4"}));
    }

    void rootWithTrailingSeparator()
    {
        const QString root = newRoot();
        QVERIFY(writeTagged(root + "/A/B/01.mp3", "A", "B"));
        const BatchTreeBuild build = buildBatchTree(BatchType::CD, root + '/', 1);
        QCOMPARE(build.tree.node(1).key, root + '/');
        QCOMPARE(build.tree.node(2).key, root + "/A");
        QCOMPARE(build.queue.at(0).directory, root + "/A/B");
    }

    void dvdDepth_data()
    {
        QTest::addColumn<QStringList>("folders"); // below the root
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("rows"); // title|directory below the root

        QTest::newRow("depth 2, too shallow") << QStringList{"Comedy"} << 2 << QStringList{};
        QTest::newRow("root without subfolders") << QStringList{} << 1 << QStringList{};
        QTest::newRow("depth 2, mixed") << QStringList{"Comedy", "Horror/Alien/Disc 1"} << 2
                                        << QStringList{"Alien|Horror/Alien/Disc 1"};
        QTest::newRow("depth 0 counts as 1")
            << QStringList{"Alien"} << 0 << QStringList{"Alien|Alien"};
        QTest::newRow("name with a backslash")
            << QStringList{"AC\\DC Live"} << 1 << QStringList{"AC\\DC Live|AC\\DC Live"};
    }

    void dvdDepth()
    {
        QFETCH(QStringList, folders);
        QFETCH(int, depth);
        QFETCH(QStringList, rows);
        const QString root = newRoot();
        for (const QString &f : folders)
            makeFolder(root + '/' + f);
        const BatchTreeBuild build = buildBatchTree(BatchType::DVD, root, depth);
        QStringList got;
        for (const QueueEntry &e : build.queue) {
            QCOMPARE(e.status, QStringLiteral("Queued"));
            QCOMPARE(build.tree.node(e.nodeIndex).key, e.directory);
            got << e.artist + '|' + e.directory.mid(root.size() + 1);
        }
        QCOMPARE(got, rows);
        for (int i = 2; i <= build.tree.count(); ++i)
            QCOMPARE(build.tree.node(i).image, NodeImage::DvdFolder);
    }

    void restoreWalk()
    {
        const QString root = newRoot();
        makeFolder(root + "/Artist/Album");
        makeFolder(root + "/Artist/Empty");
        BatchResultsFile writer;
        QVERIFY(writer.create(root + "/Artist/Album/batch.rlt"));
        QVERIFY(writer.writeRecord(1, {QString(60, 'x'), "Black", "http://v/1.jpg"}));
        QVERIFY(writer.writeRecord(2, {"N/A", "Second", "http://b/2.jpg"}));
        writer.close();
        QVERIFY(writer.create(root + "/Artist/Empty/batch.rlt"));
        writer.close();
        // A folder with subfolders is not read even when it holds a file.
        QVERIFY(writer.create(root + "/Artist/batch.rlt"));
        QVERIFY(writer.writeRecord(1, {"Never", "Shown", "u"}));
        writer.close();

        const BatchTreeRestore restore = restoreBatchTree(BatchType::CD, root);
        QCOMPARE(restore.hitCount, 2);
        const FolderTree &tree = restore.tree;
        const int album = indexOfKey(tree, root + "/Artist/Album");
        QVERIFY(album > 0);
        const QString folder = root + "/Artist/Album";
        const int first =
            indexOfKey(tree, "0001" + folder + "\\Brinsell" + QString(50, 'x') + "Black");
        QVERIFY(first > 0);
        QCOMPARE(tree.node(first).parent, album);
        QCOMPARE(tree.node(first).text, QString(50, 'x') + " Black");
        QCOMPARE(tree.node(first).image, NodeImage::HitNotSaved);
        const int second = indexOfKey(tree, "0002" + folder + "\\BrinsellN/ASecond");
        QVERIFY(second > 0);
        QCOMPARE(tree.node(second).text, QStringLiteral("N/A Second"));

        // DVD folders keep their film-strip image when restored.
        const BatchTreeRestore dvd = restoreBatchTree(BatchType::DVD, root);
        QCOMPARE(dvd.tree.node(2).image, NodeImage::DvdFolder);
        QVERIFY(restoreBatchTree(BatchType::CD, "nOnE").tree.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBatchScan)
#include "tst_batchscan.moc"
