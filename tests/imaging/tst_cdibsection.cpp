#include "imaging/bmpfile.h"
#include "imaging/cdibsection.h"

#include "imagingtesthelpers.h"
#include "recordingmessagebox.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace imagingtest;

namespace
{

// A pattern where every pixel differs from its neighbours in every channel.
QRgb pattern(int x, int y)
{
    return qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 71) & 0xff, (x * 13 + y * 3 + 128) & 0xff);
}

QRgb dibPixel(const cDIBSection &dib, int x, int y)
{
    const uchar *p = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine() + x * dib.dib_channels();
    return qRgb(p[2], p[1], p[0]);
}

} // namespace

class TestDibSection : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void bytesPerScanLine_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 px 24-bit") << 1 << 3 << 4;
        QTest::newRow("2 px 24-bit") << 2 << 3 << 8;
        QTest::newRow("3 px 24-bit") << 3 << 3 << 12;
        QTest::newRow("4 px 24-bit") << 4 << 3 << 12;
        QTest::newRow("350 px cover") << 350 << 3 << 1052;
        QTest::newRow("500 px square") << 500 << 3 << 1500;
        QTest::newRow("3 px 32-bit") << 3 << 4 << 12;
    }
    void bytesPerScanLine()
    {
        QFETCH(int, width);
        QFETCH(int, channels);
        QFETCH(int, expected);
        cDIBSection dib;
        QVERIFY(dib.Create(width, 2, channels));
        QCOMPARE(dib.BytesPerScanLine(), expected);
        QCOMPARE(dib.hDC()->bytesPerLine(), expected);
        QCOMPARE(dib.bitmapInfo().sizeImage, quint32(expected * 2));
        QCOMPARE(dib.dib_channels(), channels);
    }

    void load_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height"); // negative: top-down file
        QTest::addColumn<int>("bits");
        QTest::newRow("8-bit palette") << 7 << 5 << 8;
        QTest::newRow("24-bit bottom-up") << 5 << 3 << 24;
        QTest::newRow("24-bit top-down") << 6 << -4 << 24;
        QTest::newRow("24-bit padded odd width") << 350 << 20 << 24;
        QTest::newRow("32-bit") << 9 << 6 << 32;
        QTest::newRow("32-bit top-down") << 3 << -2 << 32;
    }
    void load()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bits);
        const QString file = path(QStringLiteral("in%1.bmp").arg(QTest::currentDataTag()));
        QVERIFY(writeFile(file, craftBmp(width, height, bits, pattern)));

        ScopedRecordingMessageBox box;
        cDIBSection dib;
        QVERIFY(dib.Load(file));
        QVERIFY(box.box.shown.isEmpty());
        const int rows = std::abs(height);
        QCOMPARE(dib.dib_width(), width);
        QCOMPARE(dib.dib_height(), rows);
        QCOMPARE(dib.dib_channels(), 3);
        QCOMPARE(dib.BytesPerScanLine(), ((width * 3 + 3) / 4) * 4);
        const cDIBSection::BitmapInfo &info = dib.bitmapInfo();
        QCOMPARE(info.headerSize, 40);
        QCOMPARE(info.bitCount, quint16(24));
        QCOMPARE(info.compression, quint32(0));
        QCOMPARE(info.height, -rows); // kept top-down
        QVERIFY(dib.hDC() && dib.hDib() != 0 && dib.DIBSectionBitsPtr());
        QCOMPARE(dib.hDC()->constBits(), dib.DIBSectionBitsPtr());

        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb want = bits == 8 ? paletteColour(qGray(pattern(x, y))) : pattern(x, y);
                if (dibPixel(dib, x, y) != want)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void loadFailure_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        const QByteArray good = craftBmp(10, 10, 24, pattern);
        const QByteArray good8 = craftBmp(10, 10, 8, pattern);
        QByteArray forged = good;
        put32(forged, 18, 0x40000000); // a header claiming gigapixels
        put32(forged, 22, 0x40000000);
        QByteArray noDepth = good;
        put16(noDepth, 28, 0);
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("empty file") << QByteArray("", 0);
        QTest::newRow("not a bitmap") << QByteArray("\xff\xd8\xff\xe0 not really a jpeg", 22);
        QTest::newRow("24-bit cut short") << good.left(good.size() - 7);
        QTest::newRow("8-bit cut short") << good8.left(good8.size() - 30);
        QTest::newRow("header only") << good.left(30);
        QTest::newRow("forged size") << forged;
        QTest::newRow("zero depth") << noDepth;
    }
    void loadFailure()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path(QStringLiteral("bad%1.bmp").arg(QTest::currentDataTag()));
        if (!bytes.isNull())
            QVERIFY(writeFile(file, bytes));

        ScopedRecordingMessageBox box;
        cDIBSection dib;
        QVERIFY(dib.Create(4, 4, 3)); // a failed load must also drop what was there
        QVERIFY(!dib.Load(file));
        QCOMPARE(box.box.shown.size(), 1);
        QCOMPARE(box.box.shown[0].text, QStringLiteral("Can't load BMP image"));
        QCOMPARE(box.box.shown[0].title, QStringLiteral("Jacketeer"));
        QCOMPARE(box.box.shown[0].buttons, MsgButtons::OkOnly);
        QCOMPARE(box.box.shown[0].icon, MsgIcon::None);
        QVERIFY(!dib.hDC() && dib.hDib() == 0 && !dib.DIBSectionBitsPtr());
        QCOMPARE((QList<int>{dib.dib_width(), dib.dib_height(), dib.dib_channels(),
                             dib.BytesPerScanLine()}),
                 QList<int>(4, 0));
    }

    void secondLoadReplacesFirst()
    {
        const QString a = path(QStringLiteral("a.bmp"));
        const QString b = path(QStringLiteral("b.bmp"));
        QVERIFY(writeFile(a, craftBmp(4, 4, 24, pattern)));
        QVERIFY(writeFile(b, craftBmp(7, 3, 32, [](int, int) { return qRgb(1, 2, 3); })));
        cDIBSection dib;
        QVERIFY(dib.Load(a));
        const cDIBSection::Handle first = dib.hDib();
        QVERIFY(dib.Load(b));
        QVERIFY(dib.hDib() != first);
        QCOMPARE(dib.dib_width(), 7);
        QCOMPARE(dib.dib_height(), 3);
        QCOMPARE(dib.hDC()->size(), QSize(7, 3));
        QCOMPARE(dibPixel(dib, 6, 2), qRgb(1, 2, 3));
        dib.CleanUp();
        QVERIFY(!dib.hDC() && dib.hDib() == 0 && !dib.DIBSectionBitsPtr());
        QCOMPARE(dib.bitmapInfo().headerSize, 40);
    }

    void paintPicture_data()
    {
        QTest::addColumn<quint32>("rop");
        QTest::addColumn<QRgb>("expected"); // source 0x0f/0xf0/0x3c over target 0x55/0xaa/0xff
        QTest::newRow("copy") << quint32(cDIBSection::SRCCOPY) << qRgb(0x0f, 0xf0, 0x3c);
        QTest::newRow("or") << quint32(cDIBSection::SRCPAINT) << qRgb(0x5f, 0xfa, 0xff);
        QTest::newRow("and") << quint32(cDIBSection::SRCAND) << qRgb(0x05, 0xa0, 0x3c);
        QTest::newRow("xor") << quint32(cDIBSection::SRCINVERT) << qRgb(0x5a, 0x5a, 0xc3);
        QTest::newRow("not source") << quint32(cDIBSection::NOTSRCCOPY) << qRgb(0xf0, 0x0f, 0xc3);
        QTest::newRow("unknown does nothing") << quint32(0x00aa0029) << qRgb(0x55, 0xaa, 0xff);
    }
    void paintPicture()
    {
        QFETCH(quint32, rop);
        QFETCH(QRgb, expected);
        cDIBSection dib;
        QVERIFY(dib.Create(4, 4, 3));
        dib.hDC()->fill(QColor(0x0f, 0xf0, 0x3c));
        for (QImage::Format format : {QImage::Format_BGR888, QImage::Format_RGB32}) {
            QImage target(6, 6, format);
            target.fill(QColor(0x55, 0xaa, 0xff));
            // Two columns of the 4-pixel source hang over the target's edge.
            dib.PaintPicture(&target, 4, 1, -1, 2, 0, 0, rop);
            QCOMPARE(target.pixel(4, 1), expected);
            QCOMPARE(target.pixel(5, 2), expected);
            QCOMPARE(target.pixel(3, 1), qRgb(0x55, 0xaa, 0xff));
            QCOMPARE(target.pixel(4, 3), qRgb(0x55, 0xaa, 0xff));
        }
    }

    void bmpRoundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("RGB32") << int(QImage::Format_RGB32) << QSize(13, 7);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32) << QSize(13, 7);
        QTest::newRow("indexed") << int(QImage::Format_Indexed8) << QSize(13, 7);
        QTest::newRow("BGR888 as captured") << int(QImage::Format_BGR888) << QSize(13, 7);
        // Taller than one band of converted rows, padded rows.
        QTest::newRow("RGB32 many bands") << int(QImage::Format_RGB32) << QSize(349, 211);
        QTest::newRow("BGR888 cover") << int(QImage::Format_BGR888) << QSize(350, 500);
    }
    void bmpRoundTrip()
    {
        QFETCH(int, format);
        QFETCH(QSize, size);
        const int w = size.width(), h = size.height();
        QImage source(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                source.setPixel(x, y, pattern(x, y));
        source = source.convertToFormat(QImage::Format(format));
        if (format == QImage::Format_BGR888) {
            // Whatever lies in the picture's own row padding must not reach the file.
            for (int y = 0; y < h; ++y)
                std::memset(source.scanLine(y) + w * 3, 0xab,
                            size_t(source.bytesPerLine() - w * 3));
        }
        const QString file = path(QStringLiteral("round%1.bmp").arg(QTest::currentDataTag()));
        QVERIFY(writeBmpFile(source, file));
        const int rowBytes = (w * 3 + 3) & ~3;
        const QByteArray bytes = readFile(file);
        QCOMPARE(bytes.size(), 14 + 40 + rowBytes * h);
        for (int row = 0; row < h; ++row)
            for (int i = w * 3; i < rowBytes; ++i)
                QCOMPARE(int(bytes[54 + row * rowBytes + i]), 0);

        const QImage ours = readBmpFile(file);
        QImage theirs;
        QVERIFY(theirs.load(file, "BMP")); // any reader must accept what we write
        QCOMPARE(ours.size(), size);
        QCOMPARE(theirs.size(), size);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                QCOMPARE(ours.pixel(x, y), source.pixel(x, y));
                QCOMPARE(theirs.pixel(x, y), source.pixel(x, y));
            }
    }
};

QTEST_GUILESS_MAIN(TestDibSection)
#include "tst_cdibsection.moc"
