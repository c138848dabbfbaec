#include "base/appfolder.h"
#include "base/settingsstore.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"
#include "update/updatecheck.h"
#include "update/updatetexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace UpdateTexts;

Q_DECLARE_METATYPE(UpdateOutcome)

// File, Auto Update as the menu runs it: the program's download call against
// the simulator's update pages, the message box and the opener replaced.
class tst_UpdateSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void check_data();
    void check();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_app;
    SimulatorProcess m_sim;
};

void tst_UpdateSim::initTestCase()
{
    QVERIFY(m_config.isValid() && m_app.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", m_app.path().toUtf8());
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    SettingsStore store;
    m_sim.configureSites(store);
}

void tst_UpdateSim::cleanup()
{
    setUrlOpener({});
    setMessageBox(nullptr);
    QDir(m_app.path()).removeRecursively();
    QDir().mkpath(m_app.path());
}

void tst_UpdateSim::check_data()
{
    QTest::addColumn<QString>("folder"); // the update page's folder on the simulator
    QTest::addColumn<QString>(
        "present"); // a file ("/" at the end: folder) in the application folder
    QTest::addColumn<bool>("yes");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<bool>("copyLeft");
    const auto current = UpdateOutcome::Current;
    const auto none = UpdateOutcome::NoInformation;
    // clang-format off
    QTest::newRow("current version") << "3.1" << "jacketeer3.1" << true << current << false;
    QTest::newRow("current, version with suffix") << "%203.1%20-Y" << "jacketeer3.1" << true << current << false;
    QTest::newRow("new version, yes") << "3.1" << "jacketeer3.0" << true << UpdateOutcome::Opened << false;
    QTest::newRow("new version, no") << "3.1" << "jacketeer3.0" << false << UpdateOutcome::Declined << true;
    // The program file on Linux has no ".exe"; a Windows name or a folder does not count.
    QTest::newRow("windows program file") << "3.1" << "jacketeer3.1.exe" << false << UpdateOutcome::Declined << true;
    QTest::newRow("folder of that name") << "3.1" << "jacketeer3.1/" << false << UpdateOutcome::Declined << true;
    QTest::newRow("page without closing marker") << "nobody" << "jacketeer3.1" << true << none << false;
    QTest::newRow("closing marker first") << "reversed" << "jacketeer3.1" << true << none << false;
    QTest::newRow("page missing") << "missing" << "jacketeer3.1" << true << none << false;
    QTest::newRow("server error") << "error500" << "jacketeer3.1" << true << none << false;
    QTest::newRow("connection dropped") << "drop" << "jacketeer3.1" << true << none << false;
    QTest::newRow("no network") << "<offline>" << "jacketeer3.1" << true << none << false;
    // clang-format on
}

void tst_UpdateSim::check()
{
    QFETCH(QString, folder);
    QFETCH(QString, present);
    QFETCH(bool, yes);
    QFETCH(UpdateOutcome, outcome);
    QFETCH(bool, copyLeft);

    SettingsStore store;
    // Port 1 on the loopback refuses at once, as a machine without a network does.
    store.writeSite(QStringLiteral("UpdateInfoUrl"),
                    folder == QLatin1String("<offline>")
                        ? QStringLiteral("http://127.0.0.1:1/update/3.1/version.html")
                        : m_sim.url(QStringLiteral("/update/%1/version.html").arg(folder)));
    store.sync();
    if (present.endsWith(QLatin1Char('/'))) {
        QVERIFY(QDir(appFolder()).mkpath(present));
    } else {
        QFile program(appFile(present));
        QVERIFY(program.open(QIODevice::WriteOnly));
    }
    // A copy left by an earlier check answered No must never pass for a fresh answer.
    QFile stale(appFile(kLocalCopy));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("<body>3.1</body>");
    stale.close();

    RecordingMessageBox box;
    box.answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
    setMessageBox(&box);
    QList<QUrl> opened;
    qsizetype askedBeforeOpening = -1;
    setUrlOpener([&](const QUrl &url) {
        askedBeforeOpening = box.shown.size();
        opened << url;
        return true;
    });

    QCOMPARE(runAutoUpdate(), outcome);
    QCOMPARE(box.shown.size(), 1);
    const RecordingMessageBox::Shown &shown = box.shown[0];
    QCOMPARE(shown.title, QStringLiteral("Auto Update"));
    switch (outcome) {
    case UpdateOutcome::Current:
        QCOMPARE(shown.text, QStringLiteral("Your version is the most current version availiable"));
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::Information);
        break;
    case UpdateOutcome::NoInformation:
        QCOMPARE(shown.text, QStringLiteral("Unable to retrieve update information.  Please try "
                                            "again later."));
        QCOMPARE(shown.buttons, MsgButtons::OkOnly);
        QCOMPARE(shown.icon, MsgIcon::None);
        break;
    default:
        QCOMPARE(shown.text, QStringLiteral("A new version of Jacketeer is availiable.  Would you "
                                            "like to download it now?"));
        QCOMPARE(shown.buttons, MsgButtons::YesNo);
        QCOMPARE(shown.icon, MsgIcon::Question);
    }
    QCOMPARE(QFile::exists(appFile(QStringLiteral("version.jkv"))), copyLeft);
    const QList<QUrl> expectedOpen{QUrl(m_sim.url(QStringLiteral("/download.html")))};
    QCOMPARE(opened, outcome == UpdateOutcome::Opened ? expectedOpen : QList<QUrl>{});
    if (!opened.isEmpty())
        QCOMPARE(askedBeforeOpening, 1);
}

QTEST_GUILESS_MAIN(tst_UpdateSim)
#include "tst_updatesim.moc"
