// The cover floor without windows: the cover-file unit, the picture facts,
// the two-hit compare and the crop.
#include "base/messagebox.h"
#include "cover/covercrop.h"
#include "cover/coverfile.h"
#include "cover/picturecompare.h"
#include "cover/picturefacts.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace CoverFile;
using TestFiles::channelDistance;
using TestFiles::readFile;
using TestFiles::writePicture;

class tst_CoverFile : public QObject
{
    Q_OBJECT

private slots:
    void target_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *name, const char *templ, const char *artist,
                            const char *album, const char *folder, const char *expected) {
            QTest::newRow(name) << templ << artist << album << folder << expected;
        };
        // clang-format off
        row("artist and album cleaned", "@artist@ - @album@", "Alpha/Beta", "Gamma: Live", "/m/x",
            "/m/x/Alpha-Beta - Gamma- Live.jpg");
        row("default template", "folder", "A", "B", "/m/x", "/m/x/folder.jpg");
        row("folder placeholder", "@folder@", "A", "B", "/music/Metallica - Black",
            "/music/Metallica - Black/Metallica - Black.jpg");
        row("other case left alone", "@Artist@ @ALBUM@ @Folder@", "A", "B", "/m/x", "/m/x/@Artist@ @ALBUM@ @Folder@.jpg");
        row("every occurrence", "@artist@-@artist@ @album@@album@", "Kite", "Sky", "/m/x", "/m/x/Kite-Kite SkySky.jpg");
        row("artist text holding a later token is expanded too", "@artist@", "x@album@", "B", "/m/x", "/m/x/xB.jpg");
        row("blanks trimmed after cleaning", "  @artist@ @album@", "Neon Parade", "", "/m/x", "/m/x/Neon Parade .jpg");
        row("trailing slash on folder", "@folder@", "", "", "/m/Dust Roads/", "/m/Dust Roads/Dust Roads.jpg");
        row("root folder", "@folder@x", "", "", "/", "/x.jpg");
        row("every forbidden character cleaned", "@artist@", "a/b\\c:d>e<f*g?h\"i|j", "", "/m/x", "/m/x/a-b-c-d-e-f-g-h-i-j.jpg");
        row("other characters kept", "@artist@", "Ab 9.'&%#!~é", "", "/m/x", "/m/x/Ab 9.'&%#!~é.jpg");
        row("a path in the artist cannot leave the folder", "@artist@", "../../etc/passwd", "",
            "/m/x", "/m/x/..-..-etc-passwd.jpg");
        // clang-format on
    }

    void target()
    {
        QFETCH(QString, templ);
        QFETCH(QString, artist);
        QFETCH(QString, album);
        QFETCH(QString, folder);
        QTEST(CoverFile::target(templ, artist, album, folder), "expected");
    }

    void fetch_data()
    {
        // A picture of tests/data/pictures, or as TestFiles::writeServed writes
        // it: "WxH" a picture, "page" a page of text, "" nothing.
        QTest::addColumn<QString>("served");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QSize>("size"); // upright, of the picture kept
        const auto row = [](const char *name, const char *served, FetchResult expected,
                            QSize size = {}, int status = 0) {
            QTest::newRow(name) << served << status << int(expected) << size;
        };
        row("picture", "500x500", FetchResult::Ok, {500, 500});
        row("one pixel wide is a picture", "1x2", FetchResult::Ok, {1, 2});
        row("one pixel high is a picture", "2x1", FetchResult::Ok, {2, 1});
        row("1x1 placeholder", "1x1", FetchResult::Empty);
        row("error page", "page", FetchResult::NotAPicture);
        row("download failed", "500x500", FetchResult::DownloadFailed, {}, 404);
        row("nothing arrived", "", FetchResult::DownloadFailed);
        row("progressive JPEG", "progressive.jpg", FetchResult::Ok, {300, 300});
        row("CMYK JPEG", "cmyk.jpg", FetchResult::Ok, {300, 300});
        row("EXIF orientation 6", "exif6-400x200.jpg", FetchResult::Ok, {200, 400});
        row("12,000 x 12,000", "gray-12000x12000.jpg", FetchResult::Ok, {12000, 12000});
        row("cut in half", "truncated.jpg", FetchResult::NotAPicture);
        row("no end-of-image marker", "no-end-marker.jpg", FetchResult::NotAPicture);
        row("stray marker in the data", "corrupt.jpg", FetchResult::NotAPicture);
        row("PNG", "quadrants.png", FetchResult::Ok, {64, 48});
        row("GIF, transparent part", "quadrants.gif", FetchResult::Ok, {64, 48});
        row("WebP", "quadrants.webp", FetchResult::Ok, {64, 48});
        row("BMP", "quadrants.bmp", FetchResult::Ok, {64, 48});
        row("TIFF", "quadrants.tif", FetchResult::Ok, {64, 48});
    }

    void fetch()
    {
        QFETCH(QString, served);
        QFETCH(int, status);
        QFETCH(int, expected);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString scratch = dir.filePath("compare2.jpg");
        // A stale scratch picture from before must not be mistaken for this download.
        writePicture(scratch, 300, 300);
        const QString fixture = TestFiles::testData("pictures/" + served);
        const bool file = served.contains('.');
        QStringList requested;
        QByteArray sentBytes;
        const auto download = [&](const QString &url, const QString &path) {
            requested.append(url);
            if (file)
                QFile::copy(fixture, path);
            else if (served == "page")
                TestFiles::writeServed(path, QSize(0, 0));
            else if (!served.isEmpty())
                TestFiles::writeServed(
                    path, QSize(served.section('x', 0, 0).toInt(), served.section('x', 1).toInt()));
            sentBytes = readFile(path);
            return status;
        };
        QCOMPARE(int(CoverFile::fetch("http://img/x.jpg", scratch, download)), expected);
        QCOMPARE(requested, QStringList{"http://img/x.jpg"});
        QCOMPARE(QFile::exists(scratch), expected == int(FetchResult::Ok));
        if (expected != int(FetchResult::Ok))
            return;
        QSize checked;
        QCOMPARE(CoverFile::check(scratch, &checked), PictureCheck::Ok);
        QCOMPARE(checked, size);
        // Kept as sent, or a JPEG of the same pixels, transparent parts on white.
        QCOMPARE(QImageReader(scratch).format(), "jpeg");
        if (QImageReader(fixture).format() == "jpeg" || !file) {
            QCOMPARE(readFile(scratch), sentBytes);
            return;
        }
        QImage sent(size, QImage::Format_RGB32);
        sent.fill(Qt::white);
        QPainter(&sent).drawImage(0, 0, QImage(fixture));
        // Lossy WebP rings at the quadrants' edges, which costs a JPEG a few levels more.
        const int distance = TestFiles::pictureDistance(QImage(scratch), sent);
        QVERIFY2(distance >= 0 && distance <= 16, qPrintable(QString::number(distance)));
    }

    void place_data()
    {
        QTest::addColumn<QString>("existing"); // "": none; a read-only picture otherwise
        QTest::addColumn<int>("policy");
        QTest::addColumn<int>("answer"); // -1: no question hook
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("asked");
        const auto row = [](const char *name, const char *existing, ReplacePolicy policy,
                            int answer, PlaceOutcome outcome, bool asked) {
            QTest::newRow(name) << existing << int(policy) << answer << int(outcome) << asked;
        };
        // clang-format off
        row("new picture, never asked", "", ReplacePolicy::Ask, 0, PlaceOutcome::Saved, false);
        row("new picture under Never", "", ReplacePolicy::Never, -1, PlaceOutcome::Saved, false);
        row("Ask, replace", "cover.jpg", ReplacePolicy::Ask, 1, PlaceOutcome::Replaced, true);
        row("Ask, keep", "cover.jpg", ReplacePolicy::Ask, 0, PlaceOutcome::KeptExisting, true);
        row("Ask without a question keeps", "cover.jpg", ReplacePolicy::Ask, -1, PlaceOutcome::KeptExisting, false);
        row("hidden picture is found", ".cover.jpg", ReplacePolicy::Ask, 1, PlaceOutcome::Replaced, true);
        row("Always", "cover.jpg", ReplacePolicy::Always, 0, PlaceOutcome::Replaced, false);
        row("Never", "cover.jpg", ReplacePolicy::Never, 1, PlaceOutcome::KeptExisting, false);
        // clang-format on
    }

    void place()
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

    void kbytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("no file") << qint64(-1) << "N/A";
        QTest::newRow("a folder is no file either") << qint64(-2) << "N/A";
        QTest::newRow("half rounds to even 0") << qint64(512) << "0 Kbytes";
        QTest::newRow("over a half") << qint64(513) << "1 Kbytes";
        QTest::newRow("two and a half rounds to 2") << qint64(2560) << "2 Kbytes";
        QTest::newRow("large") << qint64(5) * 1024 * 1024 * 1024 + 1536 << "5242882 Kbytes";
    }

    void kbytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        const QString file = m_work.filePath(QString("%1.bin").arg(bytes));
        if (bytes == -2)
            QVERIFY(QDir().mkpath(file));
        if (bytes >= 0) {
            QCOMPARE(kbytesText(bytes), text);
            if (bytes > 100000)
                return;
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(bytes, 'x')) == bytes);
        }
        QCOMPARE(fileSizeText(file), text);
    }

    void recommendation_data()
    {
        QTest::addColumn<QSize>("one");
        QTest::addColumn<qint64>("s1");
        QTest::addColumn<QSize>("two");
        QTest::addColumn<qint64>("s2"); // -1: size unreadable
        QTest::addColumn<bool>("recOne");
        QTest::addColumn<bool>("recTwo");
        // clang-format off
        QTest::newRow("one larger") << QSize(500, 500) << 37LL << QSize(300, 300) << 90LL << true << false;
        QTest::newRow("two larger") << QSize(300, 300) << 90LL << QSize(500, 500) << 37LL << false << true;
        QTest::newRow("one wider but shorter wins as Picture One") << QSize(500, 400) << 1LL << QSize(400, 500) << 2LL << true << false;
        QTest::newRow("two wider but shorter loses as Picture Two") << QSize(400, 500) << 1LL << QSize(500, 400) << 2LL << true << false;
        QTest::newRow("one taller only") << QSize(300, 301) << 1LL << QSize(300, 300) << 9LL << true << false;
        QTest::newRow("two wider only") << QSize(300, 300) << 9LL << QSize(301, 300) << 1LL << false << true;
        QTest::newRow("equal size, one bigger file") << QSize(500, 500) << 40LL << QSize(500, 500) << 39LL << true << false;
        QTest::newRow("equal size, two bigger file") << QSize(500, 500) << 39LL << QSize(500, 500) << 40LL << false << true;
        QTest::newRow("equal everything") << QSize(500, 500) << 40LL << QSize(500, 500) << 40LL << true << true;
        QTest::newRow("unreadable size loses") << QSize(500, 500) << -1LL << QSize(500, 500) << 0LL << false << true;
        QTest::newRow("both unreadable") << QSize(0, 0) << -1LL << QSize(0, 0) << -1LL << true << true;
        // clang-format on
    }

    void recommendation()
    {
        QFETCH(QSize, one);
        QFETCH(qint64, s1);
        QFETCH(QSize, two);
        QFETCH(qint64, s2);
        auto opt = [](qint64 s) { return s < 0 ? std::nullopt : std::optional<qint64>(s); };
        const Recommendation r = recommend(one, opt(s1), two, opt(s2));
        QTEST(r.one, "recOne");
        QTEST(r.two, "recTwo");
    }

    void twoHitCompare_data()
    {
        QTest::addColumn<QList<bool>>("ticks");
        QTest::addColumn<QList<QSize>>("served"); // per download, see TestFiles::writeServed
        QTest::addColumn<QString>("message");     // "": both pictures ready; else title|text
        QTest::addColumn<int>("icon");
        const QList<bool> two{false, true, false, true, false};
        const QSize big(500, 500);
        const QSize small(300, 300);
        const auto row = [](const char *name, QList<bool> ticks, QList<QSize> served,
                            const char *message = "", MsgIcon icon = MsgIcon::None) {
            QTest::newRow(name) << ticks << served << QString(message) << int(icon);
        };
        const char *tooMany = "Error|You can only compare two pictures at a time.";
        const char *tooFew = "Error|You must select 2 images to view.";
        // clang-format off
        row("three", {true, true, false, true}, {}, tooMany, MsgIcon::Exclamation);
        row("one", {false, true, false}, {}, tooFew, MsgIcon::Exclamation);
        row("none", {}, {}, tooFew, MsgIcon::Exclamation);
        row("ticks beyond the hits do not count", {true, false, false, false, false, true}, {}, tooFew, MsgIcon::Exclamation);
        row("both downloaded", two, {big, small});
        row("first fails", two, {QSize()}, "Picture Compare Error|Unable to download picture 1");
        row("second fails", two, {big, QSize()}, "Picture Compare Error|Unable to download picture 2");
        row("second is an error page", two, {big, QSize(0, 0)}, "Picture Compare Error|Unable to download picture 2");
        row("second is the 1x1 placeholder", two, {big, QSize(1, 1)}, "Picture Compare Error|Unable to download picture 2");
        // clang-format on
    }

    void twoHitCompare()
    {
        QFETCH(QList<bool>, ticks);
        QFETCH(QList<QSize>, served);
        QFETCH(QString, message);
        QFETCH(int, icon);
        const HitLookup fiveHits = [](int n) -> std::optional<ComparedHit> {
            if (n < 1 || n > 5)
                return std::nullopt;
            return ComparedHit{n, QString("Artist %1").arg(n), QString("Album %1").arg(n),
                               QString("http://img/%1.jpg").arg(n)};
        };
        const QString one = QDir(m_app.path()).filePath("compare1.jpg");
        const QString two = QDir(m_app.path()).filePath("compare2.jpg");
        writePicture(one, 20, 20); // left from an earlier compare
        RecordingMessageBox box;
        QStringList urls;
        bool oldGone = false;
        const TwoHitSetup s = prepareTwoHitCompare(
            ticks, 5, fiveHits,
            [&](const QString &url, const QString &path) {
                TestFiles::writeServed(path, served.value(urls.size()));
                urls.append(url);
                return 1; // The answer is ignored: only the file counts.
            },
            box, m_app.path(), [&] { oldGone = !QFile::exists(one) && !QFile::exists(two); });
        QCOMPARE(s.ready, message.isEmpty());
        QCOMPARE(urls, (QStringList{"http://img/2.jpg", "http://img/4.jpg"}).mid(0, served.size()));
        QCOMPARE(oldGone, !served.isEmpty());
        QCOMPARE(box.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(box.shown[0].title, message.section('|', 0, 0));
            QCOMPARE(box.shown[0].text, message.section('|', 1));
            QCOMPARE(int(box.shown[0].icon), icon);
            QCOMPARE(int(box.shown[0].buttons), int(MsgButtons::OkOnly));
            return;
        }
        QCOMPARE(s.hits[0].number, 2);
        QCOMPARE(s.hits[0].artist, "Artist 2");
        QCOMPARE(s.hits[1].number, 4);
        QCOMPARE(s.hits[1].album, "Album 4");
        QCOMPARE(QImage(one).size(), QSize(500, 500));
        QCOMPARE(QImage(two).size(), QSize(300, 300));
    }

    void crops500SquareToCover()
    {
        const QImage source(TestFiles::testData("pictures/gradient-500x500.png"));
        const QString target = m_dir.filePath(QStringLiteral("Harbour Lights.jpg"));
        QVERIFY(source.save(target, "JPG"));

        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QVERIFY(box.shown.isEmpty());

        // Before JPEG: exactly columns 75..424 of the source.
        QCOMPARE(result.cropped.convertToFormat(QImage::Format_RGB32),
                 source.copy(75, 0, 350, 500));

        // A baseline 350x500 JPEG, 4:2:0, with the standard tables at quality 85.
        const QByteArray written = readFile(target);
        QVERIFY(written.contains(QByteArray::fromHex("ffc000110801f4015e03012200021101031101")));
        QVERIFY(written.contains(QByteArray::fromHex(
            "000503040404030504040405050506070c08070707070f0b0b090c110f1212110f111113161c1713141a15"
            "11111821181a1d1d1f1f1f13172224221e241c1e1f1e")));
        QVERIFY(written.contains(QByteArray::fromHex(
            "010505050706070e08080e1e1411141e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e"
            "1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e")));
        // What the file shows: a wrong rectangle, a flipped picture or swapped
        // channels would be far off.
        const int distance =
            TestFiles::pictureDistance(QImage(target), source.copy(75, 0, 350, 500));
        QVERIFY2(distance >= 0 && distance <= 12, qPrintable(QString::number(distance)));

        // Nothing was left beside the picture or in the application folder.
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Harbour Lights.jpg")});
    }

    void cropsTheUprightPicture()
    {
        // Stored with its top half red, shown turned: blue on the left, red on
        // the right, and so is the cover cut from it.
        const QString target = m_dir.filePath(QStringLiteral("Sideways.jpg"));
        QVERIFY(QFile::copy(TestFiles::testData("pictures/exif6-500x500.jpg"), target));
        RecordingMessageBox box;
        QCOMPARE(cropCoverArt(CoverFile::readPicture(target), target, box).outcome,
                 CropOutcome::Cropped);
        const QByteArray written = readFile(target);
        QVERIFY(!written.contains("Exif")); // no viewer turns it again
        const QImage cover(target);
        QCOMPARE(cover.size(), QSize(350, 500));
        for (const QPoint at : {QPoint(10, 10), QPoint(10, 490), QPoint(170, 250)})
            QVERIFY(channelDistance(cover.pixel(at), qRgb(0x20, 0x40, 0xc0)) <= 12);
        for (const QPoint at : {QPoint(340, 10), QPoint(340, 490), QPoint(180, 250)})
            QVERIFY(channelDistance(cover.pixel(at), qRgb(0xd0, 0x20, 0x20)) <= 12);
    }

    void smallPictureGetsBlackMargin()
    {
        // Only columns 75..299 and rows 0..199 exist; the rest of the cover is black.
        QImage source(300, 200, QImage::Format_RGB32);
        source.fill(QColor(200, 40, 90));
        const QString target = m_dir.filePath(QStringLiteral("small.jpg"));
        QVERIFY(source.save(target, "JPG"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QCOMPARE(result.cropped.size(), QSize(350, 500));
        QCOMPARE(result.cropped.pixel(0, 0), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(224, 199), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(225, 0), qRgb(0, 0, 0));
        QCOMPARE(result.cropped.pixel(0, 200), qRgb(0, 0, 0));
        QCOMPARE(QImage(target).size(), QSize(350, 500));
    }

    void failedWriteKeepsPicture()
    {
        // A name so long that the new file cannot be made beside it.
        QTemporaryDir dir;
        const QString target = dir.filePath(QString(250, 'x') + ".jpg");
        const QImage source(TestFiles::testData("pictures/gradient-500x500.png"));
        QVERIFY(source.save(target, "JPG"));
        const QByteArray before = readFile(target);
        RecordingMessageBox box;
        QCOMPARE(cropCoverArt(source, target, box).outcome, CropOutcome::WriteFailed);
        QCOMPARE(readFile(target), before);
        QVERIFY(box.shown.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void pictureThatCannotBeLoaded()
    {
        const QString target = m_dir.filePath(QStringLiteral("untouched.jpg"));
        QVERIFY(TestFiles::writeFile(target, "not replaced"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(CoverFile::readPicture(target), target, box);
        QCOMPARE(result.outcome, CropOutcome::LoadFailed);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].text, "Can't load BMP image");
        QCOMPARE(box.shown[0].title, "Jacketeer");
        QCOMPARE(box.shown[0].icon, MsgIcon::None);
        QCOMPARE(readFile(target), QByteArray("not replaced"));
    }

private:
    TestFolders m_folders;
    QTemporaryDir m_app;
    QTemporaryDir m_work;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CoverFile)
#include "tst_coverfile.moc"
