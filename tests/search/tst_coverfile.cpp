#include "search/coverfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace CoverFile;
using TestFiles::readFile;
using TestFiles::writePicture;

class tst_CoverFile : public QObject
{
    Q_OBJECT

private slots:
    void target_data();
    void target();
    void cleanEveryCharacter_data();
    void cleanEveryCharacter();
    void fetch_data();
    void fetch();
    void place_data();
    void place();
};

void tst_CoverFile::target_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("album");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const char *templ, const char *artist, const char *album,
                        const char *folder, const char *expected) {
        QTest::newRow(name) << templ << artist << album << folder << expected;
    };
    row("artist and album cleaned", "@artist@ - @album@", "Alpha/Beta", "Gamma: Live", "/m/x",
        "/m/x/Alpha-Beta - Gamma- Live.jpg");
    row("default template", "folder", "A", "B", "/m/x", "/m/x/folder.jpg");
    row("folder placeholder", "@folder@", "A", "B", "/music/Metallica - Black",
        "/music/Metallica - Black/Metallica - Black.jpg");
    row("other case left alone", "@Artist@ @ALBUM@ @Folder@", "A", "B", "/m/x",
        "/m/x/@Artist@ @ALBUM@ @Folder@.jpg");
    row("every occurrence", "@artist@-@artist@ @album@@album@", "Kite", "Sky", "/m/x",
        "/m/x/Kite-Kite SkySky.jpg");
    row("artist text holding a later token is expanded too", "@artist@", "x@album@", "B", "/m/x",
        "/m/x/xB.jpg");
    row("blanks trimmed after cleaning", "  @artist@ @album@", "Neon Parade", "", "/m/x",
        "/m/x/Neon Parade .jpg");
    row("DVD: no album", "@artist@ - @album@", "Cold Creek", "", "/d/Cold Creek",
        "/d/Cold Creek/Cold Creek - .jpg");
    row("trailing slash on folder", "@folder@", "", "", "/m/Dust Roads/",
        "/m/Dust Roads/Dust Roads.jpg");
    row("root folder", "@folder@x", "", "", "/", "/x.jpg");
    row("a path in the artist cannot leave the folder", "@artist@", "../../etc/passwd", "", "/m/x",
        "/m/x/..-..-etc-passwd.jpg");
}

void tst_CoverFile::target()
{
    QFETCH(QString, templ);
    QFETCH(QString, artist);
    QFETCH(QString, album);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(CoverFile::target(templ, artist, album, folder), expected);
}

void tst_CoverFile::cleanEveryCharacter_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    for (const char *c : {"/", "\\", ":", ">", "<", "*", "?", "\"", "|"})
        QTest::newRow(c) << QStringLiteral("a%1b%1").arg(QLatin1String(c))
                         << QStringLiteral("a-b-");
    QTest::newRow("others kept") << QStringLiteral("Ab 9.'&%#!~é")
                                 << QStringLiteral("Ab 9.'&%#!~é");
}

void tst_CoverFile::cleanEveryCharacter()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(cleanFileName(in), out);
}

void tst_CoverFile::fetch_data()
{
    QTest::addColumn<QSize>("served"); // empty: an error page is served
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("expected");
    QTest::newRow("picture") << QSize(500, 500) << 0 << int(FetchResult::Ok);
    QTest::newRow("one pixel wide is a picture") << QSize(1, 2) << 0 << int(FetchResult::Ok);
    QTest::newRow("one pixel high is a picture") << QSize(2, 1) << 0 << int(FetchResult::Ok);
    QTest::newRow("1x1 placeholder") << QSize(1, 1) << 0 << int(FetchResult::Empty);
    QTest::newRow("error page") << QSize() << 0 << int(FetchResult::NotAPicture);
    QTest::newRow("download failed") << QSize(500, 500) << 404 << int(FetchResult::DownloadFailed);
    QTest::newRow("nothing arrived") << QSize() << -1 << int(FetchResult::DownloadFailed);
}

