// Batch runs through the real batch window, offscreen, against the retailer
// simulator and the sample collection.

#include "base/modjacketeer.h"
#include "base/settingsstore.h"
#include "batch/batchresultsfile.h"
#include "batch/frmbatch.h"
#include "batch/samplecollection.h"
#include "batchtesthelpers.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "simulatorprocess.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

namespace
{

QList<QTreeWidgetItem *> allNodes(QTreeWidget *tree)
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

QTreeWidgetItem *byKey(QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItem *n : allNodes(tree))
        if (frmBatch::nodeKey(n) == key)
            return n;
    return nullptr;
}

// The hits under a folder node as "record number|text|image".
QStringList hitsOf(QTreeWidget *tree, const QString &folder)
{
    QStringList out;
    QTreeWidgetItem *node = byKey(tree, folder);
    for (int i = 0; node && i < node->childCount(); ++i)
        out << QStringLiteral("%1|%2|%3")
                   .arg(hitRecordNumber(frmBatch::nodeKey(node->child(i)), folder))
                   .arg(node->child(i)->text(0))
                   .arg(int(frmBatch::nodeImage(node->child(i))));
    return out;
}

QStringList statuses(frmBatch &w, int type)
{
    QStringList out;
    for (int r = 0; r < w.queueRowCount(type); ++r)
        out << w.lvBatch(type)->topLevelItem(r)->text(type == 0 ? 3 : 2);
    return out;
}

// Whether the program still holds a file open, by its name.
bool heldOpen(const QString &name)
{
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System))
        if (fd.symLinkTarget().endsWith(name))
            return true;
    return false;
}

} // namespace

class TestBatchWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SimulatorProcess m_sim;
    qint64 m_now = 0; // the run's clock, in milliseconds

    QString cd() const { return m_dir.filePath("CD"); }

    void setRoots(const QString &cdRoot, const QString &dvdRoot)
    {
        SettingsStore store;
        store.write("BatchCDPath", cdRoot);
        store.write("BatchDVDPath", dvdRoot);
        store.write("QSName", "@artist@ - @album@");
        modJacketeer().loadFromStore(store);
    }

    // A collection of two albums whose first one's pages answer slowly.
    QString slowCollection()
    {
        const QString root = m_dir.filePath("Slow");
        if (!QFileInfo::exists(root)) {
            writeTagged(root + "/Metallica/Black/01.mp3", "Metallica", "Black simslow1500");
            writeTagged(root + "/Neon Parade/Night Shift/01.mp3", "Neon Parade", "Night Shift");
        }
        return root;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("JACKETEER_APPDIR", m_dir.filePath("app").toUtf8());
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        SettingsStore store;
        m_sim.configureSites(store);
        for (const char *key : {"BatchVantory", "BatchBrinsell", "BatchGenreRock", "BatchGenrePop"})
            store.write(key, "1");
        QVERIFY(makeDemoCollection(cd(), m_dir.filePath("DVD")).ok());
        frmBatch::setClock([this] { return m_now; });
    }

    void runOverSampleCollection()
    {
        setRoots(cd(), "None");
        frmBatch w;
        w.show();
        // A folder that became read-only since the scan (and, as permissions
        // do not stop root, one whose results file is blocked by a folder).
        const QString failing = cd() + "/Marlow & Keys/Second Floor";
        QFile::setPermissions(failing, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (::geteuid() == 0)
            QVERIFY(QDir().mkpath(failing + "/batch.rlt"));
        w.cmdCheckAll_Click();
        byKey(w.tvBatch(0), cd() + "/Neon Parade")->setCheckState(0, Qt::Unchecked);

        m_now = 1'000'000;
        QString shownWhileRunning;
        bool disabledWhileRunning = false;
        QTimer::singleShot(0, &w, [&] {
            m_now += 65'000;
            w.tmrBatch_Timer();
            shownWhileRunning = w.lblStatusLeft()->text();
            disabledWhileRunning = !w.findChild<QPushButton *>("cmdNew")->isEnabled() &&
                                   !w.findChild<QRadioButton *>("optType(1)")->isEnabled() &&
                                   w.cmdStart()->text() == "&Cancel" && w.tmrBatch()->isActive();
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
        QCOMPARE(w.lblArtist(0)->text(), QStringLiteral("The Quiet Harbours"));
        QCOMPARE(w.lblAlbum()->text(), QStringLiteral("Lantern Season"));
        QCOMPARE(w.lblSite(0)->text(), QStringLiteral("Brinsell..."));
        QCOMPARE(w.lblResults(0)->text(), QStringLiteral("1"));
        QCOMPARE(w.prgTotal(0)->maximum(), 9);
        QCOMPARE(w.prgTotal(0)->value(), 0);
        QCOMPARE(w.prgSearch(0)->value(), 0);
        QVERIFY(!w.cmdStart()->isEnabled());
        QCOMPARE(w.cmdStart()->text(), QStringLiteral("&Start"));
        QVERIFY(!w.tmrBatch()->isActive());

        // Metallica's Vantory hit is its first match and is saved; the
        // Brinsell ones are recorded after it. Copper Valley has only a
        // partner offer (artist N/A): recorded, never saved.
        const QString metallica = cd() + "/Metallica/Black";
        const QStringList metallicaHits = hitsOf(w.tvBatch(0), metallica);
        QCOMPARE(metallicaHits, (QStringList{"1|Metallica Black|5", "2|Metallica Black|6",
                                             "3|N/A Black (Anniversary Edition)|6"}));
        QCOMPARE(QImage(metallica + "/Metallica - Black.jpg").size(), QSize(500, 500));
        const QString copper = cd() + "/Copper Valley/Dust Roads";
        QCOMPARE(hitsOf(w.tvBatch(0), copper), QStringList{"1|N/A Dust Roads|6"});
        QCOMPARE(QDir(copper).entryList({"*.jpg"}), QStringList());
        // Ada Lindqvist Trio is on no enabled genre: the shop's own Brinsell
        // product is its match.
        QVERIFY(QFileInfo::exists(cd() + "/Ada Lindqvist Trio/Blue Meridian/"
                                         "Ada Lindqvist Trio - Blue Meridian.jpg"));
        QVERIFY(!QFileInfo::exists(cd() + "/Neon Parade/Night Shift/batch.rlt"));

        // Restore reads the same hits back from the results files (all red,
        // as a file does not say which was saved).
        w.RestoreLastBatch();
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
            QVERIFY(frmBatch::nodeImage(n) < NodeImage::HitSaved);
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
        });
        QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
        QCOMPARE(cancelled, QStringLiteral("Batch Process Cancelled"));
        QVERIFY(startDisabled);
        QVERIFY(w.lblStatusLeft()->text().startsWith("Batch Process Complete - 000:0"));
        QCOMPARE(statuses(w, 0), (QStringList{"Searching", "Queued"}));
        const QString folder = slowCollection() + "/Metallica/Black";
        QCOMPARE(QFileInfo(folder + "/batch.rlt").size(), 0);
        QVERIFY(!heldOpen("batch.rlt"));
        QVERIFY(!w.cmdStart()->isEnabled());

        // Start on a type with an empty queue.
        w.cmdNew_Click();
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

    void closingDuringRunStopsItFirst_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("Exit menu") << true;
        QTest::newRow("close button") << false;
    }

    void closingDuringRunStopsItFirst()
    {
        QFETCH(bool, viaExit);
        setRoots(slowCollection(), "None");
        auto *w = new frmBatch;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        w->cmdCheckAll_Click();
        QPointer<frmBatch> alive(w);
        bool stillThere = false;
        QTimer::singleShot(300, w, [&] {
            if (viaExit)
                w->findChild<QAction *>("mnuFileExit")->trigger();
            else
                w->close();
            stillThere = alive && w->isVisible();
        });
        w->cmdStart_Click();
        QVERIFY(stillThere); // the run is stopped first
        QCOMPARE(statuses(*w, 0), (QStringList{"Searching", "Queued"}));
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!heldOpen("batch.rlt"));
    }
};

JACKETEER_GUI_TEST_MAIN(TestBatchWindow)
#include "tst_batchwindow.moc"
