#include "base/folderwalk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

bool jpgFilter(const char *name, size_t length)
{
    return QByteArray(name, qsizetype(length)).toLower().endsWith(".jpg");
}

// Walks root and writes down what the visitor saw, paths relative to root:
// "F parent>name" per folder (nodes numbered from 2 in visiting order, the
// root being 1) and "L node path: files [below]" per leaf.
struct Recording {
    QStringList events;
    WalkReport report;
};

Recording record(const QString &root, const WalkYield &yield = {})
{
    Recording r;
    int next = 1;
    const auto relative = [&](const QString &path) { return path.mid(root.size()); };
    FolderVisitor visitor;
    visitor.folder = [&](int parent, const QString &path, const QString &name) {
        QString line = QStringLiteral("F %1>").arg(parent) + name;
        if (!path.endsWith(QLatin1Char('/') + name) || path.contains(QLatin1String("//")))
            line += QStringLiteral(" BADPATH ") + path;
        r.events << line;
        return ++next;
    };
    visitor.leaf = [&](const WalkLeaf &leaf) {
        QStringList files;
        for (const std::string &f : leaf.files)
            files << QString::fromStdString(f);
        QStringList below(leaf.below.begin(), leaf.below.end());
        r.events << QStringLiteral("L %1 %2: %3 [%4]")
                        .arg(leaf.node)
                        .arg(relative(leaf.path), files.join(','), below.join('/'));
        if (leaf.folderFd < 0)
            r.events << QStringLiteral("no open folder");
    };
    r.report = walkFolders(root, 1, jpgFilter, visitor, yield);
    return r;
}

} // namespace

// The walk shared by the batch scan, the restore and the viewer.
class TestFolderWalk : public QObject
{
    Q_OBJECT
private slots:
    void orderLeavesAndFiles()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/Metallica/Black/cover.JPG");
        touch(root + "/Metallica/Black/notes.txt");
        touch(root + "/Metallica/stray.jpg"); // beside a subfolder: no leaf
        touch(root + "/abba/Gold/gold.jpg");
        QVERIFY(QDir(root).mkpath("Empty"));
        // A pipe would block whoever opens it; a dangling link is at most a
        // file that cannot be read; a folder named like a picture is a folder.
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/abba/Gold/pipe.jpg").constData(), 0600), 0);
        QVERIFY(QFile::link(root + "/gone.jpg", root + "/abba/Gold/dangling.jpg"));
        QVERIFY(QFile::link(root + "/abba/Gold/gold.jpg", root + "/abba/Gold/linked.jpg"));
        QVERIFY(QDir(root).mkpath("Box.jpg"));

        const Recording r = record(root);
        QCOMPARE(r.events,
                 (QStringList{"F 1>abba", "F 2>Gold",
                              "L 3 /abba/Gold: dangling.jpg,gold.jpg,linked.jpg [abba/Gold]",
                              "F 1>Box.jpg", "L 4 /Box.jpg:  [Box.jpg]", "F 1>Empty",
                              "L 5 /Empty:  [Empty]", "F 1>Metallica", "F 6>Black",
                              "L 7 /Metallica/Black: cover.JPG [Metallica/Black]"}));
        QVERIFY(!r.report.rootMissing && !r.report.stopped);
        QCOMPARE(r.report.skippedFolders(), 0);
    }

    void roots_data()
    {
        QTest::addColumn<QString>("make");   // below the temporary folder
        QTest::addColumn<QString>("suffix"); // the root, relative to it
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("root is its own leaf") << "r/a.jpg"
                                              << "/r" << false << QStringList{"L 1 : a.jpg []"};
        QTest::newRow("trailing separator gives one separator")
            << "r/A/a.jpg"
            << "/r/" << false << QStringList{"F 1>A", "L 2 A: a.jpg [A]"};
        QTest::newRow("no such folder") << ""
                                        << "/gone" << true << QStringList{};
        QTest::newRow("a file") << "f.jpg"
                                << "/f.jpg" << true << QStringList{};
    }

    void roots()
    {
        QFETCH(QString, make);
        QFETCH(QString, suffix);
        QFETCH(bool, missing);
        QFETCH(QStringList, events);
        QTemporaryDir dir;
        if (!make.isEmpty())
            touch(dir.filePath(make));
        const Recording r = record(dir.path() + suffix);
        QCOMPARE(r.report.rootMissing, missing);
        QCOMPARE(r.events, events);
    }

    void noRoot_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("none");
        QTest::newRow("None") << "None" << true;
        QTest::newRow("upper case") << "NONE" << true;
        QTest::newRow("mixed case") << "nOnE" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("a folder called none") << "/music/none" << false;
        QTest::newRow("longer word") << "Nones" << false;
    }

    void noRoot()
    {
        QFETCH(QString, root);
        QFETCH(bool, none);
        QCOMPARE(isNoRoot(root), none);
    }

    void passesOverWhatCannotBeRead()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/A/x.jpg");
        touch(root + "/B/y.jpg");
        touch(root + "/C/z.jpg");
        const bool canLock = ::geteuid() != 0; // permissions do not stop root
        if (canLock) {
            touch(root + "/Locked/In/l.jpg");
            QFile::setPermissions(root + "/Locked", QFileDevice::Permissions{});
        }
        int turns = 0;
        // The walk yields before it opens each folder: remove B just then.
        const Recording r = record(root, [&] {
            if (++turns == 3)
                QDir(root + "/B").removeRecursively();
            return true;
        });
        if (canLock)
            QFile::setPermissions(root + "/Locked", QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        QStringList unreadable{root + "/B"};
        if (canLock)
            unreadable << root + "/Locked";
        QCOMPARE(r.report.unreadableFolders, unreadable);
        QVERIFY(r.events.contains("L 2 /A: x.jpg [A]"));
        QVERIFY(r.events.contains("L 4 /C: z.jpg [C]"));
        QCOMPARE(r.report.skippedFolders(), unreadable.size());
    }

    void loopingLinksAreNotFollowed()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/A/B/b.jpg");
        QVERIFY(QFile::link(root, root + "/A/B/back to root"));
        QVERIFY(QFile::link(root + "/A", root + "/A/self"));
        // A link to a folder beside the path is followed like a folder.
        touch(root + "/Other/o.jpg");
        QVERIFY(QFile::link(root + "/Other", root + "/A/B2"));
        const Recording r = record(root);
        QCOMPARE(r.report.loopingLinks, 2);
        QCOMPARE(r.events, (QStringList{"F 1>A", "F 2>B", "L 3 /A/B: b.jpg [A/B]", "F 2>B2",
                                        "L 4 /A/B2: o.jpg [A/B2]", "F 1>Other",
                                        "L 5 /Other: o.jpg [Other]"}));
    }

    void stopsWhenAsked()
    {
        QTemporaryDir dir;
        for (const char *name : {"A", "B", "C"})
            touch(dir.path() + "/" + name + "/p.jpg");
        int turns = 0;
        // Turn 1 opens the root, turn 2 would open A.
        const Recording r = record(dir.path(), [&] { return ++turns < 2; });
        QVERIFY(r.report.stopped);
        QCOMPARE(turns, 2);
        QCOMPARE(r.events, QStringList{"F 1>A"});
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
