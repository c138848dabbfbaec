#include "base/messagebox.h"
#include "recordingmessagebox.h"
#include "search/quicksave.h"
#include "search/quicksavetexts.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace T = QuickSaveTexts;
using TestFiles::readFile;

class tst_QuickSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void target_data();
    void target();
    void cleanEveryCharacter_data();
    void cleanEveryCharacter();
    void linkParsing_data();
    void linkParsing();
    void resolveAgainstResults_data();
    void resolveAgainstResults();

    void pictureCheck_data();
    void pictureCheck();

    void savesNewPicture();
    void refusesBadDownloads_data();
    void refusesBadDownloads();
    void existingTarget_data();
    void existingTarget();
    void saveFailureIsReported();
    void missingFolderIsReported();

private:
    QString writePicture(const QString &name, int w, int h, QColor colour = Qt::red);
    // A download that copies a prepared local file, like the service would.
    DownloadFunction serveFile(const QString &file, int status = 0);

    QTemporaryDir m_config;
    QTemporaryDir m_app;
    std::unique_ptr<QTemporaryDir> m_work;
    QStringList m_requested;
};

void tst_QuickSave::initTestCase()
{
    QVERIFY(m_config.isValid() && m_app.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    qputenv("JACKETEER_APPDIR", m_app.path().toLocal8Bit());
}

void tst_QuickSave::init()
{
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    m_requested.clear();
    QFile::remove(QDir(m_app.path()).filePath(T::compare1File));
    QFile::remove(QDir(m_app.path()).filePath(T::compare2File));
}

QString tst_QuickSave::writePicture(const QString &name, int w, int h, QColor colour)
{
    return TestFiles::writePicture(QDir(m_work->path()).filePath(name), w, h, colour);
}

DownloadFunction tst_QuickSave::serveFile(const QString &file, int status)
{
    return [this, file, status](const QString &url, const QString &path) {
        m_requested.append(url);
        if (status != 0)
            return status;
        QFile::remove(path);
        return QFile::copy(file, path) ? 0 : 5;
    };
}

void tst_QuickSave::target_data()
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
    row("trailing slash on folder", "@folder@", "", "", "/m/Dust Roads/",
        "/m/Dust Roads/Dust Roads.jpg");
    row("root folder", "@folder@x", "", "", "/", "/x.jpg");
    row("a path in the artist cannot leave the folder", "@artist@", "../../etc/passwd", "", "/m/x",
        "/m/x/..-..-etc-passwd.jpg");
}

void tst_QuickSave::target()
{
    QFETCH(QString, templ);
    QFETCH(QString, artist);
    QFETCH(QString, album);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(quickSaveTarget(templ, artist, album, folder), expected);
}

void tst_QuickSave::cleanEveryCharacter_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    for (const char *c : {"/", "\\", ":", ">", "<", "*", "?", "\"", "|"})
        QTest::newRow(c) << QStringLiteral("a%1b%1").arg(QLatin1String(c))
                         << QStringLiteral("a-b-");
    QTest::newRow("others kept") << QStringLiteral("Ab 9.'&%#!~é")
                                 << QStringLiteral("Ab 9.'&%#!~é");
}

void tst_QuickSave::cleanEveryCharacter()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(cleanFileName(in), out);
}

void tst_QuickSave::linkParsing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("quickSave"); // the view's click is kept for Quick Save
    QTest::addColumn<int>("number");     // 0: no hit link
    QTest::addColumn<QString>("address");
    const auto row = [](const char *name, const char *target, bool quickSave, int number = 0,
                        const char *address = "") {
        QTest::newRow(name) << target << quickSave << number << address;
    };
    row("hit link", "0001http://img.example/a.jpg", true, 1, "http://img.example/a.jpg");
    row("ten thousandth keeps its address", "10000http://a/b.jpg", true, 10000, "http://a/b.jpg");
    row("huge number", "99999999999999http://a", true, -1, "http://a");
    row("web address", "http://img.example/a.jpg", false);
    row("upper-case HTTP", "HTTP://x", false);
    row("about blank", "about:blank", false);
    row("drive path", "C:\\x\\results.html", false);
    row("lower-case drive path", "d:/x", false);
    row("results page file", "results.html", false);
    row("file address", "file:///tmp/results.html", false);
    row("absolute path", "/tmp/x", true);
    row("empty", "", true);
    row("after Z colon", "[x", true);
}

void tst_QuickSave::linkParsing()
{
    QFETCH(QString, target);
    QFETCH(bool, quickSave);
    QFETCH(int, number);
    QFETCH(QString, address);
    QCOMPARE(isQuickSaveClick(target), quickSave);
    const std::optional<QuickSaveLink> link = parseQuickSaveLink(target);
    QCOMPARE(link.has_value(), number != 0);
    if (link) {
        QCOMPARE(link->hitNumber, number);
        QCOMPARE(link->address, address);
    }
}

