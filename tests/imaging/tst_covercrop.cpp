#include "base/appfolder.h"
#include "imaging/covercrop.h"

#include "imagingtesthelpers.h"
#include "recordingmessagebox.h"
#include "testfolders.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace imagingtest;

namespace
{

// The mean colour of a column of a decoded picture: JPEG blurs single pixels
// but keeps a column's average close.
QRgb columnMean(const QImage &image, int x, int fromRow, int toRow)
{
    long r = 0, g = 0, b = 0;
    for (int y = fromRow; y < toRow; ++y) {
        const QRgb c = image.pixel(x, y);
        r += qRed(c);
        g += qGreen(c);
        b += qBlue(c);
    }
    const int n = toRow - fromRow;
    return qRgb(int(r / n), int(g / n), int(b / n));
}

} // namespace

class TestCoverCrop : public QObject
{
    Q_OBJECT
private:
    TestFolders m_folders;
    QTemporaryDir m_dir;

private slots:
    void crops500SquareToCover()
    {
        const QImage source = gradientPicture(500, 500);
        const QString target = m_dir.filePath(QStringLiteral("Harbour Lights.jpg"));
        QVERIFY(source.save(target, "JPG"));

        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, viewerCropScratch(), box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QVERIFY(box.shown.isEmpty());

        // Before JPEG: exactly columns 75..424 of the source.
        QCOMPARE(result.cropped.size(), QSize(350, 500));
        QCOMPARE(result.cropped.convertToFormat(QImage::Format_RGB32),
                 source.copy(75, 0, 350, 500));
        // The viewer shows the shared bitmap: tst_frmlist's cropsDvdPictureInPlace.

        const QByteArray written = readFile(target);
        const std::optional<JpegFacts> facts = jpegFacts(written);
        QVERIFY(facts);
        QCOMPARE(facts->tables[0], scaledTable(kStdLuminance, 85));
        QCOMPARE(facts->tables[1], scaledTable(kStdChrominance, 85));
        const QImage decoded = decodeJpeg(written);
        QCOMPARE(decoded.size(), QSize(350, 500));
        // Neighbouring source columns differ by about 0.5 per channel, so a
        // one-column shift cannot be seen here; the exact check is above. This
        // catches a wrong rectangle, a flipped picture or swapped channels.
        QVERIFY(channelDistance(columnMean(decoded, 0, 0, 500), columnMean(source, 75, 0, 500)) <=
                4);
        QVERIFY(channelDistance(columnMean(decoded, 349, 0, 500),
                                columnMean(source, 424, 0, 500)) <= 4);
        QVERIFY(channelDistance(decoded.pixel(175, 2), source.pixel(250, 2)) <= 12);
        QVERIFY(channelDistance(decoded.pixel(175, 497), source.pixel(250, 497)) <= 12);

        // The scratch bitmaps are gone and nothing else was left beside the picture.
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Harbour Lights.jpg")});
    }

    void smallPictureGetsBlackMargin()
    {
        // Only columns 75..299 and rows 0..199 exist; the rest of the cover is black.
        QImage source(300, 200, QImage::Format_RGB32);
        source.fill(QColor(200, 40, 90));
        const QString target = m_dir.filePath(QStringLiteral("small.jpg"));
        QVERIFY(source.save(target, "JPG"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, batchCropScratch(), box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QVERIFY(box.shown.isEmpty());
        QCOMPARE(result.cropped.size(), QSize(350, 500));
        QCOMPARE(result.cropped.pixel(0, 0), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(224, 199), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(225, 0), qRgb(0, 0, 0));
        QCOMPARE(result.cropped.pixel(0, 200), qRgb(0, 0, 0));
        QCOMPARE(decodeJpeg(readFile(target)).size(), QSize(350, 500));
    }

    void failedWriteKeepsPicture()
    {
        const QImage source = gradientPicture(500, 500);
        const QString target = m_dir.filePath(QStringLiteral("keep.jpg"));
        QVERIFY(source.save(target, "JPG"));
        const QByteArray before = readFile(target);

        RecordingMessageBox box;
        QString askedFor;
        const CropResult result =
            cropCoverArt(source, target, viewerCropScratch(), box,
                         [&askedFor](const cDIBSection &dib, const QString &path) {
                             askedFor = path;
                             // The picture must still be there when the writer starts.
                             return dib.dib_width() == 350 && QFile::exists(path) && false;
                         });
        QCOMPARE(result.outcome, CropOutcome::WriteFailed);
        QCOMPARE(askedFor, target);
        QCOMPARE(readFile(target), before);
        QVERIFY(box.shown.isEmpty());
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void pictureThatCannotBeWrittenOut()
    {
        const QString target = m_dir.filePath(QStringLiteral("untouched.jpg"));
        QVERIFY(writeFile(target, "not replaced"));
        RecordingMessageBox box;
        bool writerCalled = false;
        const CropResult result =
            cropCoverArt(QImage(), target, viewerCropScratch(), box,
                         [&](const cDIBSection &, const QString &) { return writerCalled = true; });
        QCOMPARE(result.outcome, CropOutcome::BitmapLoadFailed);
        QVERIFY(!writerCalled);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].text, "Can't load BMP image");
        QCOMPARE(readFile(target), QByteArray("not replaced"));
    }

    void capturePicture_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QSize>("size");          // empty: no picture
        QTest::addColumn<int>("blackFromColumn"); // -1: no black part
        QTest::newRow("inside") << QRect(2, 1, 5, 3) << QSize(5, 3) << -1;
        QTest::newRow("past the right edge") << QRect(6, 0, 4, 2) << QSize(4, 2) << 2;
        QTest::newRow("zero width") << QRect(0, 0, 0, 3) << QSize() << -1;
    }
    void capturePicture()
    {
        QFETCH(QRect, rect);
        QFETCH(QSize, size);
        QFETCH(int, blackFromColumn);
        QImage source(8, 4, QImage::Format_BGR888);
        source.fill(QColor(10, 20, 30));
        const QImage picture =
            CapturePicture(&source, rect.x(), rect.y(), rect.width(), rect.height());
        QCOMPARE(picture.size(), size.isValid() ? size : QSize(0, 0));
        if (picture.isNull())
            return;
        QCOMPARE(picture.pixel(0, 0), qRgb(10, 20, 30));
        if (blackFromColumn >= 0) {
            QCOMPARE(picture.pixel(blackFromColumn - 1, 0), qRgb(10, 20, 30));
            QCOMPARE(picture.pixel(blackFromColumn, 0), qRgb(0, 0, 0));
        }
        QVERIFY(CapturePicture(nullptr, 0, 0, 3, 3).isNull());
    }
};

QTEST_GUILESS_MAIN(TestCoverCrop)
#include "tst_covercrop.moc"
