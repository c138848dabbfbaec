#include "base/folderwalk.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

// Walks root for ".jpg" files and writes down what the visitor saw, paths
// relative to root: "F parent>name" per folder (nodes numbered from 2 in
// visiting order) and "L node path: files [names below the root]" per leaf.
QStringList walk(const QString &root, WalkReport &report, const WalkYield &yield = {})
{
    QStringList events;
    int next = 1;
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &path, const QString &name) {
        const bool joined = path.endsWith('/' + name) && !path.contains("//");
        events << QStringLiteral("F %1>").arg(parent) + name + (joined ? "" : " at " + path);
        return ++next;
    };
    visitor.leaf = [&](const WalkLeaf &leaf) {
        QStringList files;
        for (const std::string &f : leaf.files)
            files << QString::fromStdString(f);
        QVERIFY(leaf.folderFd >= 0);
        events << QStringLiteral("L %1 %2: %3 [%4]")
                      .arg(leaf.node)
                      .arg(leaf.path.mid(root.size()), files.join(','),
                           QStringList(leaf.below.begin(), leaf.below.end()).join('/'));
    };
    const auto jpg = [](const char *name, size_t n) {
        return QByteArray(name, qsizetype(n)).toLower().endsWith(".jpg");
    };
    report = walkFolders(root, 1, jpg, visitor, yield);
    return events;
}

} // namespace

// The walk shared by the batch scan, the restore and the viewer.
class TestFolderWalk : public QObject
{
    Q_OBJECT
private slots:
    void walksInOrder()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        // Metallica/stray.jpg is beside a subfolder: no leaf.
        for (const char *file : {"Metallica/Black/cover.JPG", "Metallica/Black/notes.txt",
                                 "Metallica/stray.jpg", "abba/Gold/gold.jpg", "C/c.jpg"})
            QVERIFY(TestFiles::writeFile(root + '/' + file));
        // A pipe would block whoever opens it; a dangling link is at most a
        // file that cannot be read; a folder named like a picture is a folder.
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/abba/Gold/pipe.jpg").constData(), 0600), 0);
        QVERIFY(QFile::link(root + "/gone.jpg", root + "/abba/Gold/dangling.jpg"));
        QVERIFY(QDir(root).mkpath("Box.jpg"));
        // Links back up the path are not followed; one beside it is.
        QVERIFY(QFile::link(root, root + "/Metallica/Black/back to root"));
        QVERIFY(QFile::link(root + "/Metallica", root + "/Metallica/self"));
        QVERIFY(QFile::link(root + "/abba", root + "/Metallica/Linked"));

        int turns = 0;
        WalkReport report;
        // The walk yields before it opens each folder: C goes just then.
        const QStringList events = walk(root, report, [&] {
            if (++turns == 5)
                QDir(root + "/C").removeRecursively();
            return true;
        });
        QCOMPARE(events,
                 (QStringList{"F 1>abba", "F 2>Gold",
                              "L 3 /abba/Gold: dangling.jpg,gold.jpg [abba/Gold]", "F 1>Box.jpg",
                              "L 4 /Box.jpg:  [Box.jpg]", "F 1>C", "F 1>Metallica", "F 6>Black",
                              "L 7 /Metallica/Black: cover.JPG [Metallica/Black]", "F 6>Linked",
                              "F 8>Gold",
                              "L 9 /Metallica/Linked/Gold: dangling.jpg,gold.jpg "
                              "[Metallica/Linked/Gold]"}));
        QCOMPARE(report.unreadableFolders, QStringList{root + "/C"});
        QCOMPARE(report.loopingLinks, 2);
        QCOMPARE(report.skippedFolders(), 3);
        QVERIFY(!report.rootMissing && !report.stopped);

        // Turn 1 opens the root, turn 2 would open abba: stop there.
        turns = 0;
        QCOMPARE(walk(root, report, [&] { return ++turns < 2; }), QStringList{"F 1>abba"});
        QVERIFY(report.stopped);
    }

    void roots()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath("r/A/a.jpg")));
        QVERIFY(TestFiles::writeFile(dir.filePath("leaf/l.jpg")));
        WalkReport report;
        QCOMPARE(walk(dir.filePath("r/"), report), (QStringList{"F 1>A", "L 2 A: a.jpg [A]"}));
        QCOMPARE(walk(dir.filePath("leaf"), report), QStringList{"L 1 : l.jpg []"});
        for (const QString &missing : {dir.filePath("gone"), dir.filePath("leaf/l.jpg")}) {
            QVERIFY(walk(missing, report).isEmpty());
            QVERIFY(report.rootMissing);
        }
        for (const char *none : {"None", "NONE", "nOnE", ""})
            QVERIFY2(isNoRoot(QString::fromLatin1(none)), none);
        QVERIFY(!isNoRoot("/music/none") && !isNoRoot("Nones"));
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
