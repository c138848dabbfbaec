#include "viewer/artshelfscan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// "text@image>parentText" per node, so a whole tree compares in one go.
QStringList describe(const ShelfTree &tree)
{
    QStringList out;
    for (const ShelfNode &n : tree.nodes)
        out << n.text + QLatin1Char('@') + QString::number(int(n.image)) + QLatin1Char('>') +
                   (n.parent < 0 ? QStringLiteral("-") : tree.nodes[size_t(n.parent)].text);
    return out;
}

} // namespace

class TestArtshelfScan : public QObject
{
    Q_OBJECT
private slots:
    void noRoot_data()
    {
        QTest::addColumn<QString>("root");
        QTest::newRow("None") << QStringLiteral("None");
        QTest::newRow("lower case") << QStringLiteral("none");
        QTest::newRow("mixed case") << QStringLiteral("nOnE");
        QTest::newRow("empty") << QString();
    }
    void noRoot()
    {
        QFETCH(QString, root);
        const ShelfTree tree = buildShelfTree(ShelfType::CD, root);
        QVERIFY(tree.nodes.empty());
        QVERIFY(!tree.rootMissing);
    }

    void albumFolderTree_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("folderImage");
        QTest::newRow("CD") << int(ShelfType::CD) << 1;
        QTest::newRow("DVD") << int(ShelfType::DVD) << 3;
    }
    void albumFolderTree()
    {
        QFETCH(int, type);
        QFETCH(int, folderImage);
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/Metallica/Black/cover.JPG");
        touch(root + "/Metallica/Black/notes.txt");
        touch(root + "/Metallica/Black/back.jpeg");
        touch(root + "/Metallica/Black/Inlay.jPg");
        touch(root + "/Metallica/stray.jpg"); // beside a subfolder: not listed
        touch(root + "/abba/Gold/gold.jpg");
        QVERIFY(QDir(root).mkpath("Empty"));

        const ShelfTree tree = buildShelfTree(ShelfType(type), root);
        const QString f = QString::number(folderImage);
        const QStringList expected{root + "@2>-",
                                   "abba@" + f + ">" + root,
                                   "Gold@" + f + ">abba",
                                   "gold.jpg@4>Gold",
                                   "Empty@" + f + ">" + root,
                                   "Metallica@" + f + ">" + root,
                                   "Black@" + f + ">Metallica",
                                   "cover.JPG@4>Black",
                                   "Inlay.jPg@4>Black"};
        QCOMPARE(describe(tree), expected);
        QCOMPARE(tree.nodes[0].key, root);
        QCOMPARE(tree.nodes[7].key, root + "/Metallica/Black/cover.JPG");
        QCOMPARE(tree.nodes[5].key, root + "/Metallica");
        QVERIFY(!tree.rootMissing);
        QVERIFY(tree.unreadableFolders.isEmpty());
    }

    void rootWithTrailingSeparator()
    {
        QTemporaryDir dir;
        touch(dir.path() + "/Cold Creek/front.jpg");
        const QString root = dir.path() + "/";
        const ShelfTree tree = buildShelfTree(ShelfType::DVD, root);
        QCOMPARE(tree.nodes.size(), size_t(3));
        QCOMPARE(tree.nodes[0].key, root);
        QCOMPARE(tree.nodes[1].parent, 0);
        QCOMPARE(tree.nodes[1].key, dir.path() + "/Cold Creek");
        QCOMPARE(tree.nodes[2].key, dir.path() + "/Cold Creek/front.jpg");
    }

    void missingRoot_data()
    {
        QTest::addColumn<bool>("isFile");
        QTest::newRow("no such folder") << false;
        QTest::newRow("a file") << true;
    }
    void missingRoot()
    {
        QFETCH(bool, isFile);
        QTemporaryDir dir;
        const QString root = dir.path() + "/gone";
        if (isFile)
            touch(root);
        const ShelfTree tree = buildShelfTree(ShelfType::CD, root);
        QVERIFY(tree.rootMissing);
        QCOMPARE(describe(tree), QStringList{root + "@2>-"});
    }

    void linkBackUpIsNotFollowed()
    {
        QTemporaryDir dir;
        touch(dir.path() + "/Artist/Album/a.jpg");
        QVERIFY(QFile::link(dir.path() + "/Artist", dir.path() + "/Artist/Album/loop"));
        QVERIFY(
            QFile::link(dir.path() + "/Artist/Album/a.jpg", dir.path() + "/Artist/Album/b.jpg"));
        const ShelfTree tree = buildShelfTree(ShelfType::CD, dir.path());
        QCOMPARE(tree.loopingLinks, 1);
        // The album holds only a looping link besides its pictures, so it
        // still counts as a leaf; a link to a picture is a picture.
        QCOMPARE(describe(tree), (QStringList{dir.path() + "@2>-", "Artist@1>" + dir.path(),
                                              "Album@1>Artist", "a.jpg@4>Album", "b.jpg@4>Album"}));
    }

    void onlyPlainFilesArePictures()
    {
        QTemporaryDir dir;
        const QString album = dir.path() + "/Album";
        touch(album + "/a.jpg");
        // Reading a pipe would hang the viewer; a dangling link is listed
        // and simply fails when shown.
        QCOMPARE(::mkfifo(QFile::encodeName(album + "/pipe.jpg").constData(), 0600), 0);
        QVERIFY(QFile::link(album + "/gone.jpg", album + "/dangling.jpg"));
        // A folder named like a picture is a folder, so Box is no leaf and
        // its own picture stays hidden.
        QVERIFY(QDir(dir.path()).mkpath("Box/Sleeve.jpg"));
        touch(dir.path() + "/Box/b.jpg");
        const ShelfTree tree = buildShelfTree(ShelfType::CD, dir.path());
        QCOMPARE(describe(tree),
                 (QStringList{dir.path() + "@2>-", "Album@1>" + dir.path(), "a.jpg@4>Album",
                              "dangling.jpg@4>Album", "Box@1>" + dir.path(), "Sleeve.jpg@1>Box"}));
    }

    void folderVanishingDuringWalk()
    {
        QTemporaryDir dir;
        touch(dir.path() + "/A/x.jpg");
        touch(dir.path() + "/B/y.jpg");
        int turns = 0;
        // The walk yields before it opens each folder; remove B just then.
        const ShelfTree tree = buildShelfTree(ShelfType::CD, dir.path(), [&] {
            if (++turns == 3)
                QDir(dir.path() + "/B").removeRecursively();
            return true;
        });
        QCOMPARE(turns, 3);
        QCOMPARE(tree.unreadableFolders, QStringList{dir.path() + "/B"});
        QCOMPARE(describe(tree), (QStringList{dir.path() + "@2>-", "A@1>" + dir.path(), "x.jpg@4>A",
                                              "B@1>" + dir.path()}));
    }

    void stopsWhenAsked()
    {
        QTemporaryDir dir;
        for (const char *name : {"A", "B", "C"})
            touch(dir.path() + "/" + name + "/p.jpg");
        int turns = 0;
        const ShelfTree tree =
            buildShelfTree(ShelfType::DVD, dir.path(), [&] { return ++turns < 2; });
        QVERIFY(tree.stopped);
        QCOMPARE(turns, 2);
        QCOMPARE(tree.nodes.size(), size_t(2)); // root and A, nothing below A
    }
};

QTEST_GUILESS_MAIN(TestArtshelfScan)
#include "tst_artshelfscan.moc"