void tst_QuickSave::resolveAgainstResults_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("artist");
    QTest::newRow("first hit") << "0001http://h/a.jpg" << true << "Metallica";
    QTest::newRow("second hit, escaped blank") << "0002http://h/b c.jpg" << true << "Neon Parade";
    QTest::newRow("dot segments resolved by the view")
        << "0003http://h/y/c.jpg" << true << "Sofia Anders";
    QTest::newRow("number past the lists") << "0004http://h/a.jpg" << false << "";
    QTest::newRow("number zero") << "0000http://h/a.jpg" << false << "";
    QTest::newRow("earlier search's picture under that number")
        << "0001http://h/old.jpg" << false << "";
    QTest::newRow("no number") << "/x" << false << "";
}

void tst_QuickSave::resolveAgainstResults()
{
    QFETCH(QString, target);
    QFETCH(bool, known);
    QFETCH(QString, artist);
    SearchResults results;
    results.add("Metallica", "Black", "http://h/a.jpg");
    results.add("Neon Parade", "Night Shift", "http://h/b%20c.jpg");
    results.add("Sofia Anders", "Glass Houses", "http://h/x/../y/./c.jpg");
    const QuickSaveHit hit = resolveQuickSaveLink(target, results);
    QCOMPARE(hit.known, known);
    QCOMPARE(hit.artist, artist);
    if (known) {
        QCOMPARE(hit.album, results.album(hit.number));
        QCOMPARE(hit.address, results.picture(hit.number));
    }
}

void tst_QuickSave::pictureCheck_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("expected");
    QTest::newRow("placeholder") << 1 << 1 << int(PictureCheck::Empty);
    QTest::newRow("one pixel wide") << 1 << 2 << int(PictureCheck::Ok);
    QTest::newRow("one pixel high") << 2 << 1 << int(PictureCheck::Ok);
}

void tst_QuickSave::pictureCheck()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, expected);
    QCOMPARE(int(checkPicture(writePicture("p.jpg", w, h))), expected);
}

void tst_QuickSave::savesNewPicture()
{
    RecordingMessageBox box;
    const QString picture = writePicture("new.jpg", 500, 500);
    QuickSaveJob job{"http://img/Black.jpg", "Metallica",    "Black",
                     "@artist@ - @album@",   m_work->path(), m_app.path()};
    bool asked = false;
    const QuickSaveResult r =
        runQuickSave(job, serveFile(picture), box, [&](const QString &, const QString &) {
            asked = true;
            return false;
        });
    QCOMPARE(int(r.outcome), int(QuickSaveOutcome::Saved));
    QCOMPARE(r.target, m_work->path() + "/Metallica - Black.jpg");
    QCOMPARE(m_requested, QStringList{"http://img/Black.jpg"});
    QCOMPARE(readFile(r.target), readFile(picture));
    QVERIFY(box.shown.isEmpty());
    QVERIFY(!asked);
    // The scratch copy stays for a later compare.
    QVERIFY(QFile::exists(QDir(m_app.path()).filePath(T::compare2File)));
    QVERIFY(QFileInfo(r.target).permissions() & QFileDevice::WriteOwner);
}

void tst_QuickSave::refusesBadDownloads_data()
{
    QTest::addColumn<int>("kind"); // 0 failed call, 1 placeholder, 2 not a picture
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("outcome");
    QTest::newRow("download failed") << 0 << T::downloadFailed << int(MsgIcon::Exclamation)
                                     << int(QuickSaveOutcome::DownloadFailed);
    QTest::newRow("1x1 placeholder")
        << 1 << T::emptyPicture << int(MsgIcon::Information) << int(QuickSaveOutcome::EmptyPicture);
    QTest::newRow("error page instead of picture")
        << 2 << T::downloadFailed << int(MsgIcon::Exclamation)
        << int(QuickSaveOutcome::DownloadFailed);
}

void tst_QuickSave::refusesBadDownloads()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(int, icon);
    QFETCH(int, outcome);

    QString served = writePicture("served.jpg", 1, 1);
    if (kind == 2) {
        QFile f(served);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>Not found</html>");
    }
    // A stale scratch picture from before must not be mistaken for this download.
    QVERIFY(QFile::copy(writePicture("old.jpg", 300, 300),
                        QDir(m_app.path()).filePath(T::compare2File)));
    RecordingMessageBox box;
    const QString folder = QDir(m_work->path()).filePath("album");
    QVERIFY(QDir().mkpath(folder));
    QuickSaveJob job{"http://img/x.jpg", "A", "B", "folder", folder, m_app.path()};
    const QuickSaveResult r = runQuickSave(job, serveFile(served, kind == 0 ? 404 : 0), box, {});

    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, text);
    QCOMPARE(box.shown[0].title, T::downloadErrorTitle);
    QCOMPARE(int(box.shown[0].buttons), int(MsgButtons::OkOnly));
    QCOMPARE(int(box.shown[0].icon), icon);
    QVERIFY(QDir(folder).isEmpty());
    QVERIFY(!QFile::exists(QDir(m_app.path()).filePath(T::compare2File)));
}

