#include "recordingmessagebox.h"
#include "update/updatecheck.h"
#include "update/updatetexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace UpdateTexts;

Q_DECLARE_METATYPE(UpdateOutcome)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgAnswer)

namespace
{

const QString kInfoUrl = QStringLiteral("http://updates.example/author/version.html");
const QString kDownloadUrl = QStringLiteral("http://downloads.example/author/");

QString page(const QString &body)
{
    return QStringLiteral("<html><head><title>v</title></head><body>%1</body></html>").arg(body);
}

} // namespace

class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void versionFromPage_data();
    void versionFromPage();
    void run_data();
    void run();
    void staleCopyIsNotReadAsAnswer();
    void downloadGoesToLocalCopy();
};

void tst_UpdateCheck::versionFromPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("version"); // "<none>" when no usable version
    QTest::newRow("plain") << page("3.1") << "3.1";
    QTest::newRow("dash and blanks") << page(" 3.1 -Y") << "3.1";
    QTest::newRow("several dashes") << page("3.1-beta-2") << "3.1";
    QTest::newRow("line breaks") << page("\r\n3.2\r\n") << "3.2";
    QTest::newRow("first body markers") << "<body>4.0</body><body>5.0</body>"
                                        << "4.0";
    QTest::newRow("no closing marker") << "<html><body>3.1</html>"
                                       << "<none>";
    QTest::newRow("closing marker first") << "</body>3.1<body>"
                                          << "<none>";
    QTest::newRow("closing marker before and after") << "</body><body>3.1</body>"
                                                     << "<none>";
    QTest::newRow("no opening marker") << "3.1</body>"
                                       << "<none>";
    QTest::newRow("markers in other case") << "<BODY>3.1</BODY>"
                                           << "<none>";
    QTest::newRow("body with attributes") << "<body bgcolor=white>3.1</body>"
                                          << "<none>";
    QTest::newRow("empty body") << page("") << "<none>";
    QTest::newRow("only a dash") << page(" - 3.1") << "<none>";
    QTest::newRow("separator") << page("../../bin/sh") << "<none>";
    QTest::newRow("empty file") << ""
                                << "<none>";
}

void tst_UpdateCheck::versionFromPage()
{
    QFETCH(QString, page);
    QFETCH(QString, version);
    const std::optional<QString> got = UpdateCheck::versionFromPage(page);
    QCOMPARE(got.value_or(QStringLiteral("<none>")), version);
}

void tst_UpdateCheck::run_data()
{
    QTest::addColumn<QString>("served");      // "<fail>": the download leaves no file
    QTest::addColumn<QStringList>("present"); // files in the application folder
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<bool>("copyLeft");
    QTest::addColumn<bool>("opened");

    const QList<MsgAnswer> none;
    QTest::newRow("current version")
        << page("3.1") << QStringList{"jacketeer3.1"} << none << UpdateOutcome::Current << kCurrent
        << MsgButtons::OkOnly << MsgIcon::Information << false << false;
    QTest::newRow("current, version with suffix")
        << page(" 3.1 -Y") << QStringList{"jacketeer3.1"} << none << UpdateOutcome::Current
        << kCurrent << MsgButtons::OkOnly << MsgIcon::Information << false << false;
    QTest::newRow("new version, yes")
        << page("3.1") << QStringList{"jacketeer3.0"} << QList<MsgAnswer>{MsgAnswer::Yes}
        << UpdateOutcome::Opened << kNewVersion << MsgButtons::YesNo << MsgIcon::Question << false
        << true;
    QTest::newRow("new version, no")
        << page("3.1") << QStringList{"jacketeer3.0"} << QList<MsgAnswer>{MsgAnswer::No}
        << UpdateOutcome::Declined << kNewVersion << MsgButtons::YesNo << MsgIcon::Question << true
        << false;
    // The program file on Linux has no ".exe"; a Windows file name does not count.
    QTest::newRow("windows program file does not count")
        << page("3.1") << QStringList{"jacketeer3.1.exe"} << QList<MsgAnswer>{MsgAnswer::No}
        << UpdateOutcome::Declined << kNewVersion << MsgButtons::YesNo << MsgIcon::Question << true
        << false;
    QTest::newRow("folder of that name does not count")
        << page("3.1") << QStringList{"jacketeer3.1/"} << QList<MsgAnswer>{MsgAnswer::No}
        << UpdateOutcome::Declined << kNewVersion << MsgButtons::YesNo << MsgIcon::Question << true
        << false;
    QTest::newRow("no network") << "<fail>" << QStringList{"jacketeer3.1"} << none
                                << UpdateOutcome::NoInformation << kNoInformation
                                << MsgButtons::OkOnly << MsgIcon::None << false << false;
    QTest::newRow("page without closing marker")
        << "<html><body>3.1</html>" << QStringList{"jacketeer3.1"} << none
        << UpdateOutcome::NoInformation << kNoInformation << MsgButtons::OkOnly << MsgIcon::None
        << false << false;
    QTest::newRow("closing marker first")
        << "</body>3.1<body>" << QStringList{"jacketeer3.1"} << none << UpdateOutcome::NoInformation
        << kNoInformation << MsgButtons::OkOnly << MsgIcon::None << false << false;
    // An empty version would name the running program "jacketeer" itself.
    QTest::newRow("empty body with the program present")
        << page("") << QStringList{"jacketeer"} << none << UpdateOutcome::NoInformation
        << kNoInformation << MsgButtons::OkOnly << MsgIcon::None << false << false;
}

