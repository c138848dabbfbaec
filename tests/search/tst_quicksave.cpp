// Quick Save without windows: its links, the ticks of a results page, and
// the save by hand as Quick Save and the compare window run it.
#include "base/fileops.h"
#include "base/messagebox.h"
#include "cover/picturecompare.h"
#include "recordingmessagebox.h"
#include "search/quicksave.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::readFile;
using TestFiles::writePicture;

class tst_QuickSave : public QObject
{
    Q_OBJECT

private slots:
    void linkParsing_data()
    {
        TestFiles::addTableRows("quicksave-links.tsv",
                                {"target", "quickSave", "number", "address"});
    }

    void linkParsing()
    {
        QFETCH(QString, target);
        QFETCH(QString, number);
        QFETCH(QString, address);
        QTEST(QString(isQuickSaveClick(target) ? "yes" : "no"), "quickSave");
        const std::optional<QuickSaveLink> link = parseQuickSaveLink(target);
        QCOMPARE(link ? QString::number(link->hitNumber) + ' ' + link->address : "0 -",
                 number + ' ' + address);
    }

    void resolveAgainstResults_data()
    {
        TestFiles::addTableRows("quicksave-hits.tsv", {"target", "artist"});
    }

    void resolveAgainstResults()
    {
        QFETCH(QString, target);
        SearchResults results;
        results.add("Metallica", "Black", "http://h/a.jpg");
        results.add("Neon Parade", "Night Shift", "http://h/b%20c.jpg");
        results.add("Sofia Anders", "Glass Houses", "http://h/x/../y/./c.jpg");
        const QuickSaveHit hit = resolveQuickSaveLink(target, results);
        QTEST(hit.known ? hit.artist : "-", "artist");
        if (hit.known) {
            QCOMPARE(hit.album, results.album(hit.number));
            QCOMPARE(hit.address, results.picture(hit.number));
        }
    }

    void ticksOfEarlierPage_data()
    {
        TestFiles::addTableRows("quicksave-ticks.tsv", {"ticks", "links", "matches"});
    }

    void ticksOfEarlierPage()
    {
        QFETCH(QString, ticks);
        QFETCH(QString, links);
        SearchResults results;
        for (int n = 1; n <= 3; ++n)
            results.add("Artist", "Album", QString("http://img/%1.jpg").arg(n));
        QList<bool> ticked;
        for (const QString &t : ticks.split(' '))
            ticked << (t == "1");
        const bool matches = ticksMatchResults(
            ticked, links.split(' ').replaceInStrings(QRegularExpression("^-$"), ""),
            lookupIn(results));
        QTEST(QString(matches ? "yes" : "no"), "matches");
    }

    // The save by hand as Quick Save runs it (the batch's Download is
    // tst_frmbatch's), and as the compare window runs it for the picture the
    // user chose, each with its own messages.
    void saveByHand_data()
    {
        TestFiles::addTableRows(
            "quicksave-saves.tsv",
            {"by", "setup", "served", "status", "answers", "outcome", "message", "icon", "left"});
    }

    void saveByHand()
    {
        QFETCH(QString, by);
        QFETCH(QString, setup);
        QFETCH(QString, served);
        QFETCH(QString, status);
        QFETCH(QString, answers);
        QFETCH(QString, outcome);
        QFETCH(QString, message);
        QFETCH(QString, icon);
        QFETCH(QString, left);
        const bool compared = by == "compare";
        const QSize size = TestFiles::sizeOf(served);

        QTemporaryDir work;
        QTemporaryDir app;
        const QString folder = work.filePath(setup == "gone" ? "gone" : "album");
        QVERIFY(setup == "gone" || QDir().mkpath(folder));
        const QString target = folder + "/Metallica - Black.jpg";
        const QByteArray oldBytes =
            setup == "picture" ? readFile(writePicture(target, 300, 300, Qt::blue)) : QByteArray();
        if (setup == "subfolder")
            QVERIFY(QDir().mkpath(target + "/inner"));
        const QString scratch = app.filePath("compare2.jpg");
        if (compared)
            TestFiles::writeServed(scratch, size);
        const QByteArray comparedBytes = readFile(scratch);

        QStringList requested;
        QByteArray servedBytes = comparedBytes;
        const DownloadFunction download = [&](const QString &url, const QString &path) {
            requested.append(url);
            TestFiles::writeServed(path, size);
            servedBytes = readFile(path);
            return status.toInt();
        };
        RecordingMessageBox box;
        if (answers != "-")
            box.answers = {answers.startsWith("Yes") ? MsgAnswer::Yes : MsgAnswer::No};
        QStringList hooked;
        QByteArray existingCopy;
        const auto compareFirst = [&](const QString &existing, const QString &candidate) {
            hooked << existing << candidate;
            existingCopy = readFile(existing);
            return answers.endsWith("old");
        };
        const QString templ = "@artist@ - @album@";
        const CoverSaveResult r =
            compared ? saveComparedPicture(1, {4, "Metallica", "Black", "http://x"}, templ, folder,
                                           app.path(), box)
                     : runQuickSave({"http://img/Black.jpg", "Metallica", "Black", templ, folder,
                                     app.path()},
                                    download, box, compareFirst);

        // In the orders of CoverSaveOutcome and MsgIcon.
        const QStringList outcomes{"Saved",          "Replaced",     "KeptExisting", "NoFolder",
                                   "DownloadFailed", "EmptyPicture", "SaveFailed"};
        const QStringList icons{"None", "Critical", "Question", "Exclamation", "Information"};
        QCOMPARE(outcomes.value(int(r.outcome)), outcome);
        QCOMPARE(r.target, setup == "gone" ? QString() : target);
        QCOMPARE(requested,
                 compared || setup == "gone" ? QStringList{} : QStringList{"http://img/Black.jpg"});
        QCOMPARE(box.shown.size(), message == "-" ? 0 : 1);
        if (message != "-") {
            const QString text = message.section('|', 1).replace('@', folder);
            QCOMPARE(box.shown[0].title, message.section('|', 0, 0));
            if (message.contains('@')) // the reason follows the file name
                QVERIFY2(box.shown[0].text.startsWith(text + "\n\n"),
                         qPrintable(box.shown[0].text));
            else
                QCOMPARE(box.shown[0].text, text);
            QCOMPARE(icons.value(int(box.shown[0].icon)), icon);
        }
        const bool asked = answers.startsWith("Yes");
        const QStringList copies{app.filePath("compare1.jpg"), scratch};
        QCOMPARE(hooked, asked ? copies : QStringList());
        QCOMPARE(existingCopy, asked ? oldBytes : QByteArray());
        const QByteArray expected = left == "new"   ? servedBytes
                                    : left == "old" ? oldBytes
                                                    : QByteArray();
        QCOMPARE(FileOps::isRegularFile(target) ? readFile(target) : QByteArray(), expected);
        if (left != "none")
            QVERIFY(QFileInfo(target).permissions() & QFileDevice::WriteOwner);
        // A refused picture is gone; a saved one stays for a later compare.
        QCOMPARE(readFile(scratch), outcome.contains("Empty") || outcome.contains("Download")
                                        ? QByteArray()
                                        : servedBytes);
    }
};

QTEST_GUILESS_MAIN(tst_QuickSave)
#include "tst_quicksave.moc"
