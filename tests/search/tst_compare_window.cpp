#include "base/appfolder.h"
#include "base/modjacketeer.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "search/frmcompare.h"
#include "search/quicksavetexts.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace T = QuickSaveTexts;
using TestFiles::writePicture;

class tst_CompareWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsBothPictures_data();
    void showsBothPictures();
    void missingPictureShowsNoSize();
    void replaceModeAnswer_data();
    void replaceModeAnswer();
    void realModalWindowAnsweredThroughItsButton();
    void twoHitSaveFailureKeepsWindowOpen();
    void twoHitWindowKeepsItsModeAfterAReplaceCompare();
    void closeAllClosesOnlyCompareWindows();

private:
    template <typename T> T *control(QWidget *w, const QString &name)
    {
        T *c = w->findChild<T *>(name);
        if (!c)
            qWarning() << "no control" << name;
        return c;
    }

    QTemporaryDir m_config;
    QTemporaryDir m_app;
};

void tst_CompareWindow::initTestCase()
{
    QVERIFY(m_config.isValid() && m_app.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    qputenv("JACKETEER_APPDIR", m_app.path().toLocal8Bit());
}

void tst_CompareWindow::init()
{
    modJacketeer().qsName = QStringLiteral("@artist@ - @album@");
    QFile::remove(appFile(T::compare1File));
    QFile::remove(appFile(T::compare2File));
}

void tst_CompareWindow::cleanup()
{
    frmCompare::setExecFunction({});
    frmCompare::closeAll();
}

void tst_CompareWindow::showsBothPictures_data()
{
    QTest::addColumn<QSize>("one");
    QTest::addColumn<QSize>("two");
    QTest::addColumn<QString>("recOne");
    QTest::addColumn<QString>("recTwo");
    QTest::newRow("500 vs 300") << QSize(500, 500) << QSize(300, 300) << "YES"
                                << "NO";
    QTest::newRow("equal pictures") << QSize(300, 300) << QSize(300, 300) << "YES"
                                    << "YES";
}

void tst_CompareWindow::showsBothPictures()
{
    QFETCH(QSize, one);
    QFETCH(QSize, two);
    QFETCH(QString, recOne);
    QFETCH(QString, recTwo);
    writePicture(appFile(T::compare1File), one.width(), one.height(), Qt::darkRed);
    writePicture(appFile(T::compare2File), two.width(), two.height(), Qt::darkRed);

    frmCompare w;
    QCOMPARE(w.windowTitle(), "Jacketeer - Compare Art");
    QCOMPARE(control<QGroupBox>(&w, "Frame1")->title(), "Picture One");
    QCOMPARE(control<QGroupBox>(&w, "Frame2")->title(), "Picture Two");
    QCOMPARE(control<QLabel>(&w, "Label1")->text(), "Resolution: ");
    QCOMPARE(control<QLabel>(&w, "Label4")->text(), "Size: ");
    QCOMPARE(control<QLabel>(&w, "Label6")->text(), "Recommended: ");
    QCOMPARE(control<QLabel>(&w, "lblRes(0)")->text(),
             QStringLiteral("%1x%2").arg(one.width()).arg(one.height()));
    QCOMPARE(control<QLabel>(&w, "lblRes(1)")->text(),
             QStringLiteral("%1x%2").arg(two.width()).arg(two.height()));
    QCOMPARE(control<QLabel>(&w, "lblSize(0)")->text(),
             kbytesText(QFileInfo(appFile(T::compare1File)).size()));
    QVERIFY(control<QLabel>(&w, "lblSize(1)")->text().endsWith(" Kbytes"));
    QCOMPARE(control<QLabel>(&w, "lblRec(0)")->text(), recOne);
    QCOMPARE(control<QLabel>(&w, "lblRec(1)")->text(), recTwo);
    QCOMPARE(control<QLabel>(&w, "picPic(0)")->pixmap().size(), one);
    QCOMPARE(control<QLabel>(&w, "picPic(1)")->size(), two);
    QCOMPARE(control<QPushButton>(&w, "cmdQuickSave(1)")->text(), "Quick Save");
}

void tst_CompareWindow::missingPictureShowsNoSize()
{
    writePicture(appFile(T::compare1File), 300, 300, Qt::blue);
    frmCompare w;
    QCOMPARE(control<QLabel>(&w, "lblSize(1)")->text(), "N/A");
    QCOMPARE(control<QLabel>(&w, "lblRec(0)")->text(), "YES");
    QCOMPARE(control<QLabel>(&w, "lblRec(1)")->text(), "NO");
}

void tst_CompareWindow::replaceModeAnswer_data()
{
    QTest::addColumn<int>("press"); // -1: close box
    QTest::addColumn<bool>("keep");
    QTest::newRow("Picture One keeps") << 0 << true;
    QTest::newRow("Picture Two replaces") << 1 << false;
    QTest::newRow("close box keeps") << -1 << true;
}

void tst_CompareWindow::replaceModeAnswer()
{
    QFETCH(int, press);
    QFETCH(bool, keep);
    writePicture(appFile(T::compare1File), 300, 300, Qt::blue);
    writePicture(appFile(T::compare2File), 500, 500, Qt::green);
    QString seenRes;
    bool wasModal = false;
    frmCompare::setExecFunction([&](frmCompare &w) {
        wasModal = w.isModal();
        w.show();
        seenRes = w.lblRes[0]->text();
        if (press >= 0)
            w.cmdQuickSave[static_cast<std::size_t>(press)]->click();
        else
            w.close();
    });
    modJacketeer().compareKeepExisting = false;
    QCOMPARE(frmCompare::replaceHook(nullptr)(appFile(T::compare1File), appFile(T::compare2File)),
             keep);
    QVERIFY(modJacketeer().compareReplaceMode);
    QCOMPARE(modJacketeer().compareKeepExisting, keep);
    QVERIFY(wasModal);
    QCOMPARE(seenRes, "300x300");
}

void tst_CompareWindow::realModalWindowAnsweredThroughItsButton()
{
    writePicture(appFile(T::compare1File), 300, 300, Qt::blue);
    writePicture(appFile(T::compare2File), 500, 500, Qt::green);
    bool pressed = false;
    QTimer press;
    press.setInterval(20);
    connect(&press, &QTimer::timeout, this, [&] {
        auto *w = qobject_cast<frmCompare *>(QApplication::activeModalWidget());
        if (w && w->isVisible()) {
            pressed = true;
            w->cmdQuickSave[1]->click();
        }
    });
    press.start();
    // Never let a broken button hang the run.
    QTimer::singleShot(10000, this, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    QVERIFY(!frmCompare::compareForReplace(nullptr));
    QVERIFY(pressed);
}

void tst_CompareWindow::twoHitSaveFailureKeepsWindowOpen()
{
    writePicture(appFile(T::compare1File), 500, 500, Qt::red);
    writePicture(appFile(T::compare2File), 300, 300, Qt::blue);
    ScopedRecordingMessageBox messages;
    QPointer<frmCompare> w = frmCompare::openTwoHit(
        {ComparedHit{1, "A", "B", ""}, ComparedHit{2, "C", "D", ""}},
        [] { return QStringLiteral("/nonexistent/folder"); }, nullptr);
    w->cmdQuickSave[0]->click();
    QVERIFY(!w.isNull());
    QVERIFY(w->isVisible());
    QCOMPARE(messages.box.shown.size(), 1);
    QCOMPARE(messages.box.shown[0].text, T::noTargetFolder);
    QCOMPARE(messages.box.shown[0].title, T::saveFailedTitle);
}

void tst_CompareWindow::twoHitWindowKeepsItsModeAfterAReplaceCompare()
{
    QTemporaryDir folder;
    writePicture(appFile(T::compare1File), 500, 500, Qt::red);
    writePicture(appFile(T::compare2File), 300, 300, Qt::blue);
    ScopedRecordingMessageBox messages;
    QPointer<frmCompare> w = frmCompare::openTwoHit(
        {ComparedHit{1, "Neon Parade", "Night Shift", ""}, ComparedHit{2, "C", "D", ""}},
        [&] { return folder.path(); }, nullptr);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QVERIFY(!modJacketeer().compareReplaceMode);
    // A replace-mode compare opened and closed while the two-hit window stays open.
    frmCompare::setExecFunction([](frmCompare &c) { c.close(); });
    QVERIFY(frmCompare::compareForReplace(nullptr));
    frmCompare::setExecFunction({});
    QVERIFY(!w.isNull());
    w->cmdQuickSave[0]->click();
    QTRY_VERIFY(w.isNull());
    QVERIFY(messages.box.shown.isEmpty());
    QCOMPARE(QImage(folder.filePath("Neon Parade - Night Shift.jpg")).size(), QSize(500, 500));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
             QStringList{"Neon Parade - Night Shift.jpg"});
}

void tst_CompareWindow::closeAllClosesOnlyCompareWindows()
{
    writePicture(appFile(T::compare1File), 50, 50, Qt::red);
    writePicture(appFile(T::compare2File), 50, 50, Qt::blue);
    QPointer<frmCompare> a = frmCompare::openTwoHit({}, {}, nullptr);
    QPointer<frmCompare> b = frmCompare::openTwoHit({}, {}, nullptr);
    QWidget other;
    other.setWindowTitle(QStringLiteral("Jacketeer - b3.0"));
    other.show();
    frmCompare::closeAll();
    QTRY_VERIFY(a.isNull() && b.isNull());
    QVERIFY(other.isVisible());
}

JACKETEER_GUI_TEST_MAIN(tst_CompareWindow)
#include "tst_compare_window.moc"