void tst_UpdateCheck::run()
{
    QFETCH(QString, served);
    QFETCH(QStringList, present);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(UpdateOutcome, outcome);
    QFETCH(QString, message);
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgIcon, icon);
    QFETCH(bool, copyLeft);
    QFETCH(bool, opened);

    QTemporaryDir app;
    for (const QString &name : present) {
        if (name.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir(app.path()).mkpath(name));
            continue;
        }
        QFile f(app.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString copy = app.filePath(kLocalCopy);

    RecordingMessageBox box;
    box.answers = answers;
    QList<QUrl> openedUrls;
    UpdateCheck check(
        [&](const QString &url, const QString &path) {
            if (url != kInfoUrl || served == QLatin1String("<fail>"))
                return 1;
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return 2;
            f.write(served.toUtf8());
            return 0;
        },
        box,
        [&](const QUrl &url) {
            // The question has been answered before the page opens.
            if (!box.shown.isEmpty())
                openedUrls << url;
            return true;
        });
    check.appFolder = app.path();
    check.updateInfoUrl = kInfoUrl;
    check.downloadPageUrl = kDownloadUrl;

    QCOMPARE(check.run(), outcome);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, message);
    QCOMPARE(box.shown[0].title, QStringLiteral("Auto Update"));
    QCOMPARE(box.shown[0].buttons, buttons);
    QCOMPARE(box.shown[0].icon, icon);
    QCOMPARE(QFile::exists(copy), copyLeft);
    QCOMPARE(openedUrls, opened ? QList<QUrl>{QUrl(kDownloadUrl)} : QList<QUrl>{});
}

void tst_UpdateCheck::staleCopyIsNotReadAsAnswer()
{
    QTemporaryDir app;
    const QString copy = app.filePath(kLocalCopy);
    {
        QFile f(copy);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(page("9.9").toUtf8()); // left by an earlier check answered No
    }
    RecordingMessageBox box;
    bool openerCalled = false;
    UpdateCheck check([](const QString &, const QString &) { return 1; }, box,
                      [&](const QUrl &) { return openerCalled = true; });
    check.appFolder = app.path();
    check.updateInfoUrl = kInfoUrl;
    QCOMPARE(check.run(), UpdateOutcome::NoInformation);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, kNoInformation);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(!openerCalled);
}

void tst_UpdateCheck::downloadGoesToLocalCopy()
{
    QTemporaryDir app;
    QString seenUrl;
    QString seenPath;
    bool existedDuringDownload = true;
    {
        QFile f(app.filePath(kLocalCopy));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    RecordingMessageBox box;
    UpdateCheck check(
        [&](const QString &url, const QString &path) {
            seenUrl = url;
            seenPath = path;
            existedDuringDownload = QFile::exists(path);
            return 1;
        },
        box, {});
    check.appFolder = app.path();
    check.updateInfoUrl = kInfoUrl;
    check.run();
    QCOMPARE(seenUrl, kInfoUrl);
    QCOMPARE(seenPath, app.filePath(QStringLiteral("version.jkv")));
    QVERIFY(!existedDuringDownload);
}

QTEST_GUILESS_MAIN(tst_UpdateCheck)
#include "tst_updatecheck.moc"
