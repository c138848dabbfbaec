#include "app/websearchview.h"
#include "guitestmain.h"
#include "pagescript.h"
#include "testfiles.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

// A page of tests/data/view.
QString page(const QString &name)
{
    return TestFiles::testData("view/" + name);
}

} // namespace

class tst_WebSearchView : public QObject
{
    Q_OBJECT
private slots:
    void relativeLinkReachesHookAsWritten()
    {
        WebSearchView view;
        view.resize(400, 300);
        view.show();
        QStringList targets;
        view.setBeforeNavigate([&](const QString &target, bool &cancel) {
            targets << target;
            cancel = target.startsWith("0001");
        });
        view.Navigate2(page("link.html"));
        QVERIFY(view.waitForLoad());
        // The program's own navigations reach the hook too.
        QCOMPARE(targets.size(), 1);
        QCOMPARE(QUrl(targets.first()).toLocalFile(), page("link.html"));

        // Follow the link as a click would.
        runScript(view.page(), "document.getElementById('q').click()");
        QTRY_COMPARE(targets.size(), 2);
        QCOMPARE(targets.last(), QString("0001http://127.0.0.1:9/pics/large one.jpg"));
        // Cancelled: the results page is still the one shown.
        QTest::qWait(200);
        QCOMPARE(view.url().toLocalFile(), page("link.html"));
    }

    void pageScriptDoesNotRunAndTicksAreRead()
    {
        // Hit texts come from retailer pages unescaped; none of their script may run.
        WebSearchView view;
        view.Navigate2(page("script.html"));
        QVERIFY(view.waitForLoad());
        QTest::qWait(200);
        QCOMPARE(runScript(view.page(), "document.getElementById('a').textContent").toString(),
                 QString("untouched"));

        view.Navigate2(page("forms.html"));
        QVERIFY(view.waitForLoad());
        QCOMPARE(view.formChecks("C1"), (QList<bool>{true, false, false, true}));
    }

    void onlyKnownPlacesAreAllowed_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("allowed");
        for (QStringList r : TestFiles::table("view-places.tsv"))
            QTest::newRow(qPrintable(r[0]))
                << r[1].replace("@VIEW@", QUrl::fromLocalFile(page("")).toString()) << r[2];
    }

    void onlyKnownPlacesAreAllowed()
    {
        QFETCH(QString, url);
        WebSearchView view;
        view.Navigate2(page("one.html"));
        QTEST(QVariant(view.isAllowed(QUrl(url))).toString(), "allowed");
    }

    void backWithoutHistoryDoesNothing()
    {
        WebSearchView view;
        view.GoBack();
        view.Navigate2(page("one.html"));
        QVERIFY(view.waitForLoad());
        view.Navigate2(page("two.html"));
        QVERIFY(view.waitForLoad());
        QCOMPARE(view.url().toLocalFile(), page("two.html"));
        QSignalSpy loaded(&view, &WebSearchView::loadFinished);
        view.GoBack();
        QVERIFY(loaded.wait(5000));
        QCOMPARE(view.url().toLocalFile(), page("one.html"));
    }

    void writtenTargetKeepsPageEscapes_data()
    {
        TestFiles::addTableRows("view-targets.tsv", {"resolved", "written"});
    }

    void writtenTargetKeepsPageEscapes()
    {
        QFETCH(QString, resolved);
        WebSearchView view;
        view.Navigate2(page("one.html"));
        const QString folder = QUrl::fromLocalFile(page("")).toString(QUrl::FullyEncoded);
        QTEST(view.writtenTarget(QUrl(folder + resolved, QUrl::StrictMode)), "written");
        // Anything outside the results folder comes back untouched.
        QCOMPARE(view.writtenTarget(QUrl("http://h/x.jpg")), QString("http://h/x.jpg"));
    }
};

JACKETEER_GUI_TEST_MAIN(tst_WebSearchView)
#include "tst_websearchview.moc"
