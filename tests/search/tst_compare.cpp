#include "base/messagebox.h"
#include "recordingmessagebox.h"
#include "search/picturecompare.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::writePicture;

class tst_Compare : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void kbytes_data();
    void kbytes();
    void sizeTextOfMissingFile();
    void recommendation_data();
    void recommendation();

    void tickCount_data();
    void tickCount();
    void ticksOfEarlierPage_data();
    void ticksOfEarlierPage();
    void downloadsBothPictures();
    void failedDownloadNamesThePicture_data();
    void failedDownloadNamesThePicture();
    void savesComparedPicture();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_app;
    QTemporaryDir m_work;
};

void tst_Compare::initTestCase()
{
    QVERIFY(m_config.isValid() && m_app.isValid() && m_work.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    qputenv("JACKETEER_APPDIR", m_app.path().toLocal8Bit());
}

void tst_Compare::kbytes_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("half rounds to even 0") << qint64(512) << "0 Kbytes";
    QTest::newRow("over a half") << qint64(513) << "1 Kbytes";
    QTest::newRow("one and a half rounds to 2") << qint64(1536) << "2 Kbytes";
    QTest::newRow("two and a half rounds to 2") << qint64(2560) << "2 Kbytes";
    QTest::newRow("37,900 bytes") << qint64(37900) << "37 Kbytes";
    QTest::newRow("large") << qint64(5) * 1024 * 1024 * 1024 + 1536 << "5242882 Kbytes";
}

void tst_Compare::kbytes()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(kbytesText(bytes), text);
}

void tst_Compare::sizeTextOfMissingFile()
{
    QCOMPARE(fileSizeText(m_work.path() + "/nothing.jpg"), "N/A");
    // A folder of that name is no picture file either.
    QCOMPARE(fileSizeText(m_work.path()), "N/A");
    QFile f(m_work.path() + "/sized.bin");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1536, 'x'));
    f.close();
    QCOMPARE(fileSizeText(f.fileName()), "2 Kbytes");
}

void tst_Compare::recommendation_data()
{
    QTest::addColumn<QSize>("one");
    QTest::addColumn<qint64>("s1");
    QTest::addColumn<QSize>("two");
    QTest::addColumn<qint64>("s2"); // -1: size unreadable
    QTest::addColumn<bool>("recOne");
    QTest::addColumn<bool>("recTwo");
    QTest::newRow("one larger") << QSize(500, 500) << 37LL << QSize(300, 300) << 90LL << true
                                << false;
    QTest::newRow("two larger") << QSize(300, 300) << 90LL << QSize(500, 500) << 37LL << false
                                << true;
    QTest::newRow("one wider but shorter wins as Picture One")
        << QSize(500, 400) << 1LL << QSize(400, 500) << 2LL << true << false;
    QTest::newRow("two wider but shorter loses as Picture Two")
        << QSize(400, 500) << 1LL << QSize(500, 400) << 2LL << true << false;
    QTest::newRow("one taller only")
        << QSize(300, 301) << 1LL << QSize(300, 300) << 9LL << true << false;
    QTest::newRow("two wider only")
        << QSize(300, 300) << 9LL << QSize(301, 300) << 1LL << false << true;
    QTest::newRow("equal size, one bigger file")
        << QSize(500, 500) << 40LL << QSize(500, 500) << 39LL << true << false;
    QTest::newRow("equal size, two bigger file")
        << QSize(500, 500) << 39LL << QSize(500, 500) << 40LL << false << true;
    QTest::newRow("equal everything")
        << QSize(500, 500) << 40LL << QSize(500, 500) << 40LL << true << true;
    QTest::newRow("unreadable size loses")
        << QSize(500, 500) << -1LL << QSize(500, 500) << 0LL << false << true;
    QTest::newRow("both unreadable") << QSize(0, 0) << -1LL << QSize(0, 0) << -1LL << true << true;
}

void tst_Compare::recommendation()
{
    QFETCH(QSize, one);
    QFETCH(qint64, s1);
    QFETCH(QSize, two);
    QFETCH(qint64, s2);
    QFETCH(bool, recOne);
    QFETCH(bool, recTwo);
    auto opt = [](qint64 s) { return s < 0 ? std::nullopt : std::optional<qint64>(s); };
    const Recommendation r = recommend(one, opt(s1), two, opt(s2));
    QCOMPARE(r.one, recOne);
    QCOMPARE(r.two, recTwo);
}

