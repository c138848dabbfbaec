#include "base/appfolder.h"
#include "base/settings.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"
#include "testfiles.h"
#include "testfolders.h"
#include "update/updatecheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <optional>

// How the version is read from the update information page, and File, Auto
// Update as the menu runs it: the program's download call against the
// simulator's update pages, the message box and the opener replaced.
class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        Settings store;
        m_sim.configureSites(store);
    }

    void versionFromPage_data()
    {
        TestFiles::addTableRows("update-pages.tsv", {"page", "version"});
    }

    void versionFromPage()
    {
        QFETCH(QString, page);
        const std::optional<QString> got = UpdateCheck::versionFromPage(page);
        QTEST(got.value_or(QStringLiteral("<none>")), "version");
    }

    void cleanup()
    {
        setUrlOpener({});
        setMessageBox(nullptr);
        QDir(appFolder()).removeRecursively();
        QDir().mkpath(appFolder());
    }

    void check_data()
    {
        TestFiles::addTableRows("update-checks.tsv",
                                {"folder", "present", "answer", "outcome", "copyLeft"});
    }

    void check()
    {
        QFETCH(QString, folder);
        QFETCH(QString, present);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        folder.replace("@VERSION@", JACKETEER_PROJECT_VERSION);

        Settings store;
        // Port 1 on the loopback refuses at once, as a machine without a network does.
        store.setText(Keys::UpdateInfoUrl,
                      folder == QLatin1String("<offline>")
                          ? QStringLiteral("http://127.0.0.1:1/update/3.1/version.html")
                          : m_sim.url(QStringLiteral("/update/%1/version.html").arg(folder)));
        store.sync();
        // A folder ends in "/".
        QVERIFY(TestFiles::writeFile(appFile(present)) || QFileInfo(appFile(present)).isDir());
        // A copy left by an earlier check answered No must never pass for a fresh answer.
        QVERIFY(TestFiles::writeFile(appFile("version.jkv"), "<body>3.1</body>"));

        RecordingMessageBox box;
        box.answers = {answer == "yes" ? MsgAnswer::Yes : MsgAnswer::No};
        setMessageBox(&box);
        QList<QUrl> opened;
        qsizetype askedBeforeOpening = -1;
        setUrlOpener([&](const QUrl &url) {
            askedBeforeOpening = box.shown.size();
            opened << url;
            return true;
        });

        const QStringList outcomes{"NoInformation", "Current", "Declined", "Opened"};
        QCOMPARE(outcomes.value(int(runAutoUpdate())), outcome);
        QCOMPARE(box.shown.size(), 1);
        const RecordingMessageBox::Shown &shown = box.shown[0];
        QCOMPARE(shown.title, QStringLiteral("Auto Update"));
        const bool current = outcome == "Current";
        const bool none = outcome == "NoInformation";
        QCOMPARE(shown.text, current ? "Your version is the most current version availiable"
                             : none
                                 ? "Unable to retrieve update information.  Please try again later."
                                 : "A new version of Jacketeer is availiable.  Would you like to "
                                   "download it now?");
        QCOMPARE(shown.buttons, current || none ? MsgButtons::OkOnly : MsgButtons::YesNo);
        QCOMPARE(shown.icon, current ? MsgIcon::Information
                             : none  ? MsgIcon::None
                                     : MsgIcon::Question);
        QTEST(QVariant(QFile::exists(appFile("version.jkv"))).toString(), "copyLeft");
        const QList<QUrl> expectedOpen{QUrl(m_sim.url(QStringLiteral("/download.html")))};
        QCOMPARE(opened, outcome == "Opened" ? expectedOpen : QList<QUrl>{});
        if (!opened.isEmpty())
            QCOMPARE(askedBeforeOpening, 1);
    }

private:
    TestFolders m_folders;
    SimulatorProcess m_sim;
};

QTEST_GUILESS_MAIN(tst_UpdateCheck)
#include "tst_updatecheck.moc"
