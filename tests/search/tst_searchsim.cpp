// Whole searches against the local retailer simulator, through the real page
// fetcher: the results page must match the expected files byte for byte.

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
    void redirectedVantoryPageIsSkipped();
    void awkwardPages_data();
    void awkwardPages();

private:
    SearchOutcome run(const SearchCriteria &criteria, SearchState &state,
                      QStringList *statuses = nullptr);

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

// A whole search through the real fetcher, written to the usual results page.
SearchOutcome SearchSimTest::run(const SearchCriteria &criteria, SearchState &state,
                                 QStringList *statuses)
{
    PageFetcher fetcher;
    SearchIo io;
    io.pages = &fetcher;
    if (statuses)
        io.status = [statuses](const QString &s) { statuses->append(s); };
    return runSearch(criteria, m_sites, state, io, appFile(QStringLiteral("results.html")));
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
    const SearchOutcome out = run(criteria, state, &seen);
    const QString path = appFile(QStringLiteral("results.html"));

    QVERIFY(out.pageWritten);
    QCOMPARE(seen, statuses);
    QByteArray expected = readFile(QFINDTESTDATA(QStringLiteral("data/") + expectedFile));
    expected.replace("@HOST@", m_sim.hostPort().toLatin1());
    const QByteArray actual = readFile(path);
    if (actual != expected) {
        QFile dump(QDir::temp().filePath(expectedFile));
        if (dump.open(QIODevice::WriteOnly))
            dump.write(QByteArray(actual).replace(m_sim.hostPort().toLatin1(), "@HOST@"));
        QFAIL(qPrintable(QStringLiteral("results page differs; actual written to ") +
                         dump.fileName()));
    }
    QCOMPARE(state.results.count(), out.total);
}

void SearchSimTest::redirectedVantoryPageIsSkipped()
{
    // The simulator moves "simredirect" searches to an address without the
    // category: that page lists every category's matches and must be skipped.
    for (const auto &[text, hits] :
         {std::pair{"Metallica simredirect", 0}, std::pair{"Metallica simredirectkeep", 4}}) {
        SearchCriteria criteria;
        criteria.text = QString::fromLatin1(text);
        criteria.vantory = true;
        criteria.genres[0] = true;
        SearchState state;
        QCOMPARE(run(criteria, state).total, hits);
    }
}

void SearchSimTest::awkwardPages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("brinsell");
    QTest::addColumn<QStringList>("larges"); // large picture paths, in hit order
    // Thumbnails in single quotes or none run on to the next double quote.
    QTest::newRow("vantory quoting styles")
        << "simquotes" << false
        << QStringList{"/images/V/syn1_500X500.jpg' width=60...",
                       "/images/V/syn2_500X500.jpg width=60...", "/images/V/syn3_500X500.jpg"};
    // An address without its closing quote is no address.
    QTest::newRow("vantory page ends inside an address")
        << "simendurl" << false << QStringList{"/images/V/syn4_500X500.jpg", ""};
    QTest::newRow("brinsell page ends inside an address")
        << "simendurl" << true << QStringList{"/db_assets/large_images/syn4.jpg", ""};
    QTest::newRow("dropped connection") << "Metallica simdrop" << true << QStringList{};
    QTest::newRow("server error") << "Metallica simerror500" << true << QStringList{};
}

void SearchSimTest::awkwardPages()
{
    QFETCH(QString, text);
    QFETCH(bool, brinsell);
    QFETCH(QStringList, larges);
    SearchCriteria criteria;
    criteria.text = text;
    criteria.vantory = !brinsell;
    criteria.brinsell = brinsell;
    criteria.genres[0] = true;
    SearchState state;
    const SearchOutcome out = run(criteria, state);
    QStringList actual;
    for (int n = 1; n <= state.results.count(); ++n) {
        QString large = state.results.picture(n);
        large.remove(QStringLiteral("http://") + m_sim.hostPort());
        actual.append(large);
    }
    QCOMPARE(out.total, larges.size());
    QCOMPARE(actual.size(), larges.size());
    for (int i = 0; i < larges.size(); ++i) {
        // "..." at the end: the address runs on into the markup after it.
        if (larges.at(i).endsWith(QLatin1String("...")))
            QVERIFY2(actual.at(i).startsWith(larges.at(i).chopped(3)) &&
                         actual.at(i).size() > larges.at(i).size(),
                     qPrintable(actual.at(i)));
        else
            QCOMPARE(actual.at(i), larges.at(i));
    }
}

QTEST_GUILESS_MAIN(SearchSimTest)
#include "tst_searchsim.moc"
