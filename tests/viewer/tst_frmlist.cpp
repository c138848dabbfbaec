#include "base/modjacketeer.h"
#include "viewer/frmlist.h"

#include "controltext.h"
#include "guitestmain.h"
#include "recordingmessagebox.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using TestFiles::writePicture;

namespace
{

QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void clickNode(QTreeWidget *tree, QTreeWidgetItem *item, bool twice = false)
{
    QVERIFY(item);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    if (twice) {
        // Press and double click without the release that would also count
        // as a click, so only the double-click handler runs.
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    }
}

} // namespace

class TestFrmList : public QObject
{
    Q_OBJECT
private:
    TestFolders m_folders;
    std::unique_ptr<QTemporaryDir> m_shelf;
    QString m_cdRoot;
    QString m_dvdRoot;

    std::unique_ptr<frmList> open()
    {
        modJacketeer().batchCDPath = m_cdRoot;
        modJacketeer().batchDVDPath = m_dvdRoot;
        auto w = std::make_unique<frmList>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        return w;
    }

private slots:
    void init()
    {
        m_shelf = std::make_unique<QTemporaryDir>();
        m_cdRoot = m_shelf->path() + "/Music";
        m_dvdRoot = m_shelf->path() + "/DVD";
        QVERIFY(TestFiles::writeFile(m_cdRoot + "/Metallica/Black/notes.txt"));
        // Stored 400x200, shown upright (EXIF orientation 6) as 200x400.
        QVERIFY(QFile::copy(TestFiles::testData("pictures/exif6-400x200.jpg"),
                            m_cdRoot + "/Metallica/Black/cover.JPG"));
        writePicture(m_cdRoot + "/Metallica/Black/cover.jpeg", 10, 10);
        writePicture(m_dvdRoot + "/Harbour Lights/Harbour Lights.jpg", 500, 500);
        writePicture(m_cdRoot + "/Odd/Album.jpg/inside.jpg", 20, 20);
    }

    void captionsAndTypeSwitch()
    {
        m_cdRoot = "nOnE"; // no CD tree, and nothing to report
        const auto w = open();
        QCOMPARE(w->findChild<QTreeWidget *>("tvViewer(0)")->topLevelItemCount(), 0);
        QCOMPARE(w->findChild<QLabel *>("lblStatus")->text(), QString());
        QCOMPARE(w->windowTitle(), QStringLiteral("Jacketeer - Artshelf"));
        compareCaptions(w.get(), "viewer-captions.tsv");
        auto *crop = w->findChild<QPushButton *>("cmdCrop");
        QCOMPARE(w->CurrentPicturePath(), QString());
        // Opens on CD, without the crop; then DVD and back.
        QVERIFY(w->findChild<QRadioButton *>("optType(0)")->isChecked());
        for (const char *type : {"", "optType(1)", "optType(0)"}) {
            if (*type)
                QTest::mouseClick(w->findChild<QRadioButton *>(type), Qt::LeftButton);
            const bool dvd = QByteArray(type) == "optType(1)";
            QCOMPARE(w->findChild<QTreeWidget *>("tvViewer(0)")->isVisible(), !dvd);
            QCOMPARE(w->findChild<QTreeWidget *>("tvViewer(1)")->isVisible(), dvd);
            QCOMPARE(crop->isVisible(), dvd);
        }
    }

