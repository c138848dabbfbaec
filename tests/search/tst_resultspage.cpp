#include "search/resultspagewriter.h"
#include "search/searchresults.h"
#include "search/vantoryparser.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

PageHit hit(RetailerSite site, const QString &large, const QString &thumb, const QString &title,
            const QString &artist)
{
    PageHit h;
    h.site = site;
    h.largeUrl = large;
    h.thumbnailUrl = thumb;
    h.pictureMarkup = pictureMarkup(large, thumb);
    h.title = title;
    h.artist = artist;
    return h;
}

// One block written out line by line, independently of the writer's own
// constants.
QByteArray expectedBlock(const QByteArray &number, const QByteArray &large, const QByteArray &thumb,
                         const QByteArray &genre, const QByteArray &artist, const QByteArray &album,
                         bool brinsell)
{
    const QList<QByteArray> lines = {
        R"(<table border="1" width="428" height="82">)",
        R"(<tr>)",
        R"(<td width="20" height="90" rowspan="2" valign="middle" align="center">)",
        R"(<form method="; POST; " action=" - -WEBBOT - SELF - -">)",
        R"(<p>&nbsp;</p>)",
        R"(<p><input type="checkbox" name="C1" value="ON"></p>)",
        R"(</form>)",
        R"(<p>&nbsp;</p></td>)",
        R"(<td width="65" height="65" valign="middle" align="center"><a href=")" + large +
            R"("><img border="0" src=")" + thumb + R"(" width="60" height="60"></a></td>)",
        R"(<td width="91" height="40" align="center"><font color="#800000"><b>Genre</b></font></td>)",
        R"(<td width="120" height="40" align="center"><font color="#800000"><b>Artist</b></font></td>)",
        R"(<td width="124" height="40" align="center"><font color="#800000"><b>Album/Info</b></font></td>)",
        R"(<td width="91" height="40" align="center"><font color="#800000"><b>Site</b></font></td>)",
        R"(</tr>)",
        R"(<tr>)",
        R"(<td width="65" height="20" align="center"><a href=")" + number + large +
            R"(">Quick Save</a></td>)",
        R"(<td width="91" height="50" align="center">)" + genre + "</td>",
        R"(<td width="120" height="50" align="center">)" + artist + "</td>",
        R"(<td width="124" height="50" align="center">)" + album + "</td>",
        brinsell ? QByteArray(R"(<td width="124" height="50" align="center">Brinsell</td>)")
                 : QByteArray(R"(<td width="91" height="50" align="center">Vantory</td>)"),
        R"(</tr>)",
        R"(</table>)",
    };
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace

class ResultsPageTest : public QObject
{
    Q_OBJECT
private slots:
    void hitNumberText_data();
    void hitNumberText();
    void pageWithRowsFromBothSites();
    void keyedListsFollowHitOrder();
};

void ResultsPageTest::hitNumberText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 1 << "0001";
    QTest::newRow("four digits") << 9999 << "9999";
    QTest::newRow("five digits") << 10000 << "10000";
}

void ResultsPageTest::hitNumberText()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(ResultsPageWriter::hitNumberText(number), text);
}

void ResultsPageTest::pageWithRowsFromBothSites()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.html"));
    SearchResults results;
    ResultsPageWriter writer(results);
    QVERIFY(writer.open(path));
    writer.writeRow(hit(RetailerSite::Vantory, "http://v/a_500X500.jpg", "http://v/a_60X60.gif",
                        "Black", "Metallica"),
                    QStringLiteral("R&&B/Soul"));
    // Texts go in unchanged, markup and non-ASCII included (UTF-8 on disk).
    writer.writeRow(hit(RetailerSite::Brinsell, "http://b/large_images/x.jpg",
                        "http://b/prod_images/x.gif", QString::fromUtf8("Vårljus & <b>"),
                        QString::fromUtf8("Åsa <script>")),
                    QStringLiteral("N/A"));
    QVERIFY(writer.finish());

    const QByteArray expected =
        "<html> <head> <title>New Page 1</title> </head> <body>\r\n" +
        expectedBlock("0001", "http://v/a_500X500.jpg", "http://v/a_60X60.gif", "R&&B/Soul",
                      "Metallica", "Black", false) +
        expectedBlock("0002", "http://b/large_images/x.jpg", "http://b/prod_images/x.gif", "N/A",
                      "\xc3\x85sa <script>", "V\xc3\xa5rljus & <b>", true) +
        "</body> </html>\r\n";
    QCOMPARE(TestFiles::readFile(path), expected);
}

void ResultsPageTest::keyedListsFollowHitOrder()
{
    QTemporaryDir dir;
    SearchResults results;
    ResultsPageWriter writer(results);
    QVERIFY(writer.open(dir.filePath(QStringLiteral("results.html"))));
    QCOMPARE(results.nextNumber(), 1);
    for (int i = 1; i <= 12; ++i)
        writer.writeRow(hit(RetailerSite::Vantory, QStringLiteral("L%1").arg(i),
                            QStringLiteral("T%1").arg(i), QStringLiteral("Album %1").arg(i),
                            QStringLiteral("Artist %1").arg(i)),
                        QStringLiteral("Rock"));
    QVERIFY(writer.finish());
    QCOMPARE(results.count(), 12);
    QCOMPARE(results.nextNumber(), 13);
    QCOMPARE(results.artist(12), QStringLiteral("Artist 12"));
    QCOMPARE(results.album(1), QStringLiteral("Album 1"));
    QCOMPARE(results.picture(7), QStringLiteral("L7"));
    QVERIFY(TestFiles::readFile(dir.filePath(QStringLiteral("results.html")))
                .contains("<a href=\"0012L12\">Quick Save</a>"));
    // Numbers outside the lists (a link of an older page) give nothing.
    QVERIFY(!results.contains(0));
    QVERIFY(!results.contains(13));
    QCOMPARE(results.picture(13), QString());
    results.clear();
    QCOMPARE(results.nextNumber(), 1);
    QVERIFY(!results.contains(1));
}

QTEST_APPLESS_MAIN(ResultsPageTest)
#include "tst_resultspage.moc"
