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

namespace
{
constexpr int kYes = int(MsgAnswer::Yes);
}

class tst_QuickSave : public QObject
{
    Q_OBJECT

private slots:
    void linkParsing_data()
    {
        TestFiles::addTableRows("tables/quicksave-links.txt",
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
        TestFiles::addTableRows("tables/quicksave-hits.txt", {"target", "artist"});
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
        TestFiles::addTableRows("tables/quicksave-ticks.txt", {"ticks", "links", "matches"});
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
        QTest::addColumn<bool>("compared"); // saveComparedPicture of "compare2.jpg"
        // What the folder holds: "", "picture", "subfolder" (in the picture's
        // place), or "gone" (no folder).
        QTest::addColumn<QString>("setup");
        // Sent (see TestFiles::writeServed); in "compare2.jpg" when compared.
        QTest::addColumn<QSize>("served");
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("answers"); // replace question, then compare: 1 keeps
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message"); // "": none; else title, "|", text
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("left"); // what the picture is afterwards: new, old or none

        const QString downloadFailed = "Download Error|Download of file was unseccessful.  Please "
                                       "make sure you on connected to the internet and try again";
        const QString replace = "Replace Cover Art?|Cover Art already exists in this folder.  Do "
                                "you want to compare the Cover Art before replacing?";
        const QString noFolder =
            "Please choose the folder to save the Cover Art into in the Quick Save folder list.";
        const int no = int(MsgAnswer::No);
        using O = CoverSaveOutcome;
        const auto row = [](const char *name, bool compared, const char *setup, QSize served,
                            int status, QList<int> answers, O outcome, const QString &message,
                            MsgIcon icon, const char *left) {
            QTest::newRow(name) << compared << setup << served << status << answers << int(outcome)
                                << message << int(icon) << left;
        };
        const MsgIcon none = MsgIcon::None, ask = MsgIcon::Question, warn = MsgIcon::Exclamation;
        const QSize big(500, 500);
        // clang-format off
        row("new picture", false, "", big, 0, {}, O::Saved, "", none, "new");
        row("download failed", false, "", big, 404, {}, O::DownloadFailed, downloadFailed, warn, "none");
        row("error page instead of picture", false, "", QSize(0, 0), 0, {}, O::DownloadFailed, downloadFailed, warn, "none");
        row("1x1 placeholder", false, "", QSize(1, 1), 0, {}, O::EmptyPicture,
            "Download Error|Cover Art not downloaded.  Empty .jpg detected", MsgIcon::Information,
            "none");
        row("No replaces at once", false, "picture", big, 0, {no}, O::Replaced, replace, ask, "new");
        row("Yes, new picture chosen", false, "picture", big, 0, {kYes, 0}, O::Replaced, replace, ask, "new");
        row("Yes, existing kept", false, "picture", big, 0, {kYes, 1}, O::KeptExisting, replace, ask, "old");
        row("name taken by a folder", false, "subfolder", big, 0, {}, O::SaveFailed,
            "Save Error|Cover Art could not be saved as @/Metallica - Black.jpg", warn, "none");
        row("folder gone", false, "gone", big, 0, {}, O::NoFolder, "Quick Save|" + noFolder, warn, "none");
        // The compare window's choice is made: no question.
        row("compared picture replaces", true, "picture", big, 0, {}, O::Replaced, "", none, "new");
        row("compared picture gone", true, "", QSize(), 0, {}, O::SaveFailed,
            "Save Error|Cover Art could not be saved as @/Metallica - Black.jpg", warn, "none");
        row("compared, folder gone", true, "gone", big, 0, {}, O::NoFolder, "Save Error|" + noFolder, warn, "none");
        // clang-format on
    }

    void saveByHand()
    {
        QFETCH(bool, compared);
        QFETCH(QString, setup);
        QFETCH(QSize, served);
        QFETCH(int, status);
        QFETCH(QList<int>, answers);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(QString, left);

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
            TestFiles::writeServed(scratch, served);
        const QByteArray comparedBytes = readFile(scratch);

        QStringList requested;
        QByteArray servedBytes = comparedBytes;
        const DownloadFunction download = [&](const QString &url, const QString &path) {
            requested.append(url);
            TestFiles::writeServed(path, served);
            servedBytes = readFile(path);
            return status;
        };
        RecordingMessageBox box;
        if (!answers.isEmpty())
            box.answers = {MsgAnswer(answers[0])};
        QStringList hooked;
        QByteArray existingCopy;
        const auto compareFirst = [&](const QString &existing, const QString &candidate) {
            hooked << existing << candidate;
            existingCopy = readFile(existing);
            return answers.value(1) == 1;
        };
        const QString templ = "@artist@ - @album@";
        const CoverSaveResult r =
            compared ? saveComparedPicture(1, {4, "Metallica", "Black", "http://x"}, templ, folder,
                                           app.path(), box)
                     : runQuickSave({"http://img/Black.jpg", "Metallica", "Black", templ, folder,
                                     app.path()},
                                    download, box, compareFirst);

        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.target, setup == "gone" ? QString() : target);
        QCOMPARE(requested,
                 compared || setup == "gone" ? QStringList{} : QStringList{"http://img/Black.jpg"});
        QCOMPARE(box.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const QString text = message.section('|', 1).replace('@', folder);
            QCOMPARE(box.shown[0].title, message.section('|', 0, 0));
            if (message.contains('@')) // the reason follows the file name
                QVERIFY2(box.shown[0].text.startsWith(text + "\n\n"),
                         qPrintable(box.shown[0].text));
            else
                QCOMPARE(box.shown[0].text, text);
            QCOMPARE(int(box.shown[0].icon), icon);
        }
        const bool asked = answers.value(0) == kYes;
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
        QCOMPARE(readFile(scratch), r.outcome == CoverSaveOutcome::DownloadFailed ||
                                            r.outcome == CoverSaveOutcome::EmptyPicture
                                        ? QByteArray()
                                        : servedBytes);
    }
};

QTEST_GUILESS_MAIN(tst_QuickSave)
#include "tst_quicksave.moc"
