// Whole searches against the local retailer simulator, through the real page
// fetcher: the results page must match the expected files byte for byte. The
// parsers' and the fetcher's own cases (quoting, cut pages, redirects, failed
// loads) are tested where they live.

#include "base/appfolder.h"
#include "base/pagefetcher.h"
#include "base/settingsstore.h"
#include "search/searchdriver.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::readFile;

class SearchSimTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void searches_data();
    void searches();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_app;
    SimulatorProcess m_sim;
    SiteEndpoints m_sites;
};

void SearchSimTest::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("JACKETEER_APPDIR", m_app.path().toUtf8());
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
    SettingsStore store;
    m_sim.configureSites(store);
    m_sites = readSiteEndpoints(store);
}

void SearchSimTest::searches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("dvd");
    QTest::addColumn<QList<int>>("genres");
    QTest::addColumn<QString>("expectedFile");
    QTest::addColumn<QStringList>("statuses");
    // Rock and Classical on Vantory, then Brinsell in both layouts.
    QTest::newRow("music over two genres and Brinsell")
        << "Metallica" << false << QList<int>{0, 12} << "metallica_music.html"
        << QStringList{"Searching...", "Searching Rock...", "Searching Classical...",
                       "Searching Brinsell...", "Results Found: 10"};
    QTest::newRow("DVD on both sites")
        << " Harbour Lights " << true << QList<int>{0} << "harbour_dvd.html"
        << QStringList{"Searching...", "Searching Brinsell...", "Results Found: 4"};
    QTest::newRow("nothing found") << "Nonexistent Band" << false << QList<int>{0} << "empty.html"
                                   << QStringList{"Searching...", "Searching Rock...",
                                                  "Searching Brinsell...", "Results Found: 0"};
}

void SearchSimTest::searches()
{
    QFETCH(QString, text);
    QFETCH(bool, dvd);
    QFETCH(QList<int>, genres);
    QFETCH(QString, expectedFile);
    QFETCH(QStringList, statuses);

    SearchCriteria criteria;
    criteria.text = text;
    criteria.type = dvd ? SearchType::DVD : SearchType::Music;
    criteria.vantory = true;
    criteria.brinsell = true;
    for (int g : genres)
        criteria.genres[std::size_t(g)] = true;

    SearchState state;
    QStringList seen;
    PageFetcher fetcher;
    SearchIo io;
    io.pages = &fetcher;
    io.status = [&seen](const QString &s) { seen.append(s); };
    const QString path = appFile("results.html");
    const SearchOutcome out = runSearch(criteria, m_sites, state, io, path);

    QVERIFY(out.pageWritten);
    QCOMPARE(seen, statuses);
    QByteArray expected = readFile(QFINDTESTDATA("data/" + expectedFile));
    expected.replace("@HOST@", m_sim.hostPort().toLatin1());
    const QByteArray actual = readFile(path);
    if (actual != expected) {
        QFile dump(QDir::temp().filePath(expectedFile));
        if (dump.open(QIODevice::WriteOnly))
            dump.write(QByteArray(actual).replace(m_sim.hostPort().toLatin1(), "@HOST@"));
        QFAIL(qPrintable("results page differs; actual written to " + dump.fileName()));
    }
    QCOMPARE(state.results.count(), out.total);
}

QTEST_GUILESS_MAIN(SearchSimTest)
#include "tst_searchsim.moc"
