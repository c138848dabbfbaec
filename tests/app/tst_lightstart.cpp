#include "app/frmjacketeer.h"
#include "app/websearchview.h"
#include "base/settingsstore.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// The web engine is heavy; the main window must not make it before the
// results view first has something to show.
class tst_LightStart : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsWithoutEngine_data();
    void startsWithoutEngine();
    void blankViewIsWhite();
    void firstPageStartsEngine();

private:
    // Helper processes of this test program that belong to the web engine.
    static int engineHelpers();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
    std::unique_ptr<frmJacketeer> m_window;
};

int tst_LightStart::engineHelpers()
{
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QByteArray name = line.mid(open + 1, close - open - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (rest.value(1).toInt() == int(getpid()) && name.startsWith("QtWebEngine"))
            ++count;
    }
    return count;
}

void tst_LightStart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", (m_dir->path() + "/config").toLocal8Bit());
    qputenv("JACKETEER_APPDIR", (m_dir->path() + "/app").toLocal8Bit());
    m_store = std::make_unique<SettingsStore>();
    m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    m_window = std::make_unique<frmJacketeer>(m_store.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_LightStart::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_store.reset();
    m_dir.reset();
}

void tst_LightStart::startsWithoutEngine_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("start-up") << "";
    QTest::newRow("batch window") << "batch";
    QTest::newRow("viewer") << "viewer";
    QTest::newRow("properties") << "properties";
    QTest::newRow("compare before a search") << "compare";
    QTest::newRow("back before a search") << "back";
    QTest::newRow("reset") << "reset";
}

void tst_LightStart::startsWithoutEngine()
{
    QFETCH(QString, action);
    if (action == "batch")
        m_window->mnuFileBatch_Click();
    else if (action == "viewer")
        m_window->mnuFileView_Click();
    else if (action == "properties")
        m_window->mnuOptionsProperties_Click();
    else if (action == "compare")
        m_window->cmdCompare->click();
    else if (action == "back")
        m_window->cmdBack->click();
    else if (action == "reset")
        m_window->cmdReset->click();
    // Long enough for a helper process to have been started.
    QTest::qWait(500);
    QVERIFY(!m_window->websearch->engineStarted());
    QCOMPARE(engineHelpers(), 0);
    QCOMPARE(m_window->websearch->url(), QUrl("about:blank"));
    if (action == "compare") // a blank page has no hits to compare
        QCOMPARE(m_boxes->box.shown.size(), 1);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != m_window.get() && w->isVisible())
            w->close();
}

void tst_LightStart::blankViewIsWhite()
{
    const QImage shown = m_window->websearch->grab().toImage();
    QVERIFY(shown.width() >= 480 && shown.height() >= 400);
    for (int y = 0; y < shown.height(); y += 7)
        for (int x = 0; x < shown.width(); x += 7)
            QCOMPARE(shown.pixelColor(x, y), QColor(Qt::white));
}

void tst_LightStart::firstPageStartsEngine()
{
    const QString page = m_dir->path() + "/results.html";
    QFile f(page);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>Hits</title></head><body><form><input type=checkbox name=C1 "
            "checked></form></body></html>");
    f.close();
    // Showing the blank page again is not a reason to start.
    m_window->websearch->Navigate2("about:blank");
    QVERIFY(m_window->websearch->waitForLoad());
    QVERIFY(!m_window->websearch->engineStarted());

    m_window->websearch->Navigate2(page);
    QVERIFY(m_window->websearch->engineStarted());
    QVERIFY(m_window->websearch->waitForLoad(15000));
    QCOMPARE(m_window->websearch->url(), QUrl::fromLocalFile(page));
    QCOMPARE(m_window->websearch->title(), QString("Hits"));
    QCOMPARE(m_window->websearch->formChecks("C1"), QList<bool>{true});
    QTRY_VERIFY(engineHelpers() > 0);
}

JACKETEER_GUI_TEST_MAIN(tst_LightStart)
#include "tst_lightstart.moc"
