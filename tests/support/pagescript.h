#pragma once

#include <QElapsedTimer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>

// Runs a script in a page of the results view (not the page's own world) and
// waits up to 5 s for its value; an invalid value when none came.
inline QVariant runScript(QWebEnginePage *page, const QString &script)
{
    auto answer = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [answer](const QVariant &v) {
        *answer = {true, v};
    });
    QElapsedTimer t;
    t.start();
    while (!answer->first && t.elapsed() < 5000)
        QTest::qWait(10);
    return answer->second;
}
