#include "viewer/artshelfscan.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace
{

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
        // Metallica/stray.jpg is beside a subfolder: not listed.
        for (const char *file :
             {"Metallica/Black/cover.JPG", "Metallica/Black/notes.txt", "Metallica/Black/back.jpeg",
              "Metallica/Black/Inlay.jPg", "Metallica/stray.jpg", "abba/Gold/gold.jpg"})
            QVERIFY(TestFiles::writeFile(root + '/' + file));
        QVERIFY(QDir(root).mkpath("Empty"));

        const ShelfTree tree = buildShelfTree(ShelfType(type), root);
        // R the root, F the folder picture of the type.
        QString expected = "R@2>-;abba@F>R;Gold@F>abba;gold.jpg@4>Gold;Empty@F>R;Metallica@F>R;"
                           "Black@F>Metallica;cover.JPG@4>Black;Inlay.jPg@4>Black";
        expected.replace('F', QString::number(folderImage)).replace('R', root);
        QCOMPARE(describe(tree), expected.split(';'));
        QCOMPARE(tree.nodes[0].key, root);
        QCOMPARE(tree.nodes[7].key, root + "/Metallica/Black/cover.JPG");
        QCOMPARE(tree.nodes[5].key, root + "/Metallica");
        QVERIFY(!tree.rootMissing);
        QVERIFY(tree.unreadableFolders.isEmpty());
    }

    void noOrMissingRoot()
    {
        QVERIFY(buildShelfTree(ShelfType::CD, QStringLiteral("nOnE")).nodes.empty());
        // A configured folder that is gone still shows, as the root alone.
        QTemporaryDir dir;
        const QString root = dir.path() + "/gone";
        const ShelfTree tree = buildShelfTree(ShelfType::CD, root);
        QVERIFY(tree.rootMissing);
        QCOMPARE(describe(tree), QStringList{root + "@2>-"});
    }
};

QTEST_GUILESS_MAIN(TestArtshelfScan)
#include "tst_artshelfscan.moc"
