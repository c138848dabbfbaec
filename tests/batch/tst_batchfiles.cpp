#include "batch/batchresultsfile.h"
#include "batch/id3v1.h"
#include "batch/samplecollection.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using TestFiles::readFile;
using TestFiles::writeFile;

// The results file format, the ID3v1 reader and the sample collection, byte
// for byte.
class TestBatchFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_fixture = TestFiles::testData("batch/three-records.rlt");

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QStringList texts(const std::vector<BatchResultRecord> &records)
    {
        QStringList out;
        for (const BatchResultRecord &r : records)
            out << r.artist + '|' + r.album + '|' + r.url;
        return out;
    }

    // An ID3v1 tag spelled out: "TAG", title, artist at 33, album at 63,
    // year, comment, genre.
    static QByteArray tag(const QByteArray &artist, const QByteArray &album = {})
    {
        return "TAG" + QByteArray(30, 'T') + artist.leftJustified(30, '\0', true) +
               album.leftJustified(30, '\0', true) + QByteArray(35, '\0');
    }

private slots:
    void resultsFileBytes()
    {
        // Blank-padded, cut at 50, 50 and 255 bytes, Windows-1252, "?" for
        // what it cannot hold; read back without the blanks.
        const QString url300 = "http://x/" + QString(291, 'u');
        BatchResultsFile writer;
        QVERIFY(writer.create(path("three.rlt")));
        QVERIFY(writer.writeRecord(1, {"Björk", "Café €", "http://img.example/a.jpg"}));
        QVERIFY(
            writer.writeRecord(2, {QString(50, 'A') + QString(10, 'B'), QString(70, 'c'), url300}));
        QVERIFY(writer.writeRecord(3, {"東京", "  Padded  ", ""}));
        writer.close();
        QCOMPARE(readFile(path("three.rlt")), readFile(m_fixture));
        const QStringList records{
            "Björk|Café €|http://img.example/a.jpg",
            QString(50, 'A') + '|' + QString(50, 'c') + '|' + url300.left(255), "??|Padded|"};
        QCOMPARE(texts(readBatchRecords(m_fixture)), records);
        QCOMPARE(texts({readBatchRecord(m_fixture, 2).value_or(BatchResultRecord{})}),
                 records.mid(1, 1));
        QVERIFY(!readBatchRecord(m_fixture, 0) && !readBatchRecord(m_fixture, 4));
        QVERIFY(!readBatchRecord(path("missing.rlt"), 1));
        // A pipe in place of the file would block the reader.
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.rlt")).constData(), 0600), 0);
        QVERIFY(!readBatchRecord(path("pipe.rlt"), 1));
        QVERIFY(readBatchRecords(path("pipe.rlt")).empty());

        // A torn last record counts from half a record on, and reads as far
        // as it goes.
        QVERIFY(writeFile(path("torn.rlt"), readFile(m_fixture).left(710 + 300)));
        QCOMPARE(texts(readBatchRecords(path("torn.rlt"))).value(2), QStringLiteral("??|Padded|"));
        QCOMPARE(readBatchRecord(path("torn.rlt"), 3).value_or(BatchResultRecord{}).album,
                 "Padded");
        QVERIFY(writeFile(path("torn.rlt"), readFile(m_fixture).left(710 + 40)));
        QCOMPARE(int(readBatchRecords(path("torn.rlt")).size()), 2);
        QVERIFY(!readBatchRecord(path("torn.rlt"), 3));
        QStringList counts;
        for (const qint64 length : {0, 177, 178, 355, 710, 810, 1010, 355 * 12345})
            counts << QString::number(batchRecordCount(length));
        QCOMPARE(counts.join(' '), QStringLiteral("0 0 1 1 2 2 3 12345"));
    }

    // A new results file replaces a read-only one; one that is a link takes
    // the link's place in the folder, and whatever the link pointed at is
    // neither changed nor created.
    void createReplaces_data()
    {
        QTest::addColumn<QString>("old");
        QTest::newRow("read-only file") << "file";
        QTest::newRow("link to a read-only file") << "link";
        QTest::newRow("dangling link") << "dangling";
    }

    void createReplaces()
    {
        QFETCH(QString, old);
        QTemporaryDir dir;
        const QString target = dir.filePath("elsewhere.txt");
        const QString file = dir.filePath("batch.rlt");
        QVERIFY(writeFile(old == "file" ? file : target, "keep"));
        QVERIFY(QFile::setPermissions(old == "file" ? file : target, QFileDevice::ReadOwner));
        if (old == "dangling")
            QVERIFY(QFile::remove(target));
        if (old != "file")
            QVERIFY(QFile::link(target, file));
        BatchResultsFile writer;
        QVERIFY(writer.create(file));
        QVERIFY(writer.writeRecord(1, {"A", "B", "u"}));
        writer.close();
        QVERIFY(!QFileInfo(file).isSymLink());
        QCOMPARE(QFileInfo(file).size(), 355);
        QCOMPARE(readFile(target), QByteArray(old == "link" ? "keep" : ""));
        QCOMPARE(QFileInfo::exists(target), old == "link");
    }

    void hitKeys()
    {
        QStringList keys;
        for (const auto &[number, folder] : {std::pair<qint64, QString>{1, "/music/A/B"},
                                             {12, "/music/A/B"},
                                             {33000, "/music/A/B"},
                                             {3, "2024 rips/B"}}) {
            keys << hitNodeKey(number, folder, "\\Brinsell", " Artist ", "Album  ");
            QCOMPARE(hitRecordNumber(keys.last(), folder), number);
        }
        QCOMPARE(keys, (QStringList{"0001/music/A/B\\BrinsellArtistAlbum",
                                    "0012/music/A/B\\BrinsellArtistAlbum",
                                    "33000/music/A/B\\BrinsellArtistAlbum",
                                    "00032024 rips/B\\BrinsellArtistAlbum"}));
    }

    void id3v1_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QString>("read"); // artist|album, or "none"
        QTest::newRow("NUL padded") << tag("Artist A", "Album B") << "Artist A|Album B";
        QTest::newRow("blank padded, empty album")
            << tag(QByteArray("  Spaced Artist").leftJustified(30, ' '), QByteArray(30, ' '))
            << "Spaced Artist|";
        QTest::newRow("text after the first NUL ignored")
            << tag(QByteArray("Name\0junk after the NUL", 23)) << "Name|";
        QTest::newRow("Windows-1252 bytes")
            << tag("M\xf6tley", "Dr. Feelgood") << "Mötley|Dr. Feelgood";
        QTest::newRow("marker is exact case") << tag("A", "B").replace(0, 3, "tag") << "none";
        QTest::newRow("too short") << QByteArray("TAG") << "none";
    }

    void id3v1()
    {
        QFETCH(QByteArray, tag);
        const auto parsed = parseId3v1Tag(tag);
        QTEST(parsed ? parsed->artist + '|' + parsed->album : "none", "read");
        // The same from the end of a file, and from a file that is only the tag.
        for (const int before : {1000, 0}) {
            QVERIFY(writeFile(path("x.mp3"), QByteArray(before, 'x') + tag));
            const auto read = readId3v1Tag(path("x.mp3"));
            QTEST(read ? read->artist + '|' + read->album : "none", "read");
        }
    }

    void id3v1FromOtherFiles()
    {
        QVERIFY(!readId3v1Tag(path("absent.mp3")));
        QVERIFY(!readId3v1Tag(m_dir.path())); // a folder is not a file
        QString audio;
        for (const char *name : {"01.mp3", "SONG.Mp3", "x.APE", "x.ogg", "x.wm9", "x.wma",
                                 "song.mp3.txt", "xmp3", ".mp3", "mp3"})
            audio += isTaggableAudioName(name) ? '1' : '0';
        QCOMPARE(audio, QStringLiteral("1111100010"));
    }

    void sampleCollections()
    {
        const QString cd = path("demo/cd");
        QCOMPARE(makeDemoCollection(cd, path("demo/dvd")).filesCreated, 10 * 3 + 5);
        const QString track = cd + "/Marlow & Keys/Second Floor/01 - Track.mp3";
        const Id3v1Tag read = readId3v1Tag(track).value_or(Id3v1Tag{});
        QCOMPARE(read.artist + '|' + read.album, QStringLiteral("Marlow & Keys|Second Floor"));

        // A user's own file in its place is neither replaced nor deleted.
        QVERIFY(writeFile(track, "mine"));
        const SampleCollectionReport second = makeDemoCollection(cd, path("demo/dvd"));
        QVERIFY(second.ok());
        QCOMPARE(second.filesCreated, 0);
        QCOMPARE(readFile(track), QByteArray("mine"));
        // A file where a folder should be is reported, not removed.
        QVERIFY(writeFile(path("demo/blocked"), "x"));
        QVERIFY(!makeDemoCollection(path("demo/blocked"), {}).ok());
        QCOMPARE(readFile(path("demo/blocked")), QByteArray("x"));

        const SampleCollectionReport generated =
            makeGeneratedCollection(path("gen/cd"), path("gen/dvd"), 12, 2, 3);
        QVERIFY(generated.ok());
        QCOMPARE(generated.filesCreated, 12 * 2 + 3);
        QCOMPARE(QDir(path("gen/cd")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
        QCOMPARE(readId3v1Tag(path("gen/cd/Artist 0002/Album 00012/02 - Track.mp3"))
                     .value_or(Id3v1Tag{})
                     .album,
                 QStringLiteral("Album 00012"));
    }
};

QTEST_GUILESS_MAIN(TestBatchFiles)
#include "tst_batchfiles.moc"
