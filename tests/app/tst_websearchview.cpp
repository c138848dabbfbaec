#include "app/websearchview.h"
#include "guitestmain.h"
#include "pagescript.h"
#include "testfiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

class tst_WebSearchView : public QObject
{
    Q_OBJECT
private slots:
    void relativeLinkReachesHookAsWritten()
    {
        const QString page = writePage(
            "results.html",
            "<html><body><a id=q href=\"0001http://127.0.0.1:9/pics/large one.jpg\">Quick Save</a>"
            "</body></html>");
        WebSearchView view;
        view.resize(400, 300);
        view.show();
        QStringList targets;
        view.setBeforeNavigate([&](const QString &target, bool &cancel) {
            targets << target;
            cancel = target.startsWith("0001");
        });
        view.Navigate2(page);
        QVERIFY(view.waitForLoad());
        // The program's own navigations reach the hook too.
        QCOMPARE(targets.size(), 1);
        QCOMPARE(QUrl(targets.first()).toLocalFile(), page);

        // Follow the link as a click would.
        view.page()->runJavaScript("document.getElementById('q').click()",
                                   QWebEngineScript::ApplicationWorld);
        QTRY_COMPARE(targets.size(), 2);
        QCOMPARE(targets.last(), QString("0001http://127.0.0.1:9/pics/large one.jpg"));
        // Cancelled: the results page is still the one shown.
        QTest::qWait(200);
        QCOMPARE(view.url().toLocalFile(), page);
    }

    void pageScriptDoesNotRun()
    {
        // Hit texts come from retailer pages unescaped; none of their script may run.
        const QString page = writePage(
            "script.html", "<html><body><div id=a>untouched</div>"
                           "<script>document.getElementById('a').textContent='script ran';</script>"
                           "<img src=\"nowhere.gif\" "
                           "onerror=\"document.getElementById('a').textContent='onerror ran'\">"
                           "</body></html>");
        WebSearchView view;
        view.Navigate2(page);
        QVERIFY(view.waitForLoad());
        QTest::qWait(200);
        QCOMPARE(runScript(view.page(), "document.getElementById('a').textContent").toString(),
                 QString("untouched"));
    }

    void readsFormTicks()
    {
        const QString page =
            writePage("forms.html", "<html><body>"
                                    "<form><input type=checkbox name=C1 checked></form>"
                                    "<form><input type=checkbox name=C1></form>"
                                    "<form><input type=text name=other></form>"
                                    "<form><input type=checkbox name=C1 checked></form>"
                                    "</body></html>");
        WebSearchView view;
        view.Navigate2(page);
        QVERIFY(view.waitForLoad());
        QCOMPARE(view.formChecks("C1"), (QList<bool>{true, false, false, true}));
    }

    void onlyKnownPlacesAreAllowed_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("http") << "http://127.0.0.1/x.jpg" << true;
        QTest::newRow("https") << "https://example.invalid/" << true;
        QTest::newRow("blank") << "about:blank" << true;
        QTest::newRow("the results page") << "RESULTS" << true;
        QTest::newRow("another local file") << "file:///etc/passwd" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("data") << "data:text/html,<h1>made up</h1>" << false;
    }

    void onlyKnownPlacesAreAllowed()
    {
        QFETCH(QString, url);
        const QString page = writePage("results.html", "<html><body></body></html>");
        WebSearchView view;
        view.Navigate2(page);
        const QUrl target = url == "RESULTS" ? QUrl::fromLocalFile(page) : QUrl(url);
        QTEST(view.isAllowed(target), "allowed");
    }

    void backWithoutHistoryDoesNothing()
    {
        WebSearchView view;
        view.GoBack();
        const QString first = writePage("one.html", "<html><body>one</body></html>");
        const QString second = writePage("results.html", "<html><body>two</body></html>");
        view.Navigate2(first);
        QVERIFY(view.waitForLoad());
        view.Navigate2(second);
        QVERIFY(view.waitForLoad());
        QCOMPARE(view.url().toLocalFile(), second);
        QSignalSpy loaded(&view, &WebSearchView::loadFinished);
        view.GoBack();
        QVERIFY(loaded.wait(5000));
        QCOMPARE(view.url().toLocalFile(), first);
    }

    void writtenTargetKeepsPageEscapes_data()
    {
        // The link as the page wrote it, and how the engine hands it over once
        // resolved against the results page's folder.
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("blank") << "0001http://h/large%20one.jpg" << "0001http://h/large one.jpg";
        QTest::newRow("page's own escapes stay") << "0002http://h/p.jpg?q=a%26b%2Fc%25d" << "0002http://h/p.jpg?q=a%26b%2Fc%25d";
        QTest::newRow("non-ASCII") << "0003http://h/V%C3%A5rljus.jpg" << QString::fromUtf8("0003http://h/Vårljus.jpg");
        QTest::newRow("quote and brackets") << "0004http://h/%22a%3Cb%3E.jpg" << "0004http://h/\"a<b>.jpg";
        // clang-format on
    }

    void writtenTargetKeepsPageEscapes()
    {
        QFETCH(QString, resolved);
        const QString page = writePage("results.html", "<html><body></body></html>");
        WebSearchView view;
        view.Navigate2(page);
        const QString folder = QUrl::fromLocalFile(m_dir.path() + '/').toString(QUrl::FullyEncoded);
        QTEST(view.writtenTarget(QUrl(folder + resolved, QUrl::StrictMode)), "written");
        // Anything outside the results folder comes back untouched.
        QCOMPARE(view.writtenTarget(QUrl("http://h/x.jpg")), QString("http://h/x.jpg"));
    }

private:
    QString writePage(const QString &name, const QByteArray &html)
    {
        return TestFiles::writeFile(m_dir.filePath(name), html) ? m_dir.filePath(name) : QString();
    }
    QTemporaryDir m_dir;
};

JACKETEER_GUI_TEST_MAIN(tst_WebSearchView)
#include "tst_websearchview.moc"
