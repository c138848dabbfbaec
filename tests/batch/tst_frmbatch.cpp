#include "base/downloadservice.h"
#include "base/modjacketeer.h"
#include "base/settings.h"
#include "batch/batchresultsfile.h"
#include "batch/batchtexts.h"
#include "batch/batchsession.h"
#include "batch/frmbatch.h"
#include "batch/samplecollection.h"
#include "cover/frmcompare.h"
#include "batchtesthelpers.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"
#include "testfiles.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <unistd.h>

// The window an item of a batch tree belongs to.
static const frmBatch &windowOf(const QTreeWidgetItem *node)
{
    return *qobject_cast<const frmBatch *>(node->treeWidget()->window());
}
static const BatchModel::Node *nodeOf(const QTreeWidgetItem *node)
{
    const frmBatch &w = windowOf(node);
    return w.model().node(BatchType(node->treeWidget() == w.tvBatch(1)), w.nodeIndex(node));
}
static QString keyOf(const QTreeWidgetItem *node)
{
    return node ? nodeOf(node)->key : QString();
}
static NodeImage imageOf(const QTreeWidgetItem *node)
{
    return nodeOf(node)->image;
}

// The batch window through its controls, with the roots set in the store.
class TestFrmBatch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_cd;
    QString m_dvd;
    SimulatorProcess m_sim;
    qint64 m_now = 0; // the run's clock, in milliseconds

    void setRoots(const QString &cd, const QString &dvd, int depth = 1)
    {
        Settings store;
        store.setText(Keys::BatchCDPath, cd);
        store.setText(Keys::BatchDVDPath, dvd);
        store.setNumber(Keys::BatchDVDFolder, depth);
        modJacketeer().read(store);
    }

    template <typename T> static T *child(QWidget *w, const QString &name)
    {
        T *found = w->findChild<T *>(name);
        if (!found)
            qWarning() << "no control" << name;
        return found;
    }

    static QStringList queueRows(QTreeWidget *list)
    {
        QStringList out;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(r)->text(c);
            cells << list->topLevelItem(r)->data(0, Qt::UserRole).toString();
            out << cells.join('|');
        }
        return out;
    }

    static QList<QTreeWidgetItem *> allNodes(QTreeWidget *tree)
    {
        QList<QTreeWidgetItem *> out;
        QList<QTreeWidgetItem *> todo;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            todo << tree->topLevelItem(i);
        while (!todo.isEmpty()) {
            QTreeWidgetItem *n = todo.takeFirst();
            out << n;
            for (int i = 0; i < n->childCount(); ++i)
                todo << n->child(i);
        }
        return out;
    }

    static QTreeWidgetItem *byKey(QTreeWidget *tree, const QString &key)
    {
        for (QTreeWidgetItem *n : allNodes(tree)) {
            if (keyOf(n) == key)
                return n;
        }
        return nullptr;
    }

    // Hit nodes as a restore makes them from a folder's results file.
    static void writeRecords(const QString &folder, const QStringList &albums)
    {
        BatchResultsFile writer;
        QVERIFY(writer.create(folder + "/batch.rlt"));
        for (int i = 0; i < albums.size(); ++i)
            QVERIFY(writer.writeRecord(i + 1, {"Artist", albums[i], "http://h/p.jpg"}));
    }

    // The hits under a folder node as "record number|text|image".
    static QStringList hitsOf(QTreeWidget *tree, const QString &folder)
    {
        QStringList out;
        QTreeWidgetItem *node = byKey(tree, folder);
        for (int i = 0; node && i < node->childCount(); ++i)
            out << QStringLiteral("%1|%2|%3")
                       .arg(hitRecordNumber(keyOf(node->child(i)), folder))
                       .arg(node->child(i)->text(0))
                       .arg(int(imageOf(node->child(i))));
        return out;
    }

    static QStringList statuses(frmBatch &w, int type)
    {
        QStringList out;
        for (int r = 0; r < w.queueRowCount(type); ++r)
            out << w.lvBatch(type)->topLevelItem(r)->text(type == 0 ? 3 : 2);
        return out;
    }

    // Whether the program still holds a file of that name open.
    static bool heldOpen(const QString &name)
    {
        for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System))
            if (fd.symLinkTarget().endsWith(name))
                return true;
        return false;
    }

    // Two albums, the first of whose pages answer slowly.
    QString slowCollection()
    {
        const QString root = m_dir.filePath("Slow");
        if (!QFileInfo::exists(root)) {
            writeTagged(root + "/Metallica/Black/01.mp3", "Metallica", "Black simslow4000");
            writeTagged(root + "/Neon Parade/Night Shift/01.mp3", "Neon Parade", "Night Shift");
        }
        return root;
    }

    static QTreeWidgetItem *byText(QTreeWidget *tree, const QString &text)
    {
        for (QTreeWidgetItem *n : allNodes(tree)) {
            if (n->text(0) == text)
                return n;
        }
        return nullptr;
    }

    // A window restored from one folder's results file (CD: ROOT/Metallica/
    // Black, DVD: ROOT/Alien), showing that folder's type.
    std::unique_ptr<frmBatch> restored(const QString &name, bool dvd, const QStringList &urls,
                                       QString &folder)
    {
        const QString root = m_dir.filePath("Hits/" + name);
        folder = root + (dvd ? "/Alien" : "/Metallica/Black");
        makeFolder(folder);
        BatchResultsFile writer;
        writer.create(folder + "/batch.rlt");
        for (int i = 0; i < urls.size(); ++i)
            writer.writeRecord(
                i + 1, {dvd ? "" : "Metallica", dvd ? "Alien" : "Black", m_sim.url(urls[i])});
        writer.close();
        setRoots(dvd ? "None" : root, dvd ? root : "None");
        auto w = std::make_unique<frmBatch>();
        w->show();
        w->RestoreLastBatch();
        w->findChild<QRadioButton *>(dvd ? "optType(1)" : "optType(0)")->click();
        return w;
    }

    // Clicks a node as the user does (twice for a double click).
    static void clickNode(QTreeWidget *tree, QTreeWidgetItem *node, bool twice = false)
    {
        tree->scrollToItem(node);
        const QPoint at = tree->visualItemRect(node).center();
        if (twice)
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

    static QStringList texts(const RecordingMessageBox &box)
    {
        QStringList out;
        for (const auto &shown : box.shown)
            out << shown.title + ": " + shown.text;
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toUtf8());
        m_cd = m_dir.filePath("Music");
        m_dvd = m_dir.filePath("Movies");
        QVERIFY(writeTagged(m_cd + "/Artist A/Album B/01.mp3", "Artist A", "Album B"));
        QVERIFY(writeTagged(m_cd + "/Artist A/Misc/01.mp3", "Tag Artist", "Tag Album"));
        QVERIFY(writeAudio(m_cd + "/Untagged/Plain/01.mp3", {}));
        makeFolder(m_dvd + "/Alien/Disc 1");
        makeFolder(m_dvd + "/Alien/Disc 2");
        makeFolder(m_dvd + "/Heat");
        // Runs search the simulator and read the test's clock.
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        Settings store;
        m_sim.configureSites(store);
        for (const SettingKey &key :
             {Keys::BatchVantory, Keys::BatchBrinsell, Keys::batchGenre(0), Keys::batchGenre(11)})
            store.setOn(key, true);
        store.setText(Keys::QSName, "@artist@ - @album@");
        QVERIFY(makeDemoCollection(m_dir.filePath("Demo"), {}).ok());
        BatchSession::setClock([this] { return m_now; });
    }

    void controlsAndCaptions()
    {
        setRoots("None", "None");
        frmBatch w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Jacketeer - Batch Download"));
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), QStringLiteral("Batch Results"));
        QCOMPARE(child<QGroupBox>(&w, "Frame4")->title(), QStringLiteral("Batch Type"));
        QCOMPARE(child<QGroupBox>(&w, "fraBatched(0)")->title(),
                 QStringLiteral("Batched Downloads"));
        QCOMPARE(child<QGroupBox>(&w, "fraBatched(1)")->title(),
                 QStringLiteral("Queued Downloads"));
        QCOMPARE(child<QGroupBox>(&w, "fraSearch(1)")->title(), QStringLiteral("Current Search"));
        QCOMPARE(child<QGroupBox>(&w, "Frame2")->title(), QStringLiteral("Cover Art Preview"));
        QCOMPARE(child<QPushButton>(&w, "cmdStart")->text(), QStringLiteral("&Start"));
        QCOMPARE(child<QPushButton>(&w, "cmdCrop")->text(), QStringLiteral("Crop && Save"));
        QVERIFY(child<QRadioButton>(&w, "optType(0)")->isChecked());
        QCOMPARE(child<QRadioButton>(&w, "optType(1)")->text(), QStringLiteral("DVD"));

        QTreeWidget *cd = child<QTreeWidget>(&w, "lvBatch(0)");
        QTreeWidget *dvd = child<QTreeWidget>(&w, "lvBatch(1)");
        auto headers = [](QTreeWidget *list) {
            QStringList out;
            for (int c = 0; c < list->columnCount(); ++c)
                out << list->headerItem()->text(c) + '=' +
                           list->headerItem()->data(c, Qt::UserRole).toString();
            return out;
        };
        QCOMPARE(headers(cd), (QStringList{"Artist=Artist", "Album=Album", "Directory =Directory",
                                           "Status=Status"}));
        QCOMPARE(headers(dvd),
                 (QStringList{"Title=Artist", "Directory =Directory", "Status=Status"}));

        for (const char *name :
             {"lblArtist(0)", "lblAlbum(0)", "lblSite(0)", "lblResults(0)", "lblArtist(1)",
              "lblSite(1)", "lblResults(1)", "lblPreviewSite", "lblRes", "lblSize", "imgPreview",
              "picPreview", "picTest", "lblStatusLeft", "lblStatusRight"})
            QVERIFY2(w.findChild<QLabel *>(name), name);
        for (const char *name : {"prgTotal(0)", "prgTotal(1)", "prgSearch(0)", "prgSearch(1)"}) {
            auto *bar = child<QProgressBar>(&w, name);
            QVERIFY2(bar && bar->minimum() == 0 && bar->value() == 0, name);
        }
        QVERIFY(w.findChild<QObject *>("tmrBatch"));
        QVERIFY(w.findChild<QObject *>("WebBrowser1"));

        // Without a properties dialog to open, its entry is not offered.
        QVERIFY(!w.findChild<QAction *>("mnuOptionsProperties")->isEnabled());
        QCOMPARE(w.findChild<QAction *>("mnuOptionsRestore")->text(),
                 QStringLiteral("&Restore Last Batch"));
        // Empty roots: nothing in either tree.
        QCOMPARE(w.tvBatch(0)->topLevelItemCount(), 0);
        QCOMPARE(w.tvBatch(1)->topLevelItemCount(), 0);
    }

    void propertiesHook()
    {
        setRoots("None", "None");
        QWidget *openedFor = nullptr;
        frmBatch::setPropertiesOpener([&](QWidget *batch) { openedFor = batch; });
        {
            frmBatch w;
            QAction *entry = w.findChild<QAction *>("mnuOptionsProperties");
            QVERIFY(entry->isEnabled());
            entry->trigger();
            QCOMPARE(openedFor, &w);
        }
        frmBatch::setPropertiesOpener({});
    }

    void loadScansBothTrees()
    {
        setRoots(m_cd, m_dvd);
        frmBatch w;
        QTreeWidget *tree = w.tvBatch(0);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), m_cd);
        QCOMPARE(keyOf(root), m_cd);
        QCOMPARE(imageOf(root), NodeImage::Root);
        QCOMPARE(tree->currentItem(), root);
        for (QTreeWidgetItem *n : allNodes(tree)) {
            QVERIFY(n->isExpanded() || n->childCount() == 0);
            QCOMPARE(n->checkState(0), Qt::Unchecked);
            if (n != root)
                QCOMPARE(imageOf(n), NodeImage::MusicFolder);
        }

        QTreeWidgetItem *album = byText(tree, "Album B");
        QVERIFY(album);
        QCOMPARE(w.model().fullPath(BatchType::CD, w.nodeIndex(album)), m_cd + "/Artist A/Album B");
        QCOMPARE(w.model().node(BatchType::CD, 3)->key, keyOf(album));
        QCOMPARE(queueRows(w.lvBatch(0)),
                 (QStringList{"Artist A|Album B|" + m_cd + "/Artist A/Album B|Queued|3",
                              "Tag Artist|Tag Album|" + m_cd + "/Artist A/Misc|Queued|4"}));
        QVERIFY(byText(tree, "Plain")); // a node, but no row

        QStringList dvdRows = queueRows(w.lvBatch(1));
        QCOMPARE(dvdRows, (QStringList{"Alien|" + m_dvd + "/Alien/Disc 1|Queued|3",
                                       "Alien|" + m_dvd + "/Alien/Disc 2|Queued|4",
                                       "Heat|" + m_dvd + "/Heat|Queued|5"}));
        QCOMPARE(imageOf(byKey(w.tvBatch(1), w.model().node(BatchType::DVD, 3)->key)), NodeImage::DvdFolder);
        QCOMPARE(w.model().node(BatchType::DVD, 5)->key, m_dvd + "/Heat");
        QCOMPARE(w.lblStatusLeft()->text(), QString());
    }

    void typeSwitch()
    {
        setRoots(m_cd, m_dvd);
        frmBatch w;
        w.show();
        QCOMPARE(w.BatchTypeIndex(), 0);
        QVERIFY(w.tvBatch(0)->isVisible());
        QVERIFY(!w.tvBatch(1)->isVisible());
        QVERIFY(!child<QPushButton>(&w, "cmdCrop")->isVisible());
        QTest::mouseClick(child<QRadioButton>(&w, "optType(1)"), Qt::LeftButton);
        QCOMPARE(w.BatchTypeIndex(), 1);
        QVERIFY(w.tvBatch(1)->isVisible());
        QVERIFY(!w.tvBatch(0)->isVisible());
        QVERIFY(child<QGroupBox>(&w, "fraSearch(1)")->isVisible());
        QVERIFY(!child<QGroupBox>(&w, "fraSearch(0)")->isVisible());
        QVERIFY(child<QGroupBox>(&w, "fraBatched(1)")->isVisible());
        QVERIFY(!child<QGroupBox>(&w, "fraBatched(0)")->isVisible());
        QVERIFY(child<QPushButton>(&w, "cmdCrop")->isVisible());

        // New goes back to the CD set.
        w.cmdNew_Click();
        QCOMPARE(w.BatchTypeIndex(), 0);
        QVERIFY(child<QRadioButton>(&w, "optType(0)")->isChecked());
        QVERIFY(w.tvBatch(0)->isVisible());
    }

    void tickPropagation()
    {
        setRoots(m_cd, m_dvd);
        const QString albumKey = m_cd + "/Artist A/Album B";
        writeRecords(albumKey, {"one", "two"});
        frmBatch w;
        w.RestoreLastBatch();
        QFile::remove(albumKey + "/batch.rlt");
        QTreeWidgetItem *album = byKey(w.tvBatch(0), albumKey);
        QTreeWidgetItem *hit1 = album->child(0);
        QTreeWidgetItem *hit2 = album->child(1);
        QTreeWidgetItem *artist = album->parent();
        QTreeWidgetItem *misc = byKey(w.tvBatch(0), m_cd + "/Artist A/Misc");
        QTreeWidgetItem *root = w.tvBatch(0)->topLevelItem(0);
        QTreeWidgetItem *untagged = byKey(w.tvBatch(0), m_cd + "/Untagged");
        QVERIFY(hit1 && hit2 && album && misc && untagged);
        QVERIFY(album->isExpanded());

        // Ticking a hit ticks its ancestors only.
        hit1->setCheckState(0, Qt::Checked);
        QCOMPARE(album->checkState(0), Qt::Checked);
        QCOMPARE(artist->checkState(0), Qt::Checked);
        QCOMPARE(root->checkState(0), Qt::Checked);
        QCOMPARE(hit2->checkState(0), Qt::Unchecked);
        QCOMPARE(misc->checkState(0), Qt::Unchecked);
        QCOMPARE(untagged->checkState(0), Qt::Unchecked);

        // Ticking a folder leaves its children as they are.
        misc->setCheckState(0, Qt::Checked);
        hit2->setCheckState(0, Qt::Checked);
        // Unticking the artist clears the whole subtree, not the root.
        artist->setCheckState(0, Qt::Unchecked);
        for (QTreeWidgetItem *n : {album, misc, hit1, hit2})
            QCOMPARE(n->checkState(0), Qt::Unchecked);
        QCOMPARE(root->checkState(0), Qt::Checked);
    }

    void checkAllFollowsShownType()
    {
        setRoots(m_cd, m_dvd);
        writeRecords(m_cd + "/Artist A/Misc", {"hit"});
        frmBatch w;
        w.RestoreLastBatch();
        QFile::remove(m_cd + "/Artist A/Misc/batch.rlt");
        QTest::mouseClick(child<QPushButton>(&w, "cmdCheckAll"), Qt::LeftButton);
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(0)))
            QCOMPARE(n->checkState(0), Qt::Checked);
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(1)))
            QCOMPARE(n->checkState(0), Qt::Unchecked);

        QTest::mouseClick(child<QRadioButton>(&w, "optType(1)"), Qt::LeftButton);
        w.cmdCheckAll_Click();
        QTest::mouseClick(child<QPushButton>(&w, "cmdUncheckAll"), Qt::LeftButton);
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(1)))
            QCOMPARE(n->checkState(0), Qt::Unchecked);
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(0)))
            QCOMPARE(n->checkState(0), Qt::Checked);

        // After Check All, unticking one node still propagates down.
        QTreeWidgetItem *misc = byKey(w.tvBatch(0), m_cd + "/Artist A/Misc");
        misc->setCheckState(0, Qt::Unchecked);
        QCOMPARE(misc->child(0)->checkState(0), Qt::Unchecked);
    }

    void closeDuringScanStopsFirst()
    {
        setRoots(m_cd, m_dvd);
        auto *w = new frmBatch;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QPointer<frmBatch> alive(w);
        // The close arrives while New is scanning: the scan stops, and the
        // window goes only after the handler has returned.
        QTimer::singleShot(0, w, [w] { w->close(); });
        w->cmdNew_Click();
        QVERIFY(alive);
        QCOMPARE(w->queueRowCount(0), 0);
        QCOMPARE(w->queueRowCount(1), 0);
        QTRY_VERIFY(alive.isNull());
    }

    void scansAgainAfterAnInterruptedClose()
    {
        // A window kept after closing (no delete on close) and shown again
        // scans in full: the close that stopped the last scan is over.
        setRoots(m_cd, m_dvd);
        frmBatch w;
        w.show();
        QTimer::singleShot(0, &w, [&w] { w.close(); });
        w.cmdNew_Click();
        QTRY_VERIFY(!w.isVisible());
        w.show();
        w.cmdNew_Click();
        QCOMPARE(w.queueRowCount(0), 2);
        QCOMPARE(w.queueRowCount(1), 3);
        QVERIFY(w.isVisible());
    }

    void missingRootIsReported()
    {
        const QString gone = m_dir.filePath("NoSuchFolder");
        setRoots(gone, "none");
        frmBatch w;
        QCOMPARE(w.tvBatch(0)->topLevelItemCount(), 1);
        QCOMPARE(w.queueRowCount(0), 0);
        QVERIFY(w.lblStatusLeft()->text().contains(gone));
        w.cmdNew_Click();
        QVERIFY(w.lblStatusLeft()->text().startsWith("Folders Complete ("));
        QCOMPARE(w.lblStatusLeft()->text().count(gone), 1);
    }

    void runOverSampleCollection()
    {
        setRoots(m_dir.filePath("Demo"), "None");
        frmBatch w;
        w.show();
        // A folder that became read-only since the scan (and, as permissions
        // do not stop root, one whose results file is blocked by a folder).
        const QString failing = m_dir.filePath("Demo") + "/Marlow & Keys/Second Floor";
        QFile::setPermissions(failing, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (::geteuid() == 0)
            QVERIFY(QDir().mkpath(failing + "/batch.rlt"));
        w.cmdCheckAll_Click();
        byKey(w.tvBatch(0), m_dir.filePath("Demo") + "/Neon Parade")
            ->setCheckState(0, Qt::Unchecked);

        m_now = 1'000'000;
        QString shownWhileRunning;
        bool disabledWhileRunning = false;
        QTimer::singleShot(0, &w, [&] {
            m_now += 65'000;
            w.tmrBatch_Timer();
            shownWhileRunning = w.lblStatusLeft()->text();
            disabledWhileRunning = !w.findChild<QPushButton *>("cmdNew")->isEnabled() &&
                                   !w.findChild<QRadioButton *>("optType(1)")->isEnabled() &&
                                   w.cmdStart()->text() == "&Cancel" && w.findChild<QTimer *>("tmrBatch")->isActive();
            m_now += 3'660'000;
        });
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        QFile::setPermissions(failing, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        QDir(failing + "/batch.rlt").removeRecursively();

        QCOMPARE(shownWhileRunning, QStringLiteral("Batch Process Started - 001:05"));
        QVERIFY(disabledWhileRunning);
        QCOMPARE(w.lblStatusLeft()->text(),
                 QStringLiteral("Batch Process Complete - 062:05 (1 folder(s) failed)"));
        QCOMPARE(statuses(w, 0),
                 (QStringList{"Complete", "Complete", "Complete", "Complete", "Failed", "Complete",
                              "Skipped", "Complete", "Complete", "Complete"}));
        // The failed row says why when pointed at.
        QVERIFY(w.lvBatch(0)->topLevelItem(4)->toolTip(3).startsWith(
            "the folder could not be written: batch.rlt ("));
        QCOMPARE(
            (QStringList{child<QLabel>(&w, "lblArtist(0)")->text(), child<QLabel>(&w, "lblAlbum(0)")->text(), child<QLabel>(&w, "lblSite(0)")->text(),
                         child<QLabel>(&w, "lblResults(0)")->text(), w.cmdStart()->text()}),
            (QStringList{"The Quiet Harbours", "Lantern Season", "Brinsell...", "1", "&Start"}));
        QCOMPARE(child<QProgressBar>(&w, "prgTotal(0)")->maximum(), 9);
        QCOMPARE(child<QProgressBar>(&w, "prgTotal(0)")->value() + child<QProgressBar>(&w, "prgSearch(0)")->value(), 0);
        QVERIFY(!w.cmdStart()->isEnabled() && !w.findChild<QTimer *>("tmrBatch")->isActive());

        // Metallica's Vantory hit is its first match and is saved; the
        // Brinsell ones are recorded after it. Copper Valley has only a
        // partner offer (artist N/A): recorded, never saved.
        const QString metallica = m_dir.filePath("Demo") + "/Metallica/Black";
        const QStringList metallicaHits = hitsOf(w.tvBatch(0), metallica);
        QCOMPARE(metallicaHits, (QStringList{"1|Metallica Black|5", "2|Metallica Black|6",
                                             "3|N/A Black (Anniversary Edition)|6"}));
        QCOMPARE(QImage(metallica + "/Metallica - Black.jpg").size(), QSize(500, 500));
        const QString copper = m_dir.filePath("Demo") + "/Copper Valley/Dust Roads";
        QCOMPARE(hitsOf(w.tvBatch(0), copper), QStringList{"1|N/A Dust Roads|6"});
        QCOMPARE(QDir(copper).entryList({"*.jpg"}), QStringList());
        // Ada Lindqvist Trio is on no enabled genre: the shop's own Brinsell
        // product is its match.
        QVERIFY(QFileInfo::exists(m_dir.filePath("Demo") +
                                  "/Ada Lindqvist Trio/Blue Meridian/"
                                  "Ada Lindqvist Trio - Blue Meridian.jpg"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("Demo") + "/Neon Parade/Night Shift/batch.rlt"));

        // Restore reads the same hits back from the results files (all red,
        // as a file does not say which was saved), with an empty queue.
        w.RestoreLastBatch();
        QCOMPARE(w.lblStatusLeft()->text(), QStringLiteral("Batch Results Complete"));
        QCOMPARE(w.queueRowCount(0) + w.queueRowCount(1), 0);
        QVERIFY(!w.cmdStart()->isEnabled());
        QVERIFY(child<QPushButton>(&w, "cmdNew")->isEnabled());
        QVERIFY(w.findChild<QAction *>("mnuOptionsRestore")->isEnabled());
        QStringList restored = metallicaHits;
        restored.replaceInStrings("|5", "|6");
        QCOMPARE(hitsOf(w.tvBatch(0), metallica), restored);
        QCOMPARE(hitsOf(w.tvBatch(0), copper), QStringList{"1|N/A Dust Roads|6"});

        // New starts over: a fresh queue, no hits, Start available again.
        w.cmdNew_Click();
        QCOMPARE(w.lblStatusLeft()->text(), QStringLiteral("Folders Complete"));
        QVERIFY(w.cmdStart()->isEnabled());
        QCOMPARE(statuses(w, 0), QStringList(10, "Queued"));
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(0))) {
            QCOMPARE(n->checkState(0), Qt::Unchecked);
            QVERIFY(imageOf(n) < NodeImage::HitSaved);
        }
    }

    void cancelDuringSlowPage()
    {
        setRoots(slowCollection(), "None");
        ScopedRecordingMessageBox boxes;
        frmBatch w;
        w.show();
        w.cmdCheckAll_Click();
        QString cancelled;
        bool startDisabled = false;
        QTimer::singleShot(300, &w, [&] {
            QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
            cancelled = w.lblStatusLeft()->text();
            startDisabled = !w.cmdStart()->isEnabled() && w.cmdStart()->text() == "&Start";
            // New while the run winds down waits for it.
            QTest::mouseClick(child<QPushButton>(&w, "cmdNew"), Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        // The slow page is given up, not waited for.
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(cancelled, QStringLiteral("Batch Process Cancelled"));
        QVERIFY(startDisabled);
        QVERIFY(w.lblStatusLeft()->text().startsWith("Batch Process Complete - 000:0"));
        QCOMPARE(statuses(w, 0), (QStringList{"Searching", "Queued"}));
        QCOMPARE(QFileInfo(slowCollection() + "/Metallica/Black/batch.rlt").size(), 0);
        QVERIFY(!heldOpen("batch.rlt"));
        QVERIFY(!w.cmdStart()->isEnabled());
        QTRY_COMPARE(w.lblStatusLeft()->text(), QStringLiteral("Folders Complete"));
        QVERIFY(w.cmdStart()->isEnabled());

        // Start on a type with an empty queue.
        w.findChild<QRadioButton *>("optType(1)")->click();
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        QCOMPARE(boxes.box.shown.size(), 1);
        QCOMPARE(boxes.box.shown[0].text, QStringLiteral("No Artist/Albums in batch queue."));
        QCOMPARE(boxes.box.shown[0].title, QStringLiteral("Batch Error"));
        QCOMPARE(boxes.box.shown[0].buttons, MsgButtons::OkOnly);
        QCOMPARE(boxes.box.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(w.cmdStart()->text(), QStringLiteral("&Start"));
        QVERIFY(w.cmdStart()->isEnabled());
    }

    void closingDuringRunStopsItFirst()
    {
        setRoots(slowCollection(), "None");
        auto *w = new frmBatch;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        w->cmdCheckAll_Click();
        QPointer<frmBatch> alive(w);
        bool stillThere = false;
        QTimer::singleShot(300, w, [&] {
            w->findChild<QAction *>("mnuFileExit")->trigger();
            stillThere = alive && w->isVisible();
        });
        w->cmdStart_Click();
        QVERIFY(stillThere); // the run is stopped first
        QCOMPARE(statuses(*w, 0), (QStringList{"Searching", "Queued"}));
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!heldOpen("batch.rlt"));
    }
    void previewHits_data()
    {
        QTest::addColumn<QStringList>("urls"); // record 1 is previewed first, then the last
        QTest::addColumn<QString>("shown");    // status, resolution, site, messages
        const QString first = "/pic/60x60.jpg";
        QStringList twelve{first};
        for (int i = 2; i <= 12; ++i)
            twelve << QStringLiteral("/pic/%1x100.jpg").arg(100 + i);
        // A failed preview leaves nothing of the one before on show.
        const QString failed =
            "Preview Failed|||Error: Unable to download Cover Art from internet.";
        // An address naming both retailers is Vantory's; case is ignored.
        QTest::newRow("Vantory") << QStringList{first, "/pic/500x500-brinsell-vantory.jpg"}
                                 << "Preview Complete|500x500|Vantory|";
        QTest::newRow("Brinsell") << QStringList{first, "/pic/400x500-BrinSell.jpg"}
                                  << "Preview Complete|400x500|Brinsell|";
        QTest::newRow("key 0012: record 12") << twelve << "Preview Complete|112x100|Unknown|";
        QTest::newRow("EXIF orientation 6")
            << QStringList{first, "/images/V/dvd-sideways-tall_500X500.jpg"}
            << "Preview Complete|200x400|Unknown|";
        QTest::newRow("download fails") << QStringList{first, "/pic/missing.jpg"} << failed;
        // The download worked: no word of a download.
        QTest::newRow("not a picture")
            << QStringList{first, "/download.html"} << "Preview Failed|||";
        QTest::newRow("JPEG cut short")
            << QStringList{first, "/images/V/server-cut_500X500.jpg"} << "Preview Failed|||";
        QTest::newRow("results file gone")
            << QStringList{first, first} << failed + " Error number 53";
        QTest::newRow("results file cut short")
            << QStringList{first, first} << failed + " Error number 62";
    }

    void previewHits()
    {
        QFETCH(QStringList, urls);
        QString folder;
        const auto w = restored(QTest::currentDataTag(), false, urls, folder);
        QTreeWidget *tree = w->tvBatch(0);
        QTreeWidgetItem *album = byKey(tree, folder);
        clickNode(tree, album->child(0));
        QCOMPARE(child<QLabel>(w.get(), "lblRes")->text(), QStringLiteral("60x60"));
        const QString tag = QTest::currentDataTag();
        if (tag == "results file gone")
            QFile::remove(folder + "/batch.rlt");
        if (tag == "results file cut short")
            QFile::resize(folder + "/batch.rlt", 355);
        ScopedRecordingMessageBox boxes;
        clickNode(tree, album->child(album->childCount() - 1));
        const QStringList shown{
            w->lblStatusRight()->text(), child<QLabel>(w.get(), "lblRes")->text(),
            child<QLabel>(w.get(), "lblPreviewSite")->text(), texts(boxes.box).join(',')};
        QTEST(shown.join('|'), "shown");
        const QFileInfo preview(m_dir.filePath("app/preview.jpg"));
        const QImage onShow = child<QLabel>(w.get(), "imgPreview")->pixmap().toImage();
        if (shown[0] == "Preview Complete") {
            QCOMPARE(child<QLabel>(w.get(), "lblSize")->text(),
                     QString::number(qRound(preview.size() / 1024.0)) + " Kbytes");
            // Fitted into the area; the tall one upright, red above blue.
            QVERIFY(onShow.width() <= 250 && onShow.height() <= 250);
            if (tag == "EXIF orientation 6") {
                QCOMPARE(onShow.size(), QSize(124, 248));
                QVERIFY(TestFiles::channelDistance(onShow.pixel(62, 20), qRgb(0xd0, 0x20, 0x20)) <
                        16);
                QVERIFY(TestFiles::channelDistance(onShow.pixel(62, 228), qRgb(0x20, 0x40, 0xc0)) <
                        16);
            }
        } else {
            QVERIFY(onShow.isNull());
            QCOMPARE(child<QLabel>(w.get(), "lblSize")->text(), QString());
        }
        QVERIFY(!heldOpen("batch.rlt"));
    }

    void clicksOffHitsDoNothing()
    {
        QString folder;
        const auto w = restored("off", true, {"/pic/500x500.jpg"}, folder);
        QTreeWidget *tree = w->tvBatch(1);
        ScopedRecordingMessageBox boxes;
        w->lblStatusRight()->setText("as before");
        for (QTreeWidgetItem *node : {tree->topLevelItem(0), byKey(tree, folder)}) {
            clickNode(tree, node);
            clickNode(tree, node, true);
            w->cmdDownload_Click();
            w->cmdCrop_Click();
        }
        w->tvBatch_Click(0); // the CD tree is empty
        w->tvBatch_DblClick(0);
        QCOMPARE(w->lblStatusRight()->text(), QStringLiteral("as before"));
        QVERIFY(boxes.box.shown.isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"batch.rlt"});
    }

    void downloadHits_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::addColumn<QString>("tmpl");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("how"); // "crop", or the answers: "No", "Yes keep", ...
        QTest::addColumn<bool>("autoCrop");
        QTest::addColumn<QString>("saved");  // the name, a blank, the size in the folder
        QTest::addColumn<QString>("status"); // %1: the picture's path
        QTest::addColumn<QString>("messages");
        const QString v500 = "/pic/500x500-vantory.jpg";
        const QString as = "Downloaded as %1";
        const QString ask = "Replace Cover Art?: Cover Art already exists in this folder.  Do you "
                            "want to compare the Cover Art before replacing?";
        const QString empty = "Unable to download: Cover Art was found to be empty.  Please "
                              "choose another to download.";
        QTest::newRow("CD name") << false << "@artist@ - @album@" << v500 << "" << true
                                 << "Metallica - Black.jpg 500x500" << as << "";
        QTest::newRow("DVD name") << true << "@artist@ - @album@"
                                  << "/pic/400x500.jpg"
                                  << "" << false << "Alien - .jpg 400x500" << as << "";
        QTest::newRow("1x1 never saved") << false << "folder"
                                         << "/pic/1x1.jpg"
                                         << "" << false << ""
                                         << "" << empty;
        // The temporary name beside a 250-character name is too long to be made.
        QTest::newRow("No, but the copy fails")
            << false << QString(250, 'x') << v500 << "No" << false
            << QString(250, 'x') + ".jpg 10x10"
            << "Download Error"
            << ask + ",Error: An error occured.  Cover Art not downloaded.  Error number: 75";
        QTest::newRow("Yes, then keep")
            << false << "old" << v500 << "Yes keep" << false << "old.jpg 10x10"
            << "Original Cover Art not replaced" << ask;
        QTest::newRow("Yes, then replace")
            << false << "old" << v500 << "Yes replace" << false << "old.jpg 500x500" << as << ask;
        QTest::newRow("Auto-Crop, 500x500")
            << true << "folder" << v500 << "" << true << "folder.jpg 350x500" << as << "";
        QTest::newRow("Auto-Crop, 400x500") << true << "folder"
                                            << "/pic/400x500-vantory.jpg"
                                            << "" << true << "folder.jpg 400x500" << as << "";
        QTest::newRow("Auto-Crop off")
            << true << "folder" << v500 << "" << false << "folder.jpg 500x500" << as << "";
        QTest::newRow("Crop & Save") << true << "folder"
                                     << "/pic/500x500.jpg"
                                     << "crop" << false << "folder.jpg 350x500"
                                     << "%1 Complete"
                                     << "";
        QTest::newRow("Crop & Save, empty picture") << true << "folder"
                                                    << "/pic/1x1.jpg"
                                                    << "crop" << false << ""
                                                    << "" << empty;
    }

    void downloadHits()
    {
        QFETCH(bool, dvd);
        QFETCH(QString, tmpl);
        QFETCH(QString, url);
        QFETCH(QString, how);
        QFETCH(bool, autoCrop);
        QFETCH(QString, saved);
        QFETCH(QString, status);
        QString folder;
        const auto w = restored(QTest::currentDataTag(), dvd, {url}, folder);
        ScopedRecordingMessageBox boxes;
        if (how.startsWith("Yes") || how == "No") {
            QImage old(10, 10, QImage::Format_RGB32);
            old.fill(Qt::red);
            QVERIFY(old.save(folder + '/' + tmpl + ".jpg"));
            boxes.box.answers = {how == "No" ? MsgAnswer::No : MsgAnswer::Yes};
        }
        modJacketeer().qsName = tmpl;
        modJacketeer().batch.autoCrop = autoCrop;
        frmCompare::setExecFunction([&how](frmCompare &c) {
            how.endsWith("replace") ? c.cmdQuickSave_Click(1) : c.reject();
        });
        QTreeWidgetItem *hit = byKey(w->tvBatch(dvd), folder)->child(0);
        w->tvBatch(dvd)->setCurrentItem(hit);
        QTest::mouseClick(child<QPushButton>(w.get(), how == "crop" ? "cmdCrop" : "cmdDownload"),
                          Qt::LeftButton);
        frmCompare::setExecFunction({});
        modJacketeer().batch.autoCrop = false;

        const QString path = folder + '/' + saved.section(' ', 0, -2);
        QCOMPARE(w->lblStatusRight()->text(), status.contains("%1") ? status.arg(path) : status);
        QTEST(texts(boxes.box).join(','), "messages");
        const bool green = status.startsWith("Downloaded") || status.endsWith("Complete");
        QCOMPARE(imageOf(hit), green ? NodeImage::HitSaved : NodeImage::HitNotSaved);
        if (saved.isEmpty()) {
            QCOMPARE(QDir(folder).entryList({"*.jpg"}), QStringList());
            return;
        }
        const QImage picture(path);
        QCOMPARE(QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()),
                 saved.section(' ', -1));
        if (how == "crop") {
            // Columns 75 to 424 of the source: no other offset fits as well.
            const QString source = m_dir.filePath("source.jpg");
            QCOMPARE(URLDownloadToFile(m_sim.url(url), source), 0);
            const QImage whole(source);
            QList<qint64> distance;
            for (int left = 70; left <= 80; ++left) {
                qint64 d = 0;
                for (int y = 0; y < 500; y += 2)
                    for (int x = 0; x < 350; ++x)
                        d += qAbs(qGray(picture.pixel(x, y)) - qGray(whole.pixel(left + x, y)));
                distance << d;
            }
            QCOMPARE(std::min_element(distance.begin(), distance.end()) - distance.begin(), 5);
        }
    }

    void previewAndDownloadAfterRun()
    {
        const QString root = m_dir.filePath("RunDVD");
        makeFolder(root + "/Harbour Lights");
        makeFolder(root + "/Cold Creek Trilogy");
        makeFolder(root + "/Sideways Scan");
        setRoots("None", root);
        modJacketeer().batch.autoCrop = true;
        frmBatch w;
        w.show();
        child<QRadioButton>(&w, "optType(1)")->click();
        w.cmdCheckAll_Click();
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        modJacketeer().batch.autoCrop = false;
        // Auto-Crop cut the 500x500 Vantory picture and left the 400x500 one.
        QCOMPARE(QImage(root + "/Harbour Lights/Harbour Lights - .jpg").size(), QSize(350, 500));
        const QString trilogy = root + "/Cold Creek Trilogy";
        QCOMPARE(QImage(trilogy + "/Cold Creek Trilogy - .jpg").size(), QSize(400, 500));
        // A 500x500 sent turned (EXIF orientation 6) is cut upright, blue on
        // the left, red on the right, and carries no orientation any more.
        const QString sideways = root + "/Sideways Scan/Sideways Scan - .jpg";
        const QImage cover(sideways);
        QCOMPARE(cover.size(), QSize(350, 500));
        QVERIFY(TestFiles::channelDistance(cover.pixel(10, 250), qRgb(0x20, 0x40, 0xc0)) < 16);
        QVERIFY(TestFiles::channelDistance(cover.pixel(340, 250), qRgb(0xd0, 0x20, 0x20)) < 16);
        QVERIFY(!TestFiles::readFile(sideways).contains("Exif"));

        // Its Vantory and its Brinsell hit.
        QTreeWidget *tree = w.tvBatch(1);
        QTreeWidgetItem *folder = byKey(tree, trilogy);
        QCOMPARE(hitsOf(tree, trilogy),
                 (QStringList{"1|DVD Cold Creek Trilogy|5", "2| Cold Creek Trilogy|6"}));
        for (int i : {1, 0}) {
            clickNode(tree, folder->child(i));
            QCOMPARE(w.lblStatusRight()->text(), QStringLiteral("Preview Complete"));
            QCOMPARE(child<QLabel>(&w, "lblRes")->text(), QStringLiteral("400x500"));
        }

        // A green hit downloads again, closing a compare window left open.
        QPointer<frmCompare> open = frmCompare::openTwoHit({}, {}, &w);
        ScopedRecordingMessageBox boxes;
        boxes.box.answers = {MsgAnswer::No};
        clickNode(tree, folder->child(0), true);
        QTRY_VERIFY(open.isNull());
        QCOMPARE(w.lblStatusRight()->text(),
                 "Downloaded as " + trilogy + "/Cold Creek Trilogy - .jpg");
        QCOMPARE(boxes.box.shown.size(), 1);
        QCOMPARE(imageOf(folder->child(0)), NodeImage::HitSaved);
    }

    // Pictures as image servers send them, saved by a run with Replace on: a
    // JPEG cut short leaves the picture there as it was, a WebP or a PNG is
    // saved as a JPEG of its pixels.
    void runSavesPicturesAsSent()
    {
        const QString root = m_dir.filePath("Served");
        for (const char *album : {"WebP Sent", "PNG Sent", "Cut Short"})
            QVERIFY(
                writeTagged(root + "/Image Server/" + album + "/01.mp3", "Image Server", album));
        // Both hold a picture: the WebP replaces its own, the cut JPEG does not.
        const QString kept = root + "/Image Server/Cut Short/Image Server - Cut Short.jpg";
        const QByteArray old = TestFiles::readFile(TestFiles::writePicture(kept, 40, 40));
        TestFiles::writePicture(root + "/Image Server/WebP Sent/Image Server - WebP Sent.jpg", 40,
                                40);
        Settings().setOn(Keys::BatchReplace, true);
        setRoots(root, "None");
        frmBatch w;
        w.show();
        w.cmdCheckAll_Click();
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        Settings().setOn(Keys::BatchReplace, false);
        QCOMPARE(TestFiles::readFile(kept), old);
        for (const QString sent : {"WebP", "PNG"}) {
            const QString saved =
                root + "/Image Server/" + sent + " Sent/Image Server - " + sent + " Sent.jpg";
            const QImage original(TestFiles::testData("pictures/quadrants." + sent.toLower()));
            QCOMPARE(QImageReader(saved).format(), "jpeg");
            const int distance = TestFiles::pictureDistance(QImage(saved), original);
            QVERIFY2(distance >= 0 && distance <= 16, qPrintable(sent));
        }
    }

    void mixedRunSummaryCheckMissingAndUndo()
    {
        const QString root = m_dir.filePath("Mixed");
        const QStringList albums{"Metallica/Black",      "Size Test/Square 300",
                                 "Size Test/Square 500", "Size Test/Placeholder",
                                 "Nobody/Nothing Here",  "Picture Trouble/Broken Cover"};
        for (const QString &a : albums)
            QVERIFY(
                writeTagged(root + '/' + a + "/01.mp3", a.section('/', 0, 0), a.section('/', 1)));
        const QString square300 = root + "/Size Test/Square 300/Size Test - Square 300.jpg";
        const QString square500 = root + "/Size Test/Square 500/Size Test - Square 500.jpg";
        QVERIFY(QImage(500, 500, QImage::Format_RGB32).save(square300));
        QVERIFY(QImage(100, 100, QImage::Format_RGB32).save(square500));
        {
            Settings store;
            store.setOn(Keys::BatchReplace, true);
            store.setOn(Keys::BatchReplaceLarger, true);
        }
        setRoots(root, "None");
        ScopedRecordingMessageBox boxes;
        frmBatch w;
        w.show();
        w.cmdCheckAll_Click();
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);

        // The status line keeps its text; the counts go under the queue.
        QCOMPARE(w.lblStatusLeft()->text(),
                 QStringLiteral("Batch Process Complete - 000:00 (1 folder(s) failed)"));
        QCOMPARE(child<QLabel>(&w, "lblSummary(0)")->text(),
                 QStringLiteral("Saved 1, replaced 1, kept 1, no match 1, no hits 1, failed 1"));
        QFile csv(m_dir.filePath("app/batch-log.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(csv.readAll()).split("\r\n");
        QCOMPARE(lines.takeLast(), QString()); // every line ends in CR LF
        QCOMPARE(lines.takeFirst(), QStringLiteral("Folder,Status,Hits,Saved file or reason"));
        QCOMPARE(lines.takeLast(), QStringLiteral(",summary,,\"Saved 1, replaced 1, kept 1, no "
                                                  "match 1, no hits 1, failed 1\""));
        const QString pictures = "http://" + m_sim.hostPort() + "/images/V/";
        const QStringList expected{
            root + "/Metallica/Black,saved,3," + root + "/Metallica/Black/Metallica - Black.jpg",
            root + "/Nobody/Nothing Here,no hits,0,nothing found",
            root + "/Picture Trouble/Broken Cover,failed,2,picture not downloaded (HTTP 500): " +
                pictures + "trouble-error_500X500.jpg",
            root + "/Size Test/Placeholder,no match,2,the matching picture was empty: " + pictures +
                "size-1x1_500X500.jpg",
            root + "/Size Test/Square 300,kept,2,existing 500x500 picture kept: the new one is "
                   "300x300",
            root + "/Size Test/Square 500,replaced,2," + square500};
        lines.sort();
        QCOMPARE(lines, expected);

        // Check Missing: the folders still without their picture, and their
        // ancestors; nothing else.
        QTest::mouseClick(child<QPushButton>(&w, "cmdCheckMissing"), Qt::LeftButton);
        QStringList ticked;
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(0)))
            if (n->checkState(0) == Qt::Checked)
                ticked << n->text(0);
        ticked.sort();
        QCOMPARE(ticked, (QStringList{root, "Broken Cover", "Nobody", "Nothing Here",
                                      "Picture Trouble", "Placeholder", "Size Test"}));

        // Undo puts back the replaced picture and removes the new one.
        QAction *undo = w.findChild<QAction *>("mnuOptionsUndo");
        undo->trigger();
        QCOMPARE(boxes.box.shown.size(), 2);
        QCOMPARE(boxes.box.shown[0].text,
                 QStringLiteral("Undo the last batch? 1 replaced picture(s) will be put back and "
                                "1 new picture(s) removed, where they are still as the batch "
                                "left them."));
        QCOMPARE(boxes.box.shown[1].text,
                 QStringLiteral("Put back 1 replaced picture(s) and removed 1 new picture(s)."));
        QCOMPARE(boxes.box.shown[1].title, QStringLiteral("Undo Last Batch"));
        QCOMPARE(QImage(square500).size(), QSize(100, 100));
        QVERIFY(!QFileInfo::exists(root + "/Metallica/Black/Metallica - Black.jpg"));
        for (QTreeWidgetItem *n : allNodes(w.tvBatch(0)))
            QVERIFY(imageOf(n) != NodeImage::HitSaved);
        undo->trigger();
        QCOMPARE(boxes.box.shown.last().text, QStringLiteral("There is no batch to undo."));

        Settings store;
        store.setOn(Keys::BatchReplace, false);
        store.setOn(Keys::BatchReplaceLarger, false);
    }

    void pacedRunAndCancelDuringRetryWait()
    {
        // Its own simulator, whose log says when each request came.
        SimulatorProcess sim;
        const QString log = m_dir.filePath("paced.log");
        QVERIFY2(sim.start(qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"), {"--log", log}),
                 qPrintable(sim.errorString()));
        Settings store;
        sim.configureSites(store);
        store.setNumber(Keys::RequestIntervalMs, 300);
        store.sync();
        const QString root = m_dir.filePath("Paced");
        QVERIFY(writeTagged(root + "/Metallica/Black/01.mp3", "Metallica", "Black"));
        setRoots(root, "None");
        frmBatch w;
        w.show();
        w.cmdCheckAll_Click();
        w.cmdStart_Click();
        // Two genre pages, Brinsell's and the picture, one host: 300 ms apart.
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        for (int i = 1; i < lines.size(); ++i) {
            const qint64 gap =
                lines[i].split(' ')[0].toLongLong() - lines[i - 1].split(' ')[0].toLongLong();
            QVERIFY2(gap >= 285, qPrintable(QString::number(gap)));
        }

        // A page turned away is asked for again after 2 s; Cancel ends that
        // wait at once.
        store.setNumber(Keys::RequestIntervalMs, 0);
        store.sync();
        QVERIFY(writeTagged(root + "/Busy/Shop/01.mp3", "Metallica", "Black simerror503"));
        w.cmdNew_Click();
        w.cmdCheckAll_Click();
        QTimer::singleShot(500, &w, [&w] { QTest::mouseClick(w.cmdStart(), Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        w.cmdStart_Click();
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(statuses(w, 0).first(), QStringLiteral("Searching"));
        QCOMPARE(child<QLabel>(&w, "lblSummary(0)")->text(),
                 QStringLiteral("Saved 0, replaced 0, kept 0, no match 0, no hits 0, failed 0"));
        m_sim.configureSites(store);
    }
};

JACKETEER_GUI_TEST_MAIN(TestFrmBatch)
#include "tst_frmbatch.moc"
