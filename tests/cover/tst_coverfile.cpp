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
        TestFiles::addTableRows("tables/cover-names.txt",
                                {"templ", "artist", "album", "folder", "expected"});
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
        // A picture of tests/data/pictures, "WxH" a picture of that size, ""
        // nothing (the download's answers are Quick Save's).
        QTest::addColumn<QString>("served");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QSize>("size"); // upright, of the picture kept
        const auto row = [](const char *name, const char *served, FetchResult expected,
                            QSize size = {}) {
            QTest::newRow(name) << served << int(expected) << size;
        };
        row("picture", "500x500", FetchResult::Ok, {500, 500});
        row("one pixel wide is a picture", "1x2", FetchResult::Ok, {1, 2});
        row("one pixel high is a picture", "2x1", FetchResult::Ok, {2, 1});
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
            else if (!served.isEmpty())
                TestFiles::writeServed(
                    path, QSize(served.section('x', 0, 0).toInt(), served.section('x', 1).toInt()));
            sentBytes = readFile(path);
            return 0;
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

    void kbytes_data() { TestFiles::addTableRows("tables/file-sizes.txt", {"size", "text"}); }

    void kbytes()
    {
        QFETCH(QString, text);
        QFETCH(QString, size);
        const qint64 bytes = size.toLongLong();
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
        TestFiles::addTableRows("tables/recommendations.txt", {"one", "two", "recommended"});
    }

    void recommendation()
    {
        QFETCH(QString, one);
        QFETCH(QString, two);
        // "WxH bytes", "-" for bytes that cannot be read.
        const auto size = [](const QString &s) {
            return QSize(s.section('x', 0, 0).toInt(),
                         s.section(' ', 0, 0).section('x', 1).toInt());
        };
        const auto bytes = [](const QString &s) {
            const QString b = s.section(' ', 1);
            return b == "-" ? std::nullopt : std::optional<qint64>(b.toLongLong());
        };
        const Recommendation r = recommend(size(one), bytes(one), size(two), bytes(two));
        QTEST(QString(r.one ? (r.two ? "both" : "one") : (r.two ? "two" : "none")), "recommended");
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

    void crop_data()
    {
        QTest::addColumn<QString>("picture"); // of tests/data/pictures
        QTest::addColumn<QList<QPoint>>("at");
        QTest::addColumn<QList<QColor>>("colour"); // of the saved cover there
        // Red grows left to right, green top to bottom, blue the other way.
        QTest::newRow("500 square")
            << "gradient-500x500.png" << QList<QPoint>{{0, 0}, {175, 250}, {349, 499}}
            << QList<QColor>{QColor(38, 0, 217), QColor(128, 128, 127), QColor(217, 255, 38)};
        // Upright 200x400, red above blue; black where the picture ends.
        QTest::newRow("turned, smaller than the cover")
            << "exif6-400x200.jpg" << QList<QPoint>{{10, 10}, {10, 300}, {200, 100}, {10, 450}}
            << QList<QColor>{QColor(0xd02020), QColor(0x2040c0), Qt::black, Qt::black};
    }

    void crop()
    {
        QFETCH(QString, picture);
        QFETCH(QList<QPoint>, at);
        QFETCH(QList<QColor>, colour);
        const QImage source = CoverFile::readPicture(TestFiles::testData("pictures/" + picture));
        const QString target = m_dir.filePath("Harbour Lights.jpg");
        QVERIFY(TestFiles::writeFile(target, "old cover"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QVERIFY(box.shown.isEmpty());
        // Before JPEG: exactly columns 75 to 424, rows 0 to 499, black beyond the picture.
        QCOMPARE(result.cropped,
                 source.convertToFormat(QImage::Format_RGB32).copy(75, 0, 350, 500));

        // A baseline 350x500 JPEG, 4:2:0, with the standard tables at quality 85.
        const QByteArray written = readFile(target);
        QVERIFY(written.contains(QByteArray::fromHex("ffc000110801f4015e03012200021101031101")));
        QVERIFY(written.contains(QByteArray::fromHex(
            "000503040404030504040405050506070c08070707070f0b0b090c110f1212110f111113161c1713141a15"
            "11111821181a1d1d1f1f1f13172224221e241c1e1f1e")));
        QVERIFY(written.contains(QByteArray::fromHex(
            "010505050706070e08080e1e1411141e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e"
            "1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e1e")));
        QVERIFY(!written.contains("Exif")); // no viewer turns it again
        const QImage cover(target);
        for (int i = 0; i < at.size(); ++i)
            QVERIFY2(channelDistance(cover.pixel(at[i]), colour[i].rgb()) <= 12,
                     qPrintable(QString::number(i)));
        // Nothing was left beside the picture or in the application folder.
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Harbour Lights.jpg"});
    }

    void cropFailureLeavesTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message"); // "": none; else title|text
        // So long a name that the new file cannot be made beside it.
        QTest::newRow("cannot be written")
            << QString(250, 'x') + ".jpg" << int(CropOutcome::WriteFailed) << "";
        QTest::newRow("cannot be loaded")
            << "untouched.jpg" << int(CropOutcome::LoadFailed) << "Jacketeer|Can't load BMP image";
    }

    void cropFailureLeavesTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString target = dir.filePath(name);
        QVERIFY(TestFiles::writeFile(target, "not replaced"));
        const QImage source = CoverFile::readPicture(
            message.isEmpty() ? TestFiles::testData("pictures/gradient-500x500.png") : target);
        RecordingMessageBox box;
        QTEST(int(cropCoverArt(source, target, box).outcome), "outcome");
        QCOMPARE(readFile(target), QByteArray("not replaced"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(box.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(box.shown[0].title + '|' + box.shown[0].text, message);
            QCOMPARE(box.shown[0].icon, MsgIcon::None);
        }
    }

private:
    TestFolders m_folders;
    QTemporaryDir m_app;
    QTemporaryDir m_work;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CoverFile)
#include "tst_coverfile.moc"