void tst_Compare::tickCount_data()
{
    QTest::addColumn<QList<bool>>("ticks");
    QTest::addColumn<int>("hitCount");
    QTest::addColumn<QString>("message");
    QTest::newRow("three") << QList<bool>{true, true, false, true} << 4
                           << "You can only compare two pictures at a time.";
    QTest::newRow("one") << QList<bool>{false, true, false} << 3
                         << "You must select 2 images to view.";
    QTest::newRow("none") << QList<bool>{} << 3 << "You must select 2 images to view.";
    QTest::newRow("ticks beyond the hits do not count")
        << QList<bool>{true, false, true} << 2 << "You must select 2 images to view.";
}

void tst_Compare::tickCount()
{
    QFETCH(QList<bool>, ticks);
    QFETCH(int, hitCount);
    QFETCH(QString, message);
    RecordingMessageBox box;
    bool downloaded = false;
    bool prepared = false;
    const TwoHitSetup s = prepareTwoHitCompare(
        ticks, hitCount,
        [](int n) {
            return std::optional<ComparedHit>(ComparedHit{n, {}, {}, {}});
        },
        [&](const QString &, const QString &) {
            downloaded = true;
            return 0;
        },
        box, m_app.path(), [&] { prepared = true; });
    QVERIFY(!s.ready);
    QVERIFY(!downloaded);
    QVERIFY(!prepared);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, message);
    QCOMPARE(box.shown[0].title, "Error");
    QCOMPARE(int(box.shown[0].icon), int(MsgIcon::Exclamation));
    QCOMPARE(int(box.shown[0].buttons), int(MsgButtons::OkOnly));
}

void tst_Compare::ticksOfEarlierPage_data()
{
    QTest::addColumn<QList<bool>>("ticks");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<bool>("matches");
    const QStringList current{"0001http://img/1.jpg", "0002http://img/2.jpg",
                              "0003http://img/3.jpg"};
    QTest::newRow("current page") << QList<bool>{true, false, true} << current << true;
    QTest::newRow("nothing ticked on an old page")
        << QList<bool>{false, false} << QStringList{"0001http://old/a.jpg", "0002http://old/b.jpg"}
        << true;
    QTest::newRow("old page, other pictures under the same numbers")
        << QList<bool>{true, true} << QStringList{"0001http://old/a.jpg", "0002http://old/b.jpg"}
        << false;
    QTest::newRow("one ticked hit of another picture")
        << QList<bool>{true, false, true}
        << QStringList{"0001http://img/1.jpg", "0002http://img/2.jpg", "0003http://old/c.jpg"}
        << false;
    QTest::newRow("old page with more hits than the lists")
        << QList<bool>{false, false, true, true}
        << QStringList{"0001http://img/1.jpg", "0002http://img/2.jpg", "0003http://img/3.jpg",
                       "0004http://img/4.jpg"}
        << false;
    QTest::newRow("link numbers another hit")
        << QList<bool>{true, true} << QStringList{"0002http://img/1.jpg", "0002http://img/2.jpg"}
        << false;
    QTest::newRow("form without a link")
        << QList<bool>{true, true} << QStringList{"", current[1]} << false;
    QTest::newRow("fewer links than forms")
        << QList<bool>{true, true} << QStringList{current[0]} << false;
}

void tst_Compare::ticksOfEarlierPage()
{
    QFETCH(QList<bool>, ticks);
    QFETCH(QStringList, links);
    QFETCH(bool, matches);
    SearchResults results;
    for (int n = 1; n <= 3; ++n)
        results.add(QStringLiteral("Artist %1").arg(n), QStringLiteral("Album %1").arg(n),
                    QStringLiteral("http://img/%1.jpg").arg(n));
    QCOMPARE(ticksMatchResults(ticks, links, lookupIn(results)), matches);
}

void tst_Compare::downloadsBothPictures()
{
    SearchResults results;
    for (int n = 1; n <= 5; ++n)
        results.add(QStringLiteral("Artist %1").arg(n), QStringLiteral("Album %1").arg(n),
                    QStringLiteral("http://img/%1.jpg").arg(n));
    const QString big = writePicture(m_work.path() + "/big.jpg", 500, 500);
    const QString small = writePicture(m_work.path() + "/small.jpg", 300, 300);
    const QString one = QDir(m_app.path()).filePath("compare1.jpg");
    const QString two = QDir(m_app.path()).filePath("compare2.jpg");
    QFile::remove(one);
    QVERIFY(QFile::copy(small, one)); // left from an earlier compare
    RecordingMessageBox box;
    QStringList urls;
    bool oldGoneBeforeDownloads = false;
    const TwoHitSetup s = prepareTwoHitCompare(
        {false, true, false, true, false}, results.count(), lookupIn(results),
        [&](const QString &url, const QString &path) {
            urls.append(url);
            return QFile::copy(url.endsWith("2.jpg") ? big : small, path) ? 0 : 1;
        },
        box, m_app.path(),
        [&] { oldGoneBeforeDownloads = !QFile::exists(one) && !QFile::exists(two); });
    QVERIFY(s.ready);
    QVERIFY(box.shown.isEmpty());
    QVERIFY(oldGoneBeforeDownloads);
    QCOMPARE(urls, (QStringList{"http://img/2.jpg", "http://img/4.jpg"}));
    QCOMPARE(s.hits[0].number, 2);
    QCOMPARE(s.hits[0].artist, "Artist 2");
    QCOMPARE(s.hits[1].number, 4);
    QCOMPARE(s.hits[1].album, "Album 4");
    QCOMPARE(QImage(one).size(), QSize(500, 500));
    QCOMPARE(QImage(two).size(), QSize(300, 300));
    QVERIFY(!lookupIn(results)(6));
}

