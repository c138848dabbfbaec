#include "app/frmjacketeer.h"
#include "app/websearchview.h"
#include "base/settings.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

// Web engine helper processes started by this test program.
static int engineHelpers()
{
    int count = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        const qsizetype close = line.lastIndexOf(')');
        if (close > 0 && line.mid(line.indexOf('(') + 1).startsWith("QtWebEngine") &&
            line.mid(close + 2).split(' ').value(1).toInt() == int(getpid()))
            ++count;
    }
    return count;
}

// The web engine is heavy: nothing may make it before the results view first
// has a page to show.
class tst_LightStart : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<TestFolders>();
        m_store = std::make_unique<Settings>();
        m_boxes = std::make_unique<ScopedRecordingMessageBox>();
        m_window = std::make_unique<frmJacketeer>(m_store.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        m_window.reset();
        m_boxes.reset();
        m_store.reset();
        m_dir.reset();
    }

    // Runs first: once made, the engine's helpers live as long as the program.
    void noEngineBeforeAPage()
    {
        frmJacketeer &w = *m_window;
        const std::pair<const char *, std::function<void()>> actions[] = {
            {"batch window", [&] { w.mnuFileBatch_Click(); }},
            {"viewer", [&] { w.mnuFileView_Click(); }},
            {"properties", [&] { w.mnuOptionsProperties_Click(); }},
            {"compare", [&] { w.cmdCompare->click(); }}, // nothing on show: one message
            {"back", [&] { w.cmdBack->click(); }},
            {"blank page", [&] { w.websearch->Navigate2("about:blank"); }},
        };
        QVERIFY(!w.websearch->engineStarted());
        for (const auto &[name, action] : actions) {
            action();
            QVERIFY2(!w.websearch->engineStarted(), name);
        }
        QTest::qWait(500); // time enough for a helper process to appear
        QVERIFY(!w.websearch->engineStarted());
        QCOMPARE(engineHelpers(), 0);
        QCOMPARE(m_boxes->box.shown.size(), 1);
        // It looks as a blank page looks.
        const QImage shown = w.websearch->grab().toImage();
        QVERIFY(shown.width() >= 480 && shown.height() >= 400);
        for (int y = 0; y < shown.height(); y += 9)
            for (int x = 0; x < shown.width(); x += 9)
                QCOMPARE(shown.pixelColor(x, y), QColor(Qt::white));
    }

    void firstPageStartsIt()
    {
        const QString page = TestFiles::testData("view/one.html");
        m_window->websearch->Navigate2(page);
        QVERIFY(m_window->websearch->engineStarted());
        QVERIFY(m_window->websearch->waitForLoad(15000));
        QCOMPARE(m_window->websearch->url(), QUrl::fromLocalFile(page));
        QTRY_VERIFY(engineHelpers() > 0);
    }

private:
    std::unique_ptr<TestFolders> m_dir;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
    std::unique_ptr<frmJacketeer> m_window;
};

JACKETEER_GUI_TEST_MAIN(tst_LightStart)
#include "tst_lightstart.moc"
