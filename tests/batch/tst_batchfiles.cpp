#include "base/cp1252.h"
#include "batch/batchresultsfile.h"
#include "batch/id3v1.h"
#include "batch/samplecollection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The results file format, the ID3v1 reader and the sample collection, byte
// for byte.
class TestBatchFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QByteArray fileBytes(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeBytes(const QString &p, const QByteArray &bytes)
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toUtf8());
    }

    void recordLayout_data()
    {
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("artistField");
        QTest::addColumn<QByteArray>("albumField");
        QTest::addColumn<QByteArray>("urlField");

        const QString url = QStringLiteral("http://img.example/a.jpg");
        QTest::newRow("short texts are blank-padded")
            << "Metallica"
            << "Black" << url << QByteArray("Metallica").leftJustified(50, ' ')
            << QByteArray("Black").leftJustified(50, ' ') << url.toLatin1().leftJustified(255, ' ');
        const QString artist60 = QString(50, QLatin1Char('A')) + QString(10, QLatin1Char('B'));
        const QString url300 = QStringLiteral("http://x/") + QString(291, QLatin1Char('u'));
        QTest::newRow("long texts are cut at 50 and 255")
            << artist60 << QString(70, QLatin1Char('c')) << url300 << QByteArray(50, 'A')
            << QByteArray(50, 'c') << url300.toLatin1().left(255);
        QTest::newRow("accents are one Windows-1252 byte")
            << QStringLiteral("Björk") << QStringLiteral("Café €") << url
            << QByteArray("Bj\xf6rk").leftJustified(50, ' ')
            << QByteArray("Caf\xe9 \x80").leftJustified(50, ' ')
            << url.toLatin1().leftJustified(255, ' ');
        QTest::newRow("characters without a byte become ?")
            << QStringLiteral("東京") << QString() << QString()
            << QByteArray("??").leftJustified(50, ' ') << QByteArray(50, ' ')
            << QByteArray(255, ' ');
    }

    void recordLayout()
    {
        QFETCH(QString, artist);
        QFETCH(QString, album);
        QFETCH(QString, url);
        QFETCH(QByteArray, artistField);
        QFETCH(QByteArray, albumField);
        QFETCH(QByteArray, urlField);

        const QByteArray bytes = encodeBatchRecord({artist, album, url});
        QCOMPARE(bytes.size(), 355);
        QCOMPARE(bytes.left(50), artistField);
        QCOMPARE(bytes.mid(50, 50), albumField);
        QCOMPARE(bytes.mid(100), urlField);

        // Reading gives back the field texts without their padding.
        const BatchResultRecord back = decodeBatchRecord(bytes);
        QCOMPARE(toCp1252(back.artist), artistField.trimmed());
        QCOMPARE(toCp1252(back.album), albumField.trimmed());
        QCOMPARE(toCp1252(back.url), urlField.trimmed());
    }

    void writerAndReaderAgree()
    {
        const QString file = path("agree.rlt");
        BatchResultsFile writer;
        QVERIFY(writer.create(file));
        QVERIFY(writer.writeRecord(1, {"Artist A", "Album B", "http://v/1.jpg"}));
        QVERIFY(writer.writeRecord(2, {"  Padded  ", "Café", "http://b/2.jpg"}));
        writer.close();
        QCOMPARE(QFileInfo(file).size(), 710);

        const auto second = readBatchRecord(file, 2);
        QVERIFY(second);
        QCOMPARE(second->artist, QStringLiteral("Padded"));
        QCOMPARE(second->album, QStringLiteral("Café"));
        QCOMPARE(second->url, QStringLiteral("http://b/2.jpg"));
        QVERIFY(!readBatchRecord(file, 3));
        QVERIFY(!readBatchRecord(file, 0));
        QVERIFY(!readBatchRecord(path("missing.rlt"), 1));
        // A pipe in place of the file would block the reader.
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.rlt")).constData(), 0600), 0);
        QVERIFY(!readBatchRecord(path("pipe.rlt"), 1));
        QVERIFY(readBatchRecords(path("pipe.rlt")).empty());

        const auto all = readBatchRecords(file);
        QCOMPARE(int(all.size()), 2);
        QCOMPARE(all[0].artist, QStringLiteral("Artist A"));
        QCOMPARE(all[1].url, QStringLiteral("http://b/2.jpg"));
    }

    void createReplacesOldFile()
    {
        const QString file = path("replace.rlt");
        writeBytes(file, QByteArray(355 * 3, 'z'));
        QFile::setPermissions(file, QFileDevice::ReadOwner);
        BatchResultsFile writer;
        QVERIFY(writer.create(file));
        writer.close();
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(QFileInfo(file).size(), 0);
        QVERIFY(readBatchRecords(file).empty());
    }

    // A results file that is a link: the new file takes the link's place in
    // the folder, and whatever the link pointed at is neither changed nor
    // created.
    void createReplacesLinkNotItsTarget_data()
    {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("link to a read-only file") << false;
        QTest::newRow("dangling link") << true;
    }

    void createReplacesLinkNotItsTarget()
    {
        QFETCH(bool, dangling);
        QTemporaryDir dir;
        const QString target = dir.filePath("elsewhere.txt");
        const QString file = dir.filePath("batch.rlt");
        if (!dangling) {
            writeBytes(target, "keep");
            QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
        }
        QVERIFY(QFile::link(target, file));

        BatchResultsFile writer;
        QVERIFY(writer.create(file));
        QVERIFY(writer.writeRecord(1, {"A", "B", "u"}));
        writer.close();
        QVERIFY(!QFileInfo(file).isSymLink());
        QCOMPARE(QFileInfo(file).size(), 355);
        if (dangling) {
            QVERIFY(!QFileInfo::exists(target));
        } else {
            QVERIFY(!(QFile::permissions(target) & QFileDevice::WriteOwner));
            QCOMPARE(fileBytes(target), QByteArray("keep"));
        }
    }

    void recordCount_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("count");
        QTest::newRow("empty") << qint64(0) << qint64(0);
        QTest::newRow("less than half a record") << qint64(177) << qint64(0);
        QTest::newRow("more than half a record") << qint64(178) << qint64(1);
        QTest::newRow("one") << qint64(355) << qint64(1);
        QTest::newRow("two") << qint64(710) << qint64(2);
        QTest::newRow("two and a short torn one") << qint64(710 + 100) << qint64(2);
        QTest::newRow("two and a long torn one") << qint64(710 + 300) << qint64(3);
        QTest::newRow("past 9999") << qint64(355) * 12345 << qint64(12345);
    }

    void recordCount()
    {
        QFETCH(qint64, length);
        QFETCH(qint64, count);
        QCOMPARE(batchRecordCount(length), count);
    }

    void tornLastRecord()
    {
        // Two whole records and 300 bytes of a third: the third counts and
        // reads as far as it goes, its URL cut where the file ends.
        QByteArray bytes = encodeBatchRecord({"One", "First", "http://a/1.jpg"}) +
                           encodeBatchRecord({"Two", "Second", "http://a/2.jpg"});
        const QByteArray third = encodeBatchRecord({"Three", "Third", "http://a/3.jpg"});
        bytes += third.left(300);
        const QString file = path("torn.rlt");
        writeBytes(file, bytes);

        const auto all = readBatchRecords(file);
        QCOMPARE(int(all.size()), 3);
        QCOMPARE(all[2].artist, QStringLiteral("Three"));
        QCOMPARE(all[2].url, QStringLiteral("http://a/3.jpg"));
        const auto one = readBatchRecord(file, 3);
        QVERIFY(one);
        QCOMPARE(one->album, QStringLiteral("Third"));

        // A stub shorter than half a record is not a record.
        writeBytes(file, bytes.left(710 + 40));
        QCOMPARE(int(readBatchRecords(file).size()), 2);
        QVERIFY(!readBatchRecord(file, 3));
    }

    void hitKeys_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("key");

        QTest::newRow("first") << qint64(1) << "/music/A/B"
                               << "0001/music/A/B\\BrinsellArtistAlbum";
        QTest::newRow("twelfth") << qint64(12) << "/music/A/B"
                                 << "0012/music/A/B\\BrinsellArtistAlbum";
        QTest::newRow("past 9999") << qint64(10000) << "/music/A/B"
                                   << "10000/music/A/B\\BrinsellArtistAlbum";
        QTest::newRow("folder starting with digits") << qint64(3) << "2024 rips/B"
                                                     << "00032024 rips/B\\BrinsellArtistAlbum";
    }

    void hitKeys()
    {
        QFETCH(qint64, number);
        QFETCH(QString, folder);
        QFETCH(QString, key);
        const QString made =
            hitNodeKey(number, folder, "\\Brinsell", QStringLiteral(" Artist "), "Album  ");
        QCOMPARE(made, key);
        QCOMPARE(hitRecordNumber(made, folder), number);
    }

    void id3v1Fields_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<bool>("tagged");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("album");

        QTest::newRow("NUL padded")
            << makeId3v1Tag("T", "Artist A", "Album B") << true << "Artist A"
            << "Album B";
        QByteArray blanks = makeId3v1Tag("T", "", "");
        blanks.replace(33, 30, QByteArray("  Spaced Artist").leftJustified(30, ' '));
        blanks.replace(63, 30, QByteArray(30, ' '));
        QTest::newRow("blank padded, empty album") << blanks << true << "Spaced Artist"
                                                   << "";
        QByteArray garbage = makeId3v1Tag("T", "", "");
        garbage.replace(33, 30, QByteArray("Name\0junk after the NUL", 23).leftJustified(30, 'q'));
        QTest::newRow("text after the first NUL ignored") << garbage << true << "Name"
                                                          << "";
        QTest::newRow("Windows-1252 bytes")
            << makeId3v1Tag("T", QStringLiteral("Mötley"), QStringLiteral("Dr. Feelgood")) << true
            << QStringLiteral("Mötley") << "Dr. Feelgood";
        QByteArray lower = makeId3v1Tag("T", "A", "B");
        lower.replace(0, 3, "tag");
        QTest::newRow("marker is exact case") << lower << false << ""
                                              << "";
        QTest::newRow("too short") << QByteArray("TAG") << false << ""
                                   << "";
    }

    void id3v1Fields()
    {
        QFETCH(QByteArray, tag);
        QFETCH(bool, tagged);
        QFETCH(QString, artist);
        QFETCH(QString, album);
        const auto parsed = parseId3v1Tag(tag);
        QCOMPARE(bool(parsed), tagged);
        if (parsed) {
            QCOMPARE(parsed->artist, artist);
            QCOMPARE(parsed->album, album);
        }
    }

    void id3v1FromFiles()
    {
        const QString tagged = path("tagged.mp3");
        writeBytes(tagged, QByteArray(1000, 'x') + makeId3v1Tag("T", "Artist", "Album"));
        QCOMPARE(readId3v1Tag(tagged)->album, QStringLiteral("Album"));

        // Exactly a tag and nothing else is still a tag.
        const QString bare = path("bare.mp3");
        writeBytes(bare, makeId3v1Tag("T", "Only", "Tag"));
        QCOMPARE(readId3v1Tag(bare)->artist, QStringLiteral("Only"));

        const QString shortFile = path("short.mp3");
        writeBytes(shortFile, QByteArray("TAG") + QByteArray(100, 'a'));
        QVERIFY(!readId3v1Tag(shortFile));
        QVERIFY(!readId3v1Tag(path("absent.mp3")));
        QVERIFY(!readId3v1Tag(m_dir.path())); // a folder is not a file
    }

    void audioNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("audio");
        QTest::newRow("mp3") << "01.mp3" << true;
        QTest::newRow("mixed case") << "SONG.Mp3" << true;
        QTest::newRow("ape") << "x.APE" << true;
        QTest::newRow("ogg") << "x.ogg" << true;
        QTest::newRow("wm9 ends in a digit") << "x.wm9" << true;
        QTest::newRow("wma is not") << "x.wma" << false;
        QTest::newRow("double extension") << "song.mp3.txt" << false;
        QTest::newRow("no dot") << "xmp3" << false;
        QTest::newRow("bare extension") << ".mp3" << true;
        QTest::newRow("too short") << "mp3" << false;
    }

    void audioNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, audio);
        QCOMPARE(isTaggableAudioName(name.toStdString()), audio);
    }

    void sampleCollectionKeepsWhatExists()
    {
        const QString cd = path("demo/cd");
        const QString dvd = path("demo/dvd");
        const SampleCollectionReport first = makeDemoCollection(cd, dvd);
        QVERIFY(first.ok());
        QCOMPARE(first.filesCreated, 10 * 3 + 5);

        const QString track = cd + "/Marlow & Keys/Second Floor/01 - Track.mp3";
        const auto tag = readId3v1Tag(track);
        QVERIFY(tag);
        QCOMPARE(tag->artist, QStringLiteral("Marlow & Keys"));
        QCOMPARE(tag->album, QStringLiteral("Second Floor"));

        // A user's own file in its place is neither replaced nor deleted.
        writeBytes(track, "mine");
        const SampleCollectionReport second = makeDemoCollection(cd, dvd);
        QVERIFY(second.ok());
        QCOMPARE(second.filesCreated, 0);
        QCOMPARE(fileBytes(track), QByteArray("mine"));

        // A file where a folder should be is reported, not removed.
        writeBytes(path("demo/blocked"), "x");
        const SampleCollectionReport blocked = makeDemoCollection(path("demo/blocked"), {});
        QVERIFY(!blocked.ok());
        QCOMPARE(fileBytes(path("demo/blocked")), QByteArray("x"));
    }

    void generatedCollection()
    {
        const QString cd = path("gen/cd");
        const SampleCollectionReport report =
            makeGeneratedCollection(cd, path("gen/dvd"), 12, 2, 3);
        QVERIFY(report.ok());
        QCOMPARE(report.filesCreated, 12 * 2 + 3);
        QCOMPARE(QDir(cd).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
        QCOMPARE(readId3v1Tag(cd + "/Artist 0002/Album 00012/02 - Track.mp3")->album,
                 QStringLiteral("Album 00012"));
    }
};

QTEST_GUILESS_MAIN(TestBatchFiles)
#include "tst_batchfiles.moc"
