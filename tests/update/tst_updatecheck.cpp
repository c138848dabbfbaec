#include "update/updatecheck.h"

#include <QTest>

#include <optional>

namespace
{

QString page(const QString &body)
{
    return QStringLiteral("<html><head><title>v</title></head><body>%1</body></html>").arg(body);
}

} // namespace

// How the version is read from the update information page; the whole check
// runs against the simulator in tst_updatesim.
class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void versionFromPage_data();
    void versionFromPage();
};

void tst_UpdateCheck::versionFromPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("version"); // "<none>" when no usable version
    // clang-format off
    QTest::newRow("plain") << page("3.1") << "3.1";
    QTest::newRow("dash and blanks") << page(" 3.1 -Y") << "3.1";
    QTest::newRow("several dashes") << page("3.1-beta-2") << "3.1";
    QTest::newRow("line breaks") << page("\r\n3.2\r\n") << "3.2";
    QTest::newRow("first body markers") << "<body>4.0</body><body>5.0</body>" << "4.0";
    QTest::newRow("no closing marker") << "<html><body>3.1</html>" << "<none>";
    QTest::newRow("closing marker first") << "</body>3.1<body>" << "<none>";
    QTest::newRow("closing marker before and after") << "</body><body>3.1</body>" << "<none>";
    QTest::newRow("no opening marker") << "3.1</body>" << "<none>";
    QTest::newRow("markers in other case") << "<BODY>3.1</BODY>" << "<none>";
    QTest::newRow("body with attributes") << "<body bgcolor=white>3.1</body>" << "<none>";
    QTest::newRow("empty body") << page("") << "<none>";
    QTest::newRow("only a dash") << page(" - 3.1") << "<none>";
    QTest::newRow("separator") << page("../../bin/sh") << "<none>";
    QTest::newRow("empty file") << "" << "<none>";
    // clang-format on
}

void tst_UpdateCheck::versionFromPage()
{
    QFETCH(QString, page);
    QFETCH(QString, version);
    const std::optional<QString> got = UpdateCheck::versionFromPage(page);
    QCOMPARE(got.value_or(QStringLiteral("<none>")), version);
}

QTEST_GUILESS_MAIN(tst_UpdateCheck)
#include "tst_updatecheck.moc"
