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
        TestFiles::addTableRows("cover-names.tsv",
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
        TestFiles::addTableRows("fetched-pictures.tsv", {"served", "result", "upright"});
    }

    void fetch()
    {
        QFETCH(QString, served);
        QFETCH(QString, result);
        QFETCH(QString, upright);
        const QSize size = TestFiles::sizeOf(upright);
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
            else
                TestFiles::writeServed(path, TestFiles::sizeOf(served));
            sentBytes = readFile(path);
            return 0;
        };
        // In the order of FetchResult.
        const QStringList results{"Ok", "DownloadFailed", "Empty", "NotAPicture"};
        QCOMPARE(results.value(int(CoverFile::fetch("http://img/x.jpg", scratch, download))),
                 result);
        QCOMPARE(requested, QStringList{"http://img/x.jpg"});
        QCOMPARE(QFile::exists(scratch), result == "Ok");
        if (result != "Ok")
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
        TestFiles::addTableRows("placed-pictures.tsv",
                                {"existing", "policy", "answer", "outcome", "asked"});
    }

    void place()
    {
        QFETCH(QString, existing);
        QFETCH(QString, policy);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        QFETCH(QString, asked);
        // In the orders of ReplacePolicy and PlaceOutcome.
        const auto replace = ReplacePolicy(QStringList{"Ask", "Always", "Never"}.indexOf(policy));
        const QStringList outcomes{"Saved", "Replaced", "KeptExisting", "Failed"};
        QTemporaryDir dir;
        const QString picture = writePicture(dir.filePath("compare2.jpg"), 500, 500, Qt::green);
        const QString target = dir.filePath(existing == "-" ? QString("cover.jpg") : existing);
        QByteArray oldBytes;
        if (existing != "-") {
            oldBytes = readFile(writePicture(target, 300, 300, Qt::blue));
            QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
        }
        QStringList questions;
        ReplaceQuestion ask;
        if (answer != "-")
            ask = [&](const QString &t) {
                questions.append(t);
                return answer == "yes";
            };

        const PlaceResult r = CoverFile::place(picture, target, replace, ask);
        QCOMPARE(outcomes.value(int(r.outcome)), outcome);
        QCOMPARE(questions, asked == "yes" ? QStringList{target} : QStringList{});
        const bool kept = r.outcome == PlaceOutcome::KeptExisting;
        QCOMPARE(readFile(target), kept ? oldBytes : readFile(picture));
        // Made normal unless it was to stay untouched; a new picture is normal.
        const bool normal = (QFile::permissions(target) & QFileDevice::WriteOwner) != 0;
        QCOMPARE(normal, replace != ReplacePolicy::Never || !kept);
    }

    void kbytes_data() { TestFiles::addTableRows("file-sizes.tsv", {"size", "text"}); }

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
        TestFiles::addTableRows("recommendations.tsv", {"one", "two", "recommended"});
    }

    void recommendation()
    {
        QFETCH(QString, one);
        QFETCH(QString, two);
        // "WxH bytes", "-" for bytes that cannot be read.
        const auto size = [](const QString &s) { return TestFiles::sizeOf(s.section(' ', 0, 0)); };
        const auto bytes = [](const QString &s) {
            const QString b = s.section(' ', 1);
            return b == "-" ? std::nullopt : std::optional<qint64>(b.toLongLong());
        };
        const Recommendation r = recommend(size(one), bytes(one), size(two), bytes(two));
        QTEST(QString(r.one ? (r.two ? "both" : "one") : (r.two ? "two" : "none")), "recommended");
    }

    void twoHitCompare_data()
    {
        TestFiles::addTableRows("two-hit-compares.tsv",
                                {"ticks", "served", "message", "icon"});
    }

    void twoHitCompare()
    {
        QFETCH(QString, ticks);
        QFETCH(QString, served);
        QFETCH(QString, message);
        QFETCH(QString, icon);
        QList<bool> ticked;
        for (const QString &t : ticks.split(' ', Qt::SkipEmptyParts))
            ticked << (t == "1");
        const QStringList sent = served == "none" ? QStringList() : served.split(' ');
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
            ticks == "-" ? QList<bool>() : ticked, 5, fiveHits,
            [&](const QString &url, const QString &path) {
                TestFiles::writeServed(path, TestFiles::sizeOf(sent.value(urls.size())));
                urls.append(url);
                return 1; // The answer is ignored: only the file counts.
            },
            box, m_app.path(), [&] { oldGone = !QFile::exists(one) && !QFile::exists(two); });
        QCOMPARE(s.ready, message == "-");
        QCOMPARE(urls, (QStringList{"http://img/2.jpg", "http://img/4.jpg"}).mid(0, sent.size()));
        QCOMPARE(oldGone, !sent.isEmpty());
        QCOMPARE(box.shown.size(), message == "-" ? 0 : 1);
        if (message != "-") {
            QCOMPARE(box.shown[0].title + '|' + box.shown[0].text, message);
            QCOMPARE(box.shown[0].icon, icon == "None" ? MsgIcon::None : MsgIcon::Exclamation);
            QCOMPARE(box.shown[0].buttons, MsgButtons::OkOnly);
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
