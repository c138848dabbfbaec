// Quick Save's links, its own messages, and the ticks of a results page.
#include "base/messagebox.h"
#include "recordingmessagebox.h"
#include "search/quicksave.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_QuickSave : public QObject
{
    Q_OBJECT

private slots:
    void linkParsing_data()
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
        row("ten thousandth keeps its address", "10000http://a/b.jpg", true, 10000,
            "http://a/b.jpg");
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

    void linkParsing()
    {
        QFETCH(QString, target);
        QFETCH(int, number);
        QFETCH(QString, address);
        QTEST(isQuickSaveClick(target), "quickSave");
        const std::optional<QuickSaveLink> link = parseQuickSaveLink(target);
        QCOMPARE(link.has_value(), number != 0);
        if (link) {
            QCOMPARE(link->hitNumber, number);
            QCOMPARE(link->address, address);
        }
    }

    void resolveAgainstResults_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("artist");
        QTest::newRow("first hit") << "0001http://h/a.jpg" << true << "Metallica";
        QTest::newRow("second hit, escaped blank")
            << "0002http://h/b c.jpg" << true << "Neon Parade";
        QTest::newRow("dot segments resolved by the view")
            << "0003http://h/y/c.jpg" << true << "Sofia Anders";
        QTest::newRow("number past the lists") << "0004http://h/a.jpg" << false << "";
        QTest::newRow("number zero") << "0000http://h/a.jpg" << false << "";
        QTest::newRow("earlier search's picture under that number")
            << "0001http://h/old.jpg" << false << "";
        QTest::newRow("no number") << "/x" << false << "";
    }

    void resolveAgainstResults()
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

    void ticksOfEarlierPage_data()
    {
        QTest::addColumn<QList<bool>>("ticks");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<bool>("matches");
        const QStringList current{"0001http://img/1.jpg", "0002http://img/2.jpg",
                                  "0003http://img/3.jpg"};
        QTest::newRow("current page") << QList<bool>{true, false, true} << current << true;
        QTest::newRow("nothing ticked on an old page")
            << QList<bool>{false, false}
            << QStringList{"0001http://old/a.jpg", "0002http://old/b.jpg"} << true;
        QTest::newRow("old page, other pictures under the same numbers")
            << QList<bool>{true, true}
            << QStringList{"0001http://old/a.jpg", "0002http://old/b.jpg"} << false;
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
            << QList<bool>{true, true}
            << QStringList{"0002http://img/1.jpg", "0002http://img/2.jpg"} << false;
        QTest::newRow("form without a link")
            << QList<bool>{true, true} << QStringList{"", current[1]} << false;
        QTest::newRow("fewer links than forms")
            << QList<bool>{true, true} << QStringList{current[0]} << false;
    }

    void ticksOfEarlierPage()
    {
        QFETCH(QList<bool>, ticks);
        QFETCH(QStringList, links);
        SearchResults results;
        for (int n = 1; n <= 3; ++n)
            results.add(QString("Artist %1").arg(n), QString("Album %1").arg(n),
                        QString("http://img/%1.jpg").arg(n));
        QTEST(ticksMatchResults(ticks, links, lookupIn(results)), "matches");
    }

    // What Quick Save says itself; the save by hand is tst_coverfile's.
    void quickSaveMessages_data()
    {
        QTest::addColumn<QString>("setup"); // "", "subfolder" (in the picture's place), "gone"
        QTest::addColumn<QSize>("served");  // see TestFiles::writeServed
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // title, "|", text
        QTest::addColumn<int>("icon");
        const auto row = [](const char *name, const char *setup, QSize served, int status,
                            const char *message, MsgIcon icon) {
            QTest::newRow(name) << setup << served << status << message << int(icon);
        };
        row("1x1 placeholder", "", QSize(1, 1), 0,
            "Download Error|Cover Art not downloaded.  Empty .jpg detected", MsgIcon::Information);
        row("download failed, said once", "", QSize(9, 9), 404,
            "Download Error|Download of file was unseccessful.  Please make sure you on connected "
            "to the internet and try again",
            MsgIcon::Exclamation);
        row("name taken by a folder", "subfolder", QSize(9, 9), 0,
            "Save Error|Cover Art could not be saved as @/folder.jpg", MsgIcon::Exclamation);
        row("folder gone", "gone", QSize(9, 9), 0,
            "Quick Save|Please choose the folder to save the Cover Art into in the Quick Save "
            "folder list.",
            MsgIcon::Exclamation);
    }

    void quickSaveMessages()
    {
        QFETCH(QString, setup);
        QFETCH(QSize, served);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir work;
        QTemporaryDir app;
        const QString folder = work.filePath(setup == "gone" ? "gone" : "album");
        QVERIFY(setup == "gone" ||
                QDir().mkpath(setup == "subfolder" ? folder + "/folder.jpg/inner" : folder));
        RecordingMessageBox box;
        const CoverSaveResult r =
            runQuickSave({"http://img/a.jpg", "A", "B", "folder", folder, app.path()},
                         [&](const QString &, const QString &path) {
                             TestFiles::writeServed(path, served);
                             return status;
                         },
                         box, {});
        QVERIFY(!r.saved());
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].title, message.section('|', 0, 0));
        const QString text = message.section('|', 1).replace('@', folder);
        QVERIFY2(box.shown[0].text.startsWith(text), qPrintable(box.shown[0].text));
        QCOMPARE(box.shown[0].text == text, !message.contains('@')); // the reason follows
        QTEST(int(box.shown[0].icon), "icon");
    }
};

QTEST_GUILESS_MAIN(tst_QuickSave)
#include "tst_quicksave.moc"
