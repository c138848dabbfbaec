#pragma once

#include "base/messagebox.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>

// The program's bitmap: pixels in blue-green-red order (24 bits, or 32 when made
// with four channels), each row padded to a multiple of 4 bytes, with a drawing
// surface (the device context) laid over the same bits so rectangles can be
// copied in and out. Rows are always kept top-down, so the height in the
// information block is negative while a bitmap is held.
class cDIBSection
{
public:
    // A handle is 0 when there is nothing behind it.
    using Handle = std::uintptr_t;

    // Raster operations understood by PaintPicture (the values the platform's
    // BitBlt uses, so stored or ported numbers keep their meaning).
    enum RasterOp : std::uint32_t {
        SRCCOPY = 0x00CC0020,
        SRCPAINT = 0x00EE0086,  // source OR target
        SRCAND = 0x008800C6,    // source AND target
        SRCINVERT = 0x00660046, // source XOR target
        NOTSRCCOPY = 0x00330008,
    };

    // The platform's BITMAPINFOHEADER followed by one RGBQUAD.
    struct BitmapInfo {
        std::int32_t headerSize = 40;
        std::int32_t width = 0;
        std::int32_t height = 0; // negative: rows stored top-down
        std::uint16_t planes = 0;
        std::uint16_t bitCount = 0;
        std::uint32_t compression = 0;
        std::uint32_t sizeImage = 0;
        std::int32_t xPelsPerMeter = 0;
        std::int32_t yPelsPerMeter = 0;
        std::uint32_t clrUsed = 0;
        std::uint32_t clrImportant = 0;
        std::array<std::uint8_t, 4> colour{};
    };

    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection &) = delete;
    cDIBSection &operator=(const cDIBSection &) = delete;

    // Makes the pixel buffer (24 bits per pixel for 3 channels, 32 otherwise)
    // and hands back its handle; no drawing surface yet.
    bool CreateDIB(int width, int height, int channels, Handle &dib);
    // Empties the instance, then makes a bitmap of the given size with its
    // drawing surface. False when the size is not positive or memory runs out.
    bool Create(int width, int height, int channels);
    // Loads a BMP file of any depth as a 24-bit bitmap of the file's size. A
    // file that is missing or not a complete BMP is reported through `box`
    // ("Can't load BMP image") and leaves the instance empty.
    bool Load(const QString &path, IMessageBox &box = messageBox());

    int BytesPerScanLine() const;
    int dib_width() const;
    int dib_height() const;
    int dib_channels() const;

    // Copies a rectangle of this bitmap onto `targetDC` (a picture of 24 or 32
    // bits per pixel) at the target position; a target width or height below 0
    // stands for this bitmap's own. Parts outside either picture are skipped.
    void PaintPicture(QImage *targetDC, int targetLeft = 0, int targetTop = 0, int targetWidth = -1,
                      int targetHeight = -1, int sourceLeft = 0, int sourceTop = 0,
                      std::uint32_t rasterOp = SRCCOPY) const;

    // The drawing surface over the pixel bits; nullptr when empty.
    QImage *hDC();
    const QImage *hDC() const;
    Handle hDib() const { return m_dib; }
    uchar *DIBSectionBitsPtr();
    const uchar *DIBSectionBitsPtr() const;
    const BitmapInfo &bitmapInfo() const { return m_info; }

    void CleanUp();

private:
    void fillInfo(int width, int height, int bitCount);

    BitmapInfo m_info;
    QImage m_section;        // owns the pixel bits
    bool m_selected = false; // the section is on a drawing surface
    Handle m_dib = 0;
};