void tst_CoverFile::fetch()
{
    QFETCH(QSize, served);
    QFETCH(int, status);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString scratch = dir.filePath("compare2.jpg");
    // A stale scratch picture from before must not be mistaken for this download.
    writePicture(scratch, 300, 300);
    QStringList requested;
    const auto download = [&](const QString &url, const QString &path) {
        requested.append(url);
        if (status < 0)
            return 0;
        if (served.isValid()) {
            writePicture(path, served.width(), served.height());
        } else {
            QFile page(path);
            if (page.open(QIODevice::WriteOnly))
                page.write("<html>Not found</html>");
        }
        return status;
    };
    QCOMPARE(int(CoverFile::fetch("http://img/x.jpg", scratch, download)), expected);
    QCOMPARE(requested, QStringList{"http://img/x.jpg"});
    QCOMPARE(QImage(scratch).size(), expected == int(FetchResult::Ok) ? served : QSize(0, 0));
    QCOMPARE(QFile::exists(scratch), expected == int(FetchResult::Ok));
}

void tst_CoverFile::place_data()
{
    QTest::addColumn<QString>("existing"); // "": none; a read-only picture otherwise
    QTest::addColumn<int>("policy");
    QTest::addColumn<int>("answer"); // -1: no question hook
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("asked");
    const auto row = [](const char *name, const char *existing, ReplacePolicy policy, int answer,
                        PlaceOutcome outcome, bool asked) {
        QTest::newRow(name) << existing << int(policy) << answer << int(outcome) << asked;
    };
    row("new picture, never asked", "", ReplacePolicy::Ask, 0, PlaceOutcome::Saved, false);
    row("new picture under Never", "", ReplacePolicy::Never, -1, PlaceOutcome::Saved, false);
    row("Ask, replace", "cover.jpg", ReplacePolicy::Ask, 1, PlaceOutcome::Replaced, true);
    row("Ask, keep", "cover.jpg", ReplacePolicy::Ask, 0, PlaceOutcome::KeptExisting, true);
    row("Ask without a question keeps", "cover.jpg", ReplacePolicy::Ask, -1,
        PlaceOutcome::KeptExisting, false);
    row("hidden picture is found", ".cover.jpg", ReplacePolicy::Ask, 1, PlaceOutcome::Replaced,
        true);
    row("Always", "cover.jpg", ReplacePolicy::Always, 0, PlaceOutcome::Replaced, false);
    row("Never", "cover.jpg", ReplacePolicy::Never, 1, PlaceOutcome::KeptExisting, false);
}

void tst_CoverFile::place()
{
    QFETCH(QString, existing);
    QFETCH(int, policy);
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(bool, asked);
    QTemporaryDir dir;
    const QString picture = writePicture(dir.filePath("compare2.jpg"), 500, 500, Qt::green);
    const QString target = dir.filePath(existing.isEmpty() ? QString("cover.jpg") : existing);
    QByteArray oldBytes;
    if (!existing.isEmpty()) {
        oldBytes = readFile(writePicture(target, 300, 300, Qt::blue));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
    }
    QStringList questions;
    ReplaceQuestion ask;
    if (answer >= 0)
        ask = [&](const QString &t) {
            questions.append(t);
            return answer == 1;
        };

    const PlaceResult r = CoverFile::place(picture, target, ReplacePolicy(policy), ask);
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(questions, asked ? QStringList{target} : QStringList{});
    const bool kept = r.outcome == PlaceOutcome::KeptExisting;
    QCOMPARE(readFile(target), kept ? oldBytes : readFile(picture));
    // Made normal unless it was to stay untouched; a new picture is normal.
    const bool normal = (QFile::permissions(target) & QFileDevice::WriteOwner) != 0;
    QCOMPARE(normal, ReplacePolicy(policy) != ReplacePolicy::Never || !kept);
}

QTEST_GUILESS_MAIN(tst_CoverFile)
#include "tst_coverfile.moc"