    void showsPictureWithSizeAndResolution_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("click") << false;
        QTest::newRow("double click") << true;
    }
    void showsPictureWithSizeAndResolution()
    {
        QFETCH(bool, doubleClick);
        const QString file = m_cdRoot + "/Metallica/Black/cover.JPG";
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        const QString broken = m_cdRoot + "/Metallica/Black/broken.jpg";
        QVERIFY(TestFiles::writeFile(broken, "this is not a picture"));
        m_dvdRoot = m_shelf->path() + "/NoSuchFolder";
        const auto w = open();
        auto *status = w->findChild<QLabel *>("lblStatus");
        const QString rootMissing = "DVD folder not found: " + m_dvdRoot;
        QCOMPARE(status->text(), rootMissing);
        QCOMPARE(w->findChild<QTreeWidget *>("tvViewer(1)")->topLevelItem(0)->text(0), m_dvdRoot);
        // Which nodes the walk finds is the scan's test; the root opens expanded.
        auto *cd = w->findChild<QTreeWidget *>("tvViewer(0)");
        QCOMPARE(cd->topLevelItem(0)->text(0), m_cdRoot);
        QVERIFY(cd->topLevelItem(0)->isExpanded());
        QVERIFY(!findNode(cd, "cover.JPG")->icon(0).isNull());
        clickNode(cd, findNode(cd, "cover.JPG"), doubleClick);

        QCOMPARE(w->CurrentPicturePath(), file);
        QCOMPARE(w->shownPicture().size(), QSize(200, 400));
        QCOMPARE(w->findChild<QLabel *>("picViewer")->pixmap().size(), QSize(200, 400));
        QCOMPARE(w->findChild<QLabel *>("lblSize")->text(), "1 Kbytes"); // 1,493 bytes
        QCOMPARE(w->findChild<QLabel *>("lblRes")->text(), QStringLiteral("200x400"));
        // Selecting the picture made it writable again.
        QVERIFY(QFile::permissions(file) & QFileDevice::WriteOwner);

        // A folder node changes nothing, even one named like a picture.
        clickNode(cd, findNode(cd, "Black"), doubleClick);
        clickNode(cd, findNode(cd, "Album.jpg"), doubleClick);
        clickNode(cd, cd->topLevelItem(0), doubleClick);
        QCOMPARE(w->CurrentPicturePath(), file);
        QCOMPARE(w->findChild<QLabel *>("lblRes")->text(), QStringLiteral("200x400"));
        QCOMPARE(w->shownPicture().size(), QSize(200, 400));

        // A file that is no picture is reported; the window stays usable.
        clickNode(cd, findNode(cd, "broken.jpg"), doubleClick);
        QCOMPARE(status->text(), "Cannot show picture: " + broken + "\n" + rootMissing);
        QCOMPARE(w->CurrentPicturePath(), QString());
        QVERIFY(w->shownPicture().isNull());
        QCOMPARE(w->findChild<QLabel *>("lblRes")->text(), QString());
        clickNode(cd, findNode(cd, "cover.JPG"), doubleClick);
        QCOMPARE(w->CurrentPicturePath(), file);
        QCOMPARE(status->text(), rootMissing);
    }

    void cropsDvdPictureInPlace()
    {
        ScopedRecordingMessageBox box;
        const QString file = m_dvdRoot + "/Harbour Lights/Harbour Lights.jpg";
        const auto w = open();
        QTest::mouseClick(w->findChild<QRadioButton *>("optType(1)"), Qt::LeftButton);
        auto *dvd = w->findChild<QTreeWidget *>("tvViewer(1)");
        // Nothing on show: the button does nothing.
        QTest::mouseClick(w->findChild<QPushButton *>("cmdCrop"), Qt::LeftButton);
        QVERIFY(box.box.shown.isEmpty());
        clickNode(dvd, findNode(dvd, "Harbour Lights.jpg"));
        QCOMPARE(w->shownPicture().size(), QSize(500, 500));
        const QString sizeBefore = w->findChild<QLabel *>("lblSize")->text();

        QTest::mouseClick(w->findChild<QPushButton *>("cmdCrop"), Qt::LeftButton);
        QVERIFY(box.box.shown.isEmpty());
        QCOMPARE(QImageReader(file).size(), QSize(350, 500));
        QCOMPARE(w->shownPicture().size(), QSize(350, 500));
        QCOMPARE(w->findChild<QLabel *>("picCropAfter")->pixmap().size(), QSize(350, 500));
        // The labels keep describing the picture as it was selected.
        QCOMPARE(w->findChild<QLabel *>("lblRes")->text(), QStringLiteral("500x500"));
        QCOMPARE(w->findChild<QLabel *>("lblSize")->text(), sizeBefore);
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(m_dvdRoot + "/Harbour Lights").entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Harbour Lights.jpg"});

        // The folder disappears behind the viewer's back: nowhere to write.
        QVERIFY(QDir(m_dvdRoot + "/Harbour Lights").removeRecursively());
        QTest::mouseClick(w->findChild<QPushButton *>("cmdCrop"), Qt::LeftButton);
        QCOMPARE(box.box.shown.size(), 1);
        QCOMPARE(box.box.shown[0].text, QStringLiteral("Cropping of image failed."));
        QCOMPARE(box.box.shown[0].title, QStringLiteral("Cropping Error"));
        QCOMPARE(box.box.shown[0].buttons, MsgButtons::OkOnly);
        QCOMPARE(box.box.shown[0].icon, MsgIcon::Information);
        QCOMPARE(w->shownPicture().size(), QSize(350, 500));
        QVERIFY(!QDir(m_dvdRoot + "/Harbour Lights").exists());
    }
};

JACKETEER_GUI_TEST_MAIN(TestFrmList)
#include "tst_frmlist.moc"
