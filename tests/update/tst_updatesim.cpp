#include "app/appfolder.h"
#include "app/settingsstore.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"
#include "update/updatecheck.h"
#include "update/updatetexts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace UpdateTexts;

Q_DECLARE_METATYPE(UpdateOutcome)

// The update check as File, Auto Update runs it: the program's download call
// against the local simulator's update pages.
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
    QFile::remove(appFile(QStringLiteral("jacketeer3.1")));
    QFile::remove(appFile(kLocalCopy));
}

void tst_UpdateSim::check_data()
{
    QTest::addColumn<QString>("folder"); // the update page's folder on the simulator
    QTest::addColumn<bool>("installed"); // "jacketeer3.1" in the application folder
    QTest::addColumn<bool>("yes");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("copyLeft");

    QTest::newRow("current version")
        << "3.1" << true << true << UpdateOutcome::Current << kCurrent << false;
    QTest::newRow("current, version with suffix")
        << "%203.1%20-Y" << true << true << UpdateOutcome::Current << kCurrent << false;
    QTest::newRow("new version, yes")
        << "3.1" << false << true << UpdateOutcome::Opened << kNewVersion << false;
    QTest::newRow("new version, no")
        << "3.1" << false << false << UpdateOutcome::Declined << kNewVersion << true;
    QTest::newRow("page without closing marker")
        << "nobody" << true << true << UpdateOutcome::NoInformation << kNoInformation << false;
    QTest::newRow("closing marker first")
        << "reversed" << true << true << UpdateOutcome::NoInformation << kNoInformation << false;
    QTest::newRow("page missing") << "missing" << true << true << UpdateOutcome::NoInformation
                                  << kNoInformation << false;
    QTest::newRow("server error") << "error500" << true << true << UpdateOutcome::NoInformation
                                  << kNoInformation << false;
    QTest::newRow("connection dropped")
        << "drop" << true << true << UpdateOutcome::NoInformation << kNoInformation << false;
    QTest::newRow("no network") << "<offline>" << true << true << UpdateOutcome::NoInformation
                                << kNoInformation << false;
}

void tst_UpdateSim::check()
{
    QFETCH(QString, folder);
    QFETCH(bool, installed);
    QFETCH(bool, yes);
    QFETCH(UpdateOutcome, outcome);
    QFETCH(QString, message);
    QFETCH(bool, copyLeft);

    SettingsStore store;
    // Port 1 on the loopback refuses at once: the same as a machine without a network.
    store.writeSite(QStringLiteral("UpdateInfoUrl"),
                    folder == QLatin1String("<offline>")
                        ? QStringLiteral("http://127.0.0.1:1/update/3.1/version.html")
                        : m_sim.url(QStringLiteral("/update/%1/version.html").arg(folder)));
    store.sync();
    if (installed) {
        QFile program(appFile(QStringLiteral("jacketeer3.1")));
        QVERIFY(program.open(QIODevice::WriteOnly));
    }
    RecordingMessageBox box;
    box.answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
    setMessageBox(&box);
    QList<QUrl> opened;
    setUrlOpener([&opened](const QUrl &url) {
        opened << url;
        return true;
    });

    QCOMPARE(runAutoUpdate(), outcome);
    QCOMPARE(box.shown.size(), 1);
    QCOMPARE(box.shown[0].text, message);
    QCOMPARE(box.shown[0].title, kTitle);
    QCOMPARE(QFile::exists(appFile(kLocalCopy)), copyLeft);
    if (outcome == UpdateOutcome::Opened)
        QCOMPARE(opened, QList<QUrl>{QUrl(m_sim.url(QStringLiteral("/download.html")))});
    else
        QVERIFY(opened.isEmpty());
    if (copyLeft) {
        QFile copy(appFile(kLocalCopy));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(UpdateCheck::versionFromPage(QString::fromUtf8(copy.readAll())),
                 std::optional<QString>(QStringLiteral("3.1")));
    }
}

QTEST_GUILESS_MAIN(tst_UpdateSim)
#include "tst_updatesim.moc"
