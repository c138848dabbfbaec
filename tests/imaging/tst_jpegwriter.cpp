#include "imaging/cdibsection.h"
#include "imaging/ijl.h"

#include "imagingtesthelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <stdexcept>

using namespace imagingtest;

class TestJpegWriter : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void padBytes_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("expected"); // -1: the row's size overflows
        QTest::newRow("1x3") << 1 << 3 << 1;
        QTest::newRow("2x3") << 2 << 3 << 2;
        QTest::newRow("3x3") << 3 << 3 << 3;
        QTest::newRow("4x3") << 4 << 3 << 0;
        QTest::newRow("350x3 cover") << 350 << 3 << 2;
        QTest::newRow("500x3 square") << 500 << 3 << 0;
        QTest::newRow("5x4") << 5 << 4 << 0;
        QTest::newRow("largest row") << 536870911 << 4 << 0; // 2147483644 + 3 still fits
        QTest::newRow("product too large") << (1 << 30) << 3 << -1;
        QTest::newRow("padding too large") << 715827882 << 3 << -1; // 2147483646 + 3
        QTest::newRow("max width") << std::numeric_limits<int>::max() << 1 << -1;
        QTest::newRow("negative product") << std::numeric_limits<int>::min() << 2 << -1;
    }
    void padBytes()
    {
        QFETCH(int, width);
        QFETCH(int, channels);
        QFETCH(int, expected);
        if (expected < 0)
            QVERIFY_THROWS_EXCEPTION(std::overflow_error, JpegPadBytes(width, channels));
        else
            QCOMPARE(JpegPadBytes(width, channels), expected);
    }

    void writesQuality85Picture_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("pad");
        QTest::newRow("350x500 padded rows") << 350 << 500 << 3 << 2;
        QTest::newRow("500x500") << 500 << 500 << 3 << 0;
        QTest::newRow("odd 37x23") << 37 << 23 << 3 << 1;
        QTest::newRow("32-bit 64x48") << 64 << 48 << 4 << 0;
    }
    void writesQuality85Picture()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, channels);
        cDIBSection dib;
        QVERIFY(dib.Create(width, height, channels));
        fillGradient(*dib.hDC());
        const JpegWriteSettings s = jpegWriteSettings(dib);
        QTEST(s.dibPadBytes, "pad");
        QCOMPARE(s.pitch, dib.BytesPerScanLine());
        QCOMPARE(s.dibHeight, -height); // top-down rows
        QCOMPARE(s.pixelFormat, channels == 3 ? int(TJPF_BGR) : int(TJPF_BGRX));
        const QString file = path(QStringLiteral("q%1.jpg").arg(QTest::currentDataTag()));
        QVERIFY(SaveJpeg(dib, file));

        const QByteArray bytes = readFile(file);
        const std::optional<JpegFacts> facts = jpegFacts(bytes);
        QVERIFY(facts);
        QCOMPARE(facts->width, width);
        QCOMPARE(facts->height, height);
        QCOMPARE(facts->tables[0], scaledTable(kStdLuminance, 85));
        QCOMPARE(facts->tables[1], scaledTable(kStdChrominance, 85));
        const QList<std::pair<int, int>> sampling{{2, 2}, {1, 1}, {1, 1}}; // 4:2:0
        QCOMPARE(facts->sampling, sampling);

        const QImage decoded = decodeJpeg(bytes);
        QCOMPARE(decoded.size(), QSize(width, height));
        int worst = 0;
        for (int y = 0; y < height; y += 3)
            for (int x = 0; x < width; x += 3)
                worst = std::max(
                    worst, channelDistance(decoded.pixel(x, y), gradient(x, y, width, height)));
        QVERIFY2(worst <= 24, qPrintable(QString::number(worst)));
    }

    // Whatever the reason, a picture that cannot be written leaves no file:
    // the replacement itself is tested with the file operations.
    void nothingWrittenOnFailure_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty bitmap") << 0 << QStringLiteral("empty.jpg");
        QTest::newRow("missing folder") << 8 << QStringLiteral("nowhere/cover.jpg");
    }
    void nothingWrittenOnFailure()
    {
        QFETCH(int, side);
        QFETCH(QString, name);
        cDIBSection dib;
        QVERIFY(side == 0 || dib.Create(side, side, 3));
        QVERIFY(!SaveJpeg(dib, path(name)));
        QVERIFY(!QFile::exists(path(name)));
    }
};

QTEST_GUILESS_MAIN(TestJpegWriter)
#include "tst_jpegwriter.moc"
