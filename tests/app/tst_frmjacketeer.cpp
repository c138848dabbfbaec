#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "app/frmjacketeer.h"
#include "base/settings.h"
#include "accessibletoggle.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
        const QList<QPair<QString, QString>> captions = {
            {"frmSearch", "Search Criteria"},
            {"Frame2", "Results"},
            {"lblSearch", "Search: "},
            {"lblOpt", "Type: "},
            {"optSearch(0)", "&Music"},
            {"optSearch(1)", "&DVD"},
            {"Label3", "Sites: "},
            {"chkSite(0)", "&Vantory"},
            {"chkSite(1)", "&Brinsell"},
            {"chkSite(2)", "&Amazon"},
            {"lblGenre", "Genre: "},
            {"chkMusicG(0)", "Rock"},
            {"chkMusicG(6)", "R&&B/Soul"},
            {"chkMusicG(14)", "Childrens"},
            {"chkMusicG(17)", "Compilation"},
            {"Label2", "Each box checked will add to search time."},
            {"Label4", "Quick Save:"},
            {"cmdSearch", "&Search"},
            {"cmdReset", "&Reset"},
            {"cmdBack", "Back"},
            {"cmdCompare", "Compare"},
            {"Label1",
             "To save pictures, right click on picture and click on \"Save Picture As..\" "
             "or Drag and Drop the 500x500 picture to folder."},
            {"mnuFile", "&File"},
            {"mnuFileUpdate", "&Auto Update"},
            {"mnuFileView", "&Artshelf"},
            {"mnuFileBatch", "&Batch Download"},
            {"mnuFileExit", "&Exit"},
            {"mnuOptions", "&Options"},
            {"mnuOptionsProperties", "&Properties"},
        };
        QCOMPARE(w->windowTitle(), QString("Jacketeer - b3.0"));
        for (const auto &[name, text] : captions)
            QCOMPARE(caption(w.get(), name), text);
        for (const char *name : {"lblResults", "WebBrowser1", "websearch", "picTest", "drSearch",
                                 "dirSearch", "txtSearch", "Frame3", "fraOpt", "Frame1",
                                 "fraMusicG", "Picture1", "Picture2", "mnuFileDash1"})
            QVERIFY2(w->findChild<QObject *>(name), name);
        QVERIFY(!w->picTest->isVisible());

        // Criteria top to bottom: search text, drive and folder lists, type, sites, genres.
        const auto y = [&](QWidget *widget) { return widget->mapTo(w.get(), QPoint(0, 0)).y(); };
        QVERIFY(y(w->txtSearch) < y(w->drSearch));
        QVERIFY(y(w->drSearch) < y(w->dirSearch));
        QVERIFY(y(w->dirSearch) < y(w->optSearch[0]));
        QVERIFY(y(w->optSearch[0]) < y(w->chkSite[0]));
        w->optSearch[0]->click();
        w->chkSite[0]->click();
        QVERIFY(w->chkMusicG[0]->isVisible());
        QVERIFY(y(w->chkSite[0]) < y(w->chkMusicG[0]));
    }

    void genreVisibility_data()
    {
        // A sequence of changes ("V" Vantory box, "M" Music, "D" DVD, "B" Brinsell)
        // and whether the genres show afterwards, with every way a value changes:
        // a click, the program's own code, and a screen reader's toggle.
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("means");
        QTest::addColumn<bool>("visible");
        const QList<std::pair<const char *, bool>> sequences{
            {"DV", false}, {"DVM", true}, {"DVMV", false}, {"MV", true},
            {"MB", false}, {"MVB", true}, {"MVD", false},
        };
        for (const char *means : {"mouse", "code", "accessibility"})
            for (const auto &[changes, visible] : sequences)
                QTest::addRow("%s by %s", changes, means) << changes << means << visible;
    }

    void genreVisibility()
    {
        QFETCH(QString, changes);
        QFETCH(QString, means);
        QFETCH(bool, visible);
        auto w = openWindow();
        for (QChar c : changes) {
            QAbstractButton *target = c == 'V'   ? static_cast<QAbstractButton *>(w->chkSite[0])
                                      : c == 'B' ? static_cast<QAbstractButton *>(w->chkSite[1])
                                      : c == 'M' ? static_cast<QAbstractButton *>(w->optSearch[0])
                                                 : static_cast<QAbstractButton *>(w->optSearch[1]);
            if (means == "mouse")
                QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(6, target->height() / 2));
            else if (means == "code")
                target->setChecked(!target->isChecked());
            else
                QVERIFY(toggleAccessibly(target));
        }
        QCOMPARE(w->fraMusicG->isVisible(), visible);
        QCOMPARE(w->lblGenre->isVisible(), visible);
    }

    void folderClickFillsSearchText()
    {
        QDir root(m_dir->path());
        QVERIFY(root.mkpath("Music/Metallica - Black"));
        QVERIFY(root.mkpath("Music/Other"));
        auto w = openWindow();
        QVERIFY(w->dirSearch->setPath(m_dir->path() + "/Music"));
        QListWidget *list = w->dirSearch;
        QListWidgetItem *target = nullptr;
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().trimmed() == "Metallica - Black")
                target = list->item(row);
        }
        QVERIFY(target);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(target).center());
        QCOMPARE(w->txtSearch->text(), QString("Metallica - Black"));
        QCOMPARE(w->dirSearch->highlightedPath(), m_dir->path() + "/Music/Metallica - Black");
        // A single click highlights; the open folder stays.
        QCOMPARE(w->dirSearch->path(), m_dir->path() + "/Music");
    }

    void resetKeepsSitesAndGenres()
    {
        auto w = openWindow();
        w->optSearch[1]->click();
        w->chkSite[0]->click();
        w->chkSite[1]->click();
        w->chkMusicG[4]->click();
        w->txtSearch->setText("Kind of Blue");
        QTest::mouseClick(w->cmdReset, Qt::LeftButton);
        QCOMPARE(w->txtSearch->text(), QString());
        QVERIFY(w->optSearch[0]->isChecked());
        QVERIFY(!w->optSearch[1]->isChecked());
        QVERIFY(w->chkSite[0]->isChecked());
        QVERIFY(w->chkSite[1]->isChecked());
        QVERIFY(w->chkMusicG[4]->isChecked());
        // Music with Vantory ticked: the genres are shown now.
        QVERIFY(w->fraMusicG->isVisible());
    }

    void firstStartThenRestart()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("Collection/Albums"));
        const QString folder = m_dir->path() + "/Collection/Albums";
        {
            // A first start: no site, type or genre chosen, the home folder open.
            auto w = openWindow();
            for (QAbstractButton *b : w->frmSearch->findChildren<QAbstractButton *>())
                QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
            QVERIFY(!w->fraMusicG->isVisible());
            QVERIFY(!w->lblGenre->isVisible());
            QCOMPARE(w->dirSearch->path(), QDir::homePath());

            w->optSearch[1]->click();
            w->chkSite[1]->click();
            w->chkSite[2]->click();
            w->chkMusicG[6]->click();
            w->chkMusicG[15]->click();
            QVERIFY(w->dirSearch->setPath(folder));
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
        QVERIFY(again->optSearch[1]->isChecked());
        QVERIFY(!again->optSearch[0]->isChecked());
        QVERIFY(!again->chkSite[0]->isChecked());
        QVERIFY(again->chkSite[1]->isChecked());
        QVERIFY(again->chkSite[2]->isChecked());
        for (int i = 0; i < kGenreCount; ++i)
            QCOMPARE(again->chkMusicG[i]->isChecked(), i == 6 || i == 15);
        QCOMPARE(again->dirSearch->path(), folder);
        QCOMPARE(again->drSearch->drive(),
                 DriveListBox::driveOf(folder, DriveListBox::mountedDrives()));
    }

    void goneStoredFolderIsIgnored()
    {
        m_store->setText(Keys::SearchDrive, "/no/such/drive");
        m_store->setText(Keys::SearchPath, m_dir->path() + "/deleted/folder");
        auto w = openWindow();
        QCOMPARE(w->dirSearch->path(), QDir::homePath());
        QVERIFY(m_boxes->box.shown.isEmpty());
    }

    void storedDriveIsRestored()
    {
        const QStringList drives = DriveListBox::mountedDrives();
        const QString homeDrive = DriveListBox::driveOf(QDir::homePath(), drives);
        QString other;
        for (const QString &d : drives)
            if (d != homeDrive && QFileInfo(d).isReadable())
                other = d;
        if (other.isEmpty())
            QSKIP("only one readable mounted volume here");
        m_store->setText(Keys::SearchDrive, other);
        auto w = openWindow();
        QCOMPARE(w->drSearch->drive(), other);
        // The folder list followed the drive to its root.
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

    // The caption of a named control ("text" or "title"), or a marker that
    // makes the comparison fail with the control's name.
    static QString caption(QObject *window, const QString &name)
    {
        QObject *c = window->findChild<QObject *>(name);
        if (!c)
            return "<no control " + name + ">";
        const QVariant text = c->property("text");
        return text.isValid() ? text.toString() : c->property("title").toString();
    }

    std::unique_ptr<TestFolders> m_dir;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<ScopedRecordingMessageBox> m_boxes;
};

JACKETEER_GUI_TEST_MAIN(tst_frmJacketeer)
#include "tst_frmjacketeer.moc"
