#include "cover/covercrop.h"
#include "cover/coverfile.h"

#include "imagingtesthelpers.h"
#include "recordingmessagebox.h"
#include "testfolders.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace imagingtest;

namespace
{

// The mean colour of a column of a decoded picture: JPEG blurs single pixels
// but keeps a column's average close.
QRgb columnMean(const QImage &image, int x)
{
    long r = 0, g = 0, b = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb c = image.pixel(x, y);
        r += qRed(c);
        g += qGreen(c);
        b += qBlue(c);
    }
    const int n = image.height();
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
        const CropResult result = cropCoverArt(source, target, box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QVERIFY(box.shown.isEmpty());

        // Before JPEG: exactly columns 75..424 of the source.
        QCOMPARE(result.cropped.convertToFormat(QImage::Format_RGB32),
                 source.copy(75, 0, 350, 500));

        const QByteArray written = readFile(target);
        const std::optional<JpegFacts> facts = jpegFacts(written);
        QVERIFY(facts);
        QCOMPARE(facts->tables[0], scaledTable(kStdLuminance, 85));
        QCOMPARE(facts->tables[1], scaledTable(kStdChrominance, 85));
        const QList<std::pair<int, int>> sampling{{2, 2}, {1, 1}, {1, 1}}; // 4:2:0
        QCOMPARE(facts->sampling, sampling);
        const QImage decoded = decodeJpeg(written);
        QCOMPARE(decoded.size(), QSize(350, 500));
        // Neighbouring source columns differ by about 0.5 per channel, so a
        // one-column shift cannot be seen here; the exact check is above. This
        // catches a wrong rectangle, a flipped picture or swapped channels.
        QVERIFY(channelDistance(columnMean(decoded, 0), columnMean(source, 75)) <= 4);
        QVERIFY(channelDistance(columnMean(decoded, 349), columnMean(source, 424)) <= 4);
        QVERIFY(channelDistance(decoded.pixel(175, 2), source.pixel(250, 2)) <= 12);
        QVERIFY(channelDistance(decoded.pixel(175, 497), source.pixel(250, 497)) <= 12);

        // Nothing was left beside the picture or in the application folder.
        QCOMPARE(QDir(m_folders.path("app")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Harbour Lights.jpg")});
    }

    void cropsTheUprightPicture()
    {
        // Stored with its top half red, shown turned: blue on the left, red on
        // the right, and so is the cover cut from it.
        const QString target = m_dir.filePath(QStringLiteral("Sideways.jpg"));
        QVERIFY(QFile::copy(TestFiles::testData("pictures/exif6-500x500.jpg"), target));
        RecordingMessageBox box;
        QCOMPARE(cropCoverArt(CoverFile::readPicture(target), target, box).outcome,
                 CropOutcome::Cropped);
        const QByteArray written = readFile(target);
        QVERIFY(!written.contains("Exif")); // no viewer turns it again
        const QImage cover(target);
        QCOMPARE(cover.size(), QSize(350, 500));
        for (const QPoint at : {QPoint(10, 10), QPoint(10, 490), QPoint(170, 250)})
            QVERIFY(channelDistance(cover.pixel(at), qRgb(0x20, 0x40, 0xc0)) <= 12);
        for (const QPoint at : {QPoint(340, 10), QPoint(340, 490), QPoint(180, 250)})
            QVERIFY(channelDistance(cover.pixel(at), qRgb(0xd0, 0x20, 0x20)) <= 12);
    }

    void smallPictureGetsBlackMargin()
    {
        // Only columns 75..299 and rows 0..199 exist; the rest of the cover is black.
        QImage source(300, 200, QImage::Format_RGB32);
        source.fill(QColor(200, 40, 90));
        const QString target = m_dir.filePath(QStringLiteral("small.jpg"));
        QVERIFY(source.save(target, "JPG"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(source, target, box);
        QCOMPARE(result.outcome, CropOutcome::Cropped);
        QCOMPARE(result.cropped.size(), QSize(350, 500));
        QCOMPARE(result.cropped.pixel(0, 0), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(224, 199), qRgb(200, 40, 90));
        QCOMPARE(result.cropped.pixel(225, 0), qRgb(0, 0, 0));
        QCOMPARE(result.cropped.pixel(0, 200), qRgb(0, 0, 0));
        QCOMPARE(decodeJpeg(readFile(target)).size(), QSize(350, 500));
    }

    void failedWriteKeepsPicture()
    {
        // A name so long that the new file cannot be made beside it.
        QTemporaryDir dir;
        const QString target = dir.filePath(QString(250, 'x') + ".jpg");
        const QImage source = gradientPicture(500, 500);
        QVERIFY(source.save(target, "JPG"));
        const QByteArray before = readFile(target);
        RecordingMessageBox box;
        QCOMPARE(cropCoverArt(source, target, box).outcome, CropOutcome::WriteFailed);
        QCOMPARE(readFile(target), before);
        QVERIFY(box.shown.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void pictureThatCannotBeLoaded()
    {
        const QString target = m_dir.filePath(QStringLiteral("untouched.jpg"));
        QVERIFY(TestFiles::writeFile(target, "not replaced"));
        RecordingMessageBox box;
        const CropResult result = cropCoverArt(CoverFile::readPicture(target), target, box);
        QCOMPARE(result.outcome, CropOutcome::LoadFailed);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].text, "Can't load BMP image");
        QCOMPARE(box.shown[0].title, "Jacketeer");
        QCOMPARE(box.shown[0].icon, MsgIcon::None);
        QCOMPARE(readFile(target), QByteArray("not replaced"));
    }
};

QTEST_GUILESS_MAIN(TestCoverCrop)
#include "tst_covercrop.moc"
