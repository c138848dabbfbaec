#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "app/frmjacketeer.h"
#include "base/settings.h"
#include "accessibletoggle.h"
#include "controltext.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QFileInfo>

#include <memory>

class tst_frmJacketeer : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<TestFolders>();
        m_store = std::make_unique<Settings>();
        m_boxes = std::make_unique<ScopedRecordingMessageBox>();
    }

    void cleanup()
    {
        m_boxes.reset();
        m_store.reset();
        m_dir.reset();
    }

    void captionsAndNames()
    {
        auto w = openWindow();
        // clang-format off
        const QList<QPair<QString, QString>> captions = {
            {"frmSearch", "Search Criteria"}, {"Frame2", "Results"}, {"lblSearch", "Search: "},
            {"lblOpt", "Type: "}, {"optSearch(0)", "&Music"}, {"optSearch(1)", "&DVD"},
            {"Label3", "Sites: "}, {"chkSite(0)", "&Vantory"}, {"chkSite(1)", "&Brinsell"},
            {"chkSite(2)", "&Amazon"}, {"lblGenre", "Genre: "}, {"chkMusicG(6)", "R&&B/Soul"},
            {"Label2", "Each box checked will add to search time."}, {"Label4", "Quick Save:"},
            {"cmdSearch", "&Search"}, {"cmdReset", "&Reset"}, {"cmdBack", "Back"},
            {"cmdCompare", "Compare"},
            {"Label1", "To save pictures, right click on picture and click on \"Save Picture As..\" "
                       "or Drag and Drop the 500x500 picture to folder."},
            {"mnuFile", "&File"}, {"mnuFileUpdate", "&Auto Update"}, {"mnuFileView", "&Artshelf"},
            {"mnuFileBatch", "&Batch Download"}, {"mnuFileExit", "&Exit"},
            {"mnuOptions", "&Options"}, {"mnuOptionsProperties", "&Properties"}};
        // clang-format on
        QCOMPARE(w->windowTitle(), QString("Jacketeer - b3.0"));
        for (const auto &[name, text] : captions)
            QCOMPARE(controlText(w.get(), name), text);
        for (const char *name : {"lblResults", "WebBrowser1", "websearch", "picTest", "drSearch",
                                 "dirSearch", "txtSearch", "Frame3", "fraOpt", "Frame1",
                                 "fraMusicG", "Picture1", "Picture2", "mnuFileDash1"})
            QVERIFY2(w->findChild<QObject *>(name), name);
        QVERIFY(!w->picTest->isVisible());

        // Criteria top to bottom: search text, drive and folder lists, type, sites, genres.
        w->optSearch[0]->click();
        w->chkSite[0]->click();
        int above = -1;
        for (QWidget *c :
             std::initializer_list<QWidget *>{w->txtSearch, w->drSearch, w->dirSearch,
                                              w->optSearch[0], w->chkSite[0], w->chkMusicG[0]}) {
            QVERIFY2(c->mapTo(w.get(), QPoint()).y() > above, qPrintable(c->objectName()));
            above = c->mapTo(w.get(), QPoint()).y();
        }
    }

    void firstStartThenRestart()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("Collection/Albums"));
        const QString folder = m_dir->path("Collection");
        {
            // A first start: no site, type or genre chosen, the home folder open.
            auto w = openWindow();
            for (QAbstractButton *b : w->frmSearch->findChildren<QAbstractButton *>())
                QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
            QVERIFY(!w->fraMusicG->isVisible());
            QVERIFY(!w->lblGenre->isVisible());
            QCOMPARE(w->dirSearch->path(), QDir::homePath());

            // A click on a folder highlights it and puts its name into the search text.
            QVERIFY(w->dirSearch->setPath(folder));
            QListWidgetItem *albums = w->dirSearch->findItems("Albums", Qt::MatchEndsWith)[0];
            QTest::mouseClick(w->dirSearch->viewport(), Qt::LeftButton, {},
                              w->dirSearch->visualItemRect(albums).center());
            QCOMPARE(w->txtSearch->text(), QString("Albums"));
            QCOMPARE(w->dirSearch->highlightedPath(), folder + "/Albums");
            QCOMPARE(w->dirSearch->path(), folder);

            w->optSearch[1]->click();
            w->chkSite[1]->click();
            w->chkSite[2]->click();
            w->chkMusicG[6]->click();
            w->chkMusicG[15]->click();
            w->close();
        }
        const QByteArray file = TestFiles::readFile(m_store->fileName());
        for (const QByteArray line :
             {"GenreR%26%26B%252FSoul=1", "GenreRap%252FHip%20Hop=1", "GenreRock=0",
              "SearchTypeDVD=True", "SearchTypeCD=False", "Vantory=0", "Brinsell=1", "Amazon=1"})
            QVERIFY2(file.contains("\n" + line + "\n"), line.constData());
        QVERIFY(file.contains("\nSearchPath=" + folder.toUtf8() + "\n"));

        // That start-up also fills the shared state: tst_windowmenus's viewer roots.
        auto again = openWindow();
        QVERIFY(again->optSearch[1]->isChecked() && !again->optSearch[0]->isChecked());
        QVERIFY(!again->chkSite[0]->isChecked());
        QVERIFY(again->chkSite[1]->isChecked() && again->chkSite[2]->isChecked());
        for (int i = 0; i < kGenreCount; ++i)
            QCOMPARE(again->chkMusicG[i]->isChecked(), i == 6 || i == 15);
        QCOMPARE(again->dirSearch->path(), folder);

        // Ticking Vantory with DVD keeps the genres hidden; Reset empties the
        // text and selects Music, which shows them; sites and genres stay.
        again->txtSearch->setText("Kind of Blue");
        again->chkSite[0]->click();
        QVERIFY(!again->fraMusicG->isVisible());
        QTest::mouseClick(again->cmdReset, Qt::LeftButton);
        QCOMPARE(again->txtSearch->text(), QString());
        QVERIFY(again->optSearch[0]->isChecked() && !again->optSearch[1]->isChecked());
        QVERIFY(again->chkMusicG[6]->isChecked() && again->chkSite[1]->isChecked());
        QVERIFY(again->fraMusicG->isVisible() && again->lblGenre->isVisible());
        // A screen reader's toggle, which sends no click, hides them again.
        QVERIFY(toggleAccessibly(again->chkSite[0]));
        QVERIFY(!again->fraMusicG->isVisible() && !again->lblGenre->isVisible());
    }

    // A stored drive or folder that is gone leaves the lists where they are,
    // silently; a stored drive alone moves the folder list to its root.
    void storedDriveAndFolder()
    {
        m_store->setText(Keys::SearchDrive, "/no/such/drive");
        m_store->setText(Keys::SearchPath, m_dir->path("deleted/folder"));
        QCOMPARE(openWindow()->dirSearch->path(), QDir::homePath());
        QVERIFY(m_boxes->box.shown.isEmpty());

        const QString home = DriveListBox::driveOf(QDir::homePath(), DriveListBox::mountedDrives());
        QString other;
        for (const QString &d : DriveListBox::mountedDrives())
            if (d != home && QFileInfo(d).isReadable())
                other = d;
        if (other.isEmpty())
            QSKIP("only one readable mounted volume here");
        m_store->setText(Keys::SearchDrive, other);
        auto w = openWindow();
        QCOMPARE(w->drSearch->drive(), other);
        QCOMPARE(w->dirSearch->path(), other);
    }

private:
    std::unique_ptr<frmJacketeer> openWindow()
    {
        auto w = std::make_unique<frmJacketeer>(m_store.get());
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("main window not exposed");
        return w;
    }

    std::unique_ptr<TestFolders> m_dir;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
};

JACKETEER_GUI_TEST_MAIN(tst_frmJacketeer)
#include "tst_frmjacketeer.moc"