void tst_QuickSave::existingTarget_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("compareKeeps");
    QTest::addColumn<bool>("expectCompare");
    QTest::addColumn<bool>("expectReplaced");
    QTest::addColumn<int>("outcome");
    QTest::newRow("No replaces at once")
        << int(MsgAnswer::No) << true << false << true << int(QuickSaveOutcome::Replaced);
    QTest::newRow("Yes, new picture chosen")
        << int(MsgAnswer::Yes) << false << true << true << int(QuickSaveOutcome::Replaced);
    QTest::newRow("Yes, existing kept")
        << int(MsgAnswer::Yes) << true << true << false << int(QuickSaveOutcome::KeptExisting);
}

void tst_QuickSave::existingTarget()
{
    QFETCH(int, answer);
    QFETCH(bool, compareKeeps);
    QFETCH(bool, expectCompare);
    QFETCH(bool, expectReplaced);
    QFETCH(int, outcome);

    // Hidden (a dot file here; the template may name one) and read-only: still found.
    const QString oldPicture = writePicture(".cover.jpg", 300, 300, Qt::blue);
    QVERIFY(QFile::setPermissions(oldPicture, QFileDevice::ReadOwner));
    const QByteArray oldBytes = readFile(oldPicture);
    const QString newPicture = writePicture("served.jpg", 500, 500, Qt::green);
    RecordingMessageBox box;
    box.answers = {MsgAnswer(answer)};
    QString seenExisting, seenCandidate;
    QByteArray existingCopyBytes;
    bool compared = false;
    QuickSaveJob job{"http://img/x.jpg", "A", "B", ".cover", m_work->path(), m_app.path()};
    const QuickSaveResult r =
        runQuickSave(job, serveFile(newPicture), box, [&](const QString &e, const QString &c) {
            compared = true;
            seenExisting = e;
            seenCandidate = c;
            existingCopyBytes = readFile(e);
            return compareKeeps;
        });

    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, T::replaceQuestion);
    QCOMPARE(box.shown[0].title, T::replaceTitle);
    QCOMPARE(int(box.shown[0].buttons), int(MsgButtons::YesNo));
    QCOMPARE(int(box.shown[0].icon), int(MsgIcon::Question));
    QCOMPARE(compared, expectCompare);
    if (expectCompare) {
        QCOMPARE(seenExisting, QDir(m_app.path()).filePath(T::compare1File));
        QCOMPARE(seenCandidate, QDir(m_app.path()).filePath(T::compare2File));
        QCOMPARE(existingCopyBytes, oldBytes);
    }
    QCOMPARE(readFile(oldPicture), expectReplaced ? readFile(newPicture) : oldBytes);
    // Made normal before the question, whatever the answer.
    QVERIFY(QFileInfo(oldPicture).permissions() & QFileDevice::WriteOwner);
}

void tst_QuickSave::saveFailureIsReported()
{
    // The folder holds a subfolder where the picture should go: the copy fails
    // and that must be said, not passed off as a save.
    QVERIFY(QDir().mkpath(QDir(m_work->path()).filePath("folder.jpg/inner")));
    const QString newPicture = writePicture("served.jpg", 500, 500);
    RecordingMessageBox box;
    QuickSaveJob job{"http://img/x.jpg", "A", "B", "folder", m_work->path(), m_app.path()};
    const QuickSaveResult r = runQuickSave(job, serveFile(newPicture), box, {});
    QCOMPARE(int(r.outcome), int(QuickSaveOutcome::SaveFailed));
    QCOMPARE(box.shown.size(), 1);
    QVERIFY(box.shown[0].text.startsWith(T::saveFailed + m_work->path() + "/folder.jpg"));
    QCOMPARE(box.shown[0].title, T::saveFailedTitle);
    QVERIFY(QFileInfo(QDir(m_work->path()).filePath("folder.jpg/inner")).isDir());
}

void tst_QuickSave::missingFolderIsReported()
{
    RecordingMessageBox box;
    QuickSaveJob job{"http://img/x.jpg",       "A",         "B", "folder",
                     m_work->path() + "/gone", m_app.path()};
    const QuickSaveResult r = runQuickSave(job, serveFile(writePicture("s.jpg", 5, 5)), box, {});
    QCOMPARE(int(r.outcome), int(QuickSaveOutcome::NoFolder));
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, T::noTargetFolder);
    QVERIFY(m_requested.isEmpty());
}

QTEST_GUILESS_MAIN(tst_QuickSave)
#include "tst_quicksave.moc"
