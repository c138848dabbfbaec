#include "base/messagebox.h"
#include "recordingmessagebox.h"
#include "base/fileops.h"
#include "search/quicksave.h"
#include "search/searchresults.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::readFile;
using TestFiles::writePicture;

class tst_QuickSave : public QObject
{
    Q_OBJECT

private slots:
    void linkParsing_data();
    void linkParsing();
    void resolveAgainstResults_data();
    void resolveAgainstResults();
    void quickSave_data();
    void quickSave();
};

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

void tst_QuickSave::quickSave_data()
{
    QTest::addColumn<QString>("setup"); // what the folder holds: "", "picture", "subfolder", "gone"
    QTest::addColumn<QSize>("served");  // empty: an error page
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<int>>("answers"); // replace question, then compare: 1 keeps
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message"); // "": none; else title, "|", text
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("left"); // what folder.jpg holds afterwards: new, old or none

    const QString downloadFailed =
        "Download Error|Download of file was unseccessful.  Please make sure you on connected to "
        "the internet and try again";
    const QString replace = "Replace Cover Art?|Cover Art already exists in this folder.  Do you "
                            "want to compare the Cover Art before replacing?";
    const int yes = int(MsgAnswer::Yes);
    const int no = int(MsgAnswer::No);
    using O = QuickSaveOutcome;
    const auto row = [](const char *name, const char *setup, QSize served, int status,
                        QList<int> answers, O outcome, const QString &message, MsgIcon icon,
                        const char *left) {
        QTest::newRow(name) << setup << served << status << answers << int(outcome) << message
                            << int(icon) << left;
    };
    const QSize big(500, 500);
    row("new picture", "", big, 0, {}, O::Saved, "", MsgIcon::None, "new");
    row("download failed", "", big, 404, {}, O::DownloadFailed, downloadFailed,
        MsgIcon::Exclamation, "none");
    row("error page instead of picture", "", QSize(), 0, {}, O::DownloadFailed, downloadFailed,
        MsgIcon::Exclamation, "none");
    row("1x1 placeholder", "", QSize(1, 1), 0, {}, O::EmptyPicture,
        "Download Error|Cover Art not downloaded.  Empty .jpg detected", MsgIcon::Information,
        "none");
    row("No replaces at once", "picture", big, 0, {no}, O::Replaced, replace, MsgIcon::Question,
        "new");
    row("Yes, new picture chosen", "picture", big, 0, {yes, 0}, O::Replaced, replace,
        MsgIcon::Question, "new");
    row("Yes, existing kept", "picture", big, 0, {yes, 1}, O::KeptExisting, replace,
        MsgIcon::Question, "old");
    // Said, not passed off as a save.
    row("name taken by a folder", "subfolder", big, 0, {}, O::SaveFailed,
        "Save Error|Cover Art could not be saved as @/folder.jpg", MsgIcon::Exclamation, "none");
    row("folder gone", "gone", big, 0, {}, O::NoFolder,
        "Quick Save|Please choose the folder to save the Cover Art into in the Quick Save folder "
        "list.",
        MsgIcon::Exclamation, "none");
}

void tst_QuickSave::quickSave()
{
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
    const QString target = folder + "/folder.jpg";
    const QByteArray oldBytes =
        setup == "picture" ? readFile(writePicture(target, 300, 300, Qt::blue)) : QByteArray();
    if (setup == "subfolder")
        QVERIFY(QDir().mkpath(target + "/inner"));
    const QString newPicture = writePicture(work.filePath("served.jpg"), 500, 500, Qt::green);

    QStringList requested;
    const DownloadFunction download = [&](const QString &url, const QString &path) {
        requested.append(url);
        if (served == QSize(500, 500)) {
            QFile::copy(newPicture, path);
        } else if (served.isValid()) {
            writePicture(path, served.width(), served.height());
        } else {
            QFile page(path);
            if (page.open(QIODevice::WriteOnly))
                page.write("<html>Not found</html>");
        }
        return status;
    };
    RecordingMessageBox box;
    if (!answers.isEmpty())
        box.answers = {MsgAnswer(answers[0])};
    QStringList compared;
    QByteArray existingCopy;
    const auto compareFirst = [&](const QString &existing, const QString &candidate) {
        compared << existing << candidate;
        existingCopy = readFile(existing);
        return answers.value(1) == 1;
    };
    const QuickSaveJob job{
        "http://img/Black.jpg", "Metallica", "Black", "folder", folder, app.path()};
    const QuickSaveResult r = runQuickSave(job, download, box, compareFirst);

    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(requested, setup == "gone" ? QStringList{} : QStringList{"http://img/Black.jpg"});
    QCOMPARE(box.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        const QString text = message.section('|', 1).replace('@', folder);
        QCOMPARE(box.shown[0].title, message.section('|', 0, 0));
        QVERIFY2(box.shown[0].text.startsWith(text), qPrintable(box.shown[0].text));
        QCOMPARE(int(box.shown[0].icon), icon);
    }
    if (answers.value(0) == int(MsgAnswer::Yes)) {
        QCOMPARE(compared,
                 (QStringList{app.filePath("compare1.jpg"), app.filePath("compare2.jpg")}));
        QCOMPARE(existingCopy, oldBytes);
    } else {
        QVERIFY(compared.isEmpty());
    }
    const QByteArray expected = left == "new"   ? readFile(newPicture)
                                : left == "old" ? oldBytes
                                                : QByteArray();
    QCOMPARE(FileOps::isRegularFile(target) ? readFile(target) : QByteArray(), expected);
    // The scratch copy stays for a later compare, unless it was refused.
    QCOMPARE(QFile::exists(app.filePath("compare2.jpg")),
             left != "none" || r.outcome == QuickSaveOutcome::SaveFailed);
    if (left != "none")
        QVERIFY(QFileInfo(target).permissions() & QFileDevice::WriteOwner);
}

QTEST_GUILESS_MAIN(tst_QuickSave)
#include "tst_quicksave.moc"