void tst_Compare::failedDownloadNamesThePicture_data()
{
    QTest::addColumn<int>("failing");  // which download fails: 1 or 2
    QTest::addColumn<QSize>("served"); // what it delivers: nothing, a page (0x0) or a picture
    QTest::newRow("first") << 1 << QSize();
    QTest::newRow("second") << 2 << QSize();
    QTest::newRow("second is an error page") << 2 << QSize(0, 0);
    QTest::newRow("second is the 1x1 placeholder") << 2 << QSize(1, 1);
}

void tst_Compare::failedDownloadNamesThePicture()
{
    QFETCH(int, failing);
    QFETCH(QSize, served);
    const QString pic = writePicture(m_work.path() + "/p.jpg", 50, 50);
    RecordingMessageBox box;
    int calls = 0;
    const TwoHitSetup s = prepareTwoHitCompare(
        {true, true}, 2,
        [](int n) {
            return std::optional<ComparedHit>(ComparedHit{n, {}, {}, "http://x"});
        },
        [&](const QString &, const QString &path) {
            // The answer is ignored: only the file counts.
            if (++calls != failing) {
                QFile::copy(pic, path);
                return 1;
            }
            if (served.isEmpty() && served.isValid()) {
                QFile page(path);
                if (page.open(QIODevice::WriteOnly))
                    page.write("<html><body>Server error</body></html>");
            } else if (served.isValid()) {
                writePicture(path, served.width(), served.height());
            }
            return 0;
        },
        box, m_app.path());
    QVERIFY(!s.ready);
    QCOMPARE(calls, failing);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, QStringLiteral("Unable to download picture %1").arg(failing));
    QCOMPARE(box.shown[0].title, "Picture Compare Error");
    QCOMPARE(int(box.shown[0].icon), int(MsgIcon::None));
    QVERIFY(!QFile::exists(QDir(m_app.path()).filePath("compare2.jpg")));
}

void tst_Compare::savesComparedPicture()
{
    const QString folder = m_work.path() + "/Hollow Pines - Winter Ledger";
    QVERIFY(QDir().mkpath(folder));
    writePicture(QDir(m_app.path()).filePath("compare1.jpg"), 500, 500, Qt::red);
    writePicture(QDir(m_app.path()).filePath("compare2.jpg"), 300, 300, Qt::blue);
    // An existing picture of that name is replaced without a question.
    const QString existing = folder + "/Kite Theory - Paper- Satellites.jpg";
    writePicture(existing, 10, 10);

    const ComparedHit hit{7, "Kite Theory", "Paper: Satellites", "http://x"};
    ComparedSave saved = saveComparedPicture(1, hit, "@artist@ - @album@", folder, m_app.path());
    QVERIFY(saved.ok);
    QCOMPARE(saved.target, existing);
    QCOMPARE(QImage(existing).size(), QSize(300, 300));

    // Picture One under another template lands beside it.
    saved = saveComparedPicture(0, hit, "@album@", folder, m_app.path());
    QVERIFY(saved.ok);
    QCOMPARE(QImage(folder + "/Paper- Satellites.jpg").size(), QSize(500, 500));

    saved = saveComparedPicture(0, hit, "@artist@", m_work.path() + "/gone", m_app.path());
    QVERIFY(!saved.ok);
    QCOMPARE(saved.error, "Please choose the folder to save the Cover Art into in the Quick Save "
                          "folder list.");

    // A picture that is gone cannot be saved, and says why.
    QFile::remove(QDir(m_app.path()).filePath("compare2.jpg"));
    saved = saveComparedPicture(1, hit, "@artist@ - @album@", folder, m_app.path());
    QVERIFY(!saved.ok);
    QVERIFY(!saved.error.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Compare)
#include "tst_compare.moc"
