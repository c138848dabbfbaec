#include "imaging/cdibsection.h"

#include "imaging/bmpfile.h"
#include "imaging/imagingtexts.h"

#include <QtGlobal>

#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
              "32-bit bitmaps rely on Format_RGB32 storing blue, green, red, unused");

namespace
{

cDIBSection::Handle nextHandle()
{
    static cDIBSection::Handle last = 0;
    return ++last;
}

QImage::Format formatFor(int bitCount)
{
    return bitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
}

} // namespace

cDIBSection::~cDIBSection()
{
    CleanUp();
}

void cDIBSection::fillInfo(int width, int height, int bitCount)
{
    m_info = BitmapInfo{};
    m_info.headerSize = 40;
    m_info.width = width;
    m_info.height = -height;
    m_info.planes = 1;
    m_info.bitCount = std::uint16_t(bitCount);
    m_info.compression = 0;
    m_info.sizeImage = std::uint32_t(qint64(BytesPerScanLine()) * height);
}

bool cDIBSection::CreateDIB(int width, int height, int channels, Handle &dib)
{
    dib = 0;
    if (width <= 0 || height <= 0)
        return false;
    const int bitCount = channels == 3 ? 24 : 32;
    QImage section(width, height, formatFor(bitCount));
    if (section.isNull())
        return false;
    section.fill(Qt::black);
    fillInfo(width, height, bitCount);
    m_section = std::move(section);
    m_dib = nextHandle();
    dib = m_dib;
    return true;
}

bool cDIBSection::Create(int width, int height, int channels)
{
    CleanUp();
    Handle dib = 0;
    if (!CreateDIB(width, height, channels, dib)) {
        CleanUp();
        return false;
    }
    m_selected = true;
    return true;
}

bool cDIBSection::Load(const QString &path, IMessageBox &box)
{
    CleanUp();
    QImage image = readBmpFile(path);
    if (image.isNull()) {
        box.show(ImagingTexts::kCantLoadBmp, ImagingTexts::kAppTitle, MsgButtons::OkOnly,
                 MsgIcon::None);
        return false;
    }
    fillInfo(image.width(), image.height(), 24);
    // The row length is part of this class's contract with the JPEG writer.
    if (image.bytesPerLine() != BytesPerScanLine()) {
        QImage padded(image.width(), image.height(), QImage::Format_BGR888);
        if (padded.isNull()) {
            CleanUp();
            return false;
        }
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(padded.scanLine(y), image.constScanLine(y), size_t(image.width()) * 3);
        image = std::move(padded);
    }
    m_section = std::move(image);
    m_dib = nextHandle();
    m_selected = true;
    return true;
}

int cDIBSection::BytesPerScanLine() const
{
    const qint64 bytes = qint64(m_info.bitCount / 8) * m_info.width + 3;
    return int(bytes & ~qint64(3));
}

int cDIBSection::dib_width() const
{
    return m_info.width;
}

int cDIBSection::dib_height() const
{
    return m_info.height < 0 ? -m_info.height : m_info.height;
}

int cDIBSection::dib_channels() const
{
    return m_info.bitCount / 8;
}

void cDIBSection::PaintPicture(QImage *targetDC, int targetLeft, int targetTop, int targetWidth,
                               int targetHeight, int sourceLeft, int sourceTop,
                               std::uint32_t rasterOp) const
{
    const QImage *source = hDC();
    if (!source || !targetDC || targetDC->isNull())
        return;
    if (targetDC->depth() != 24 && targetDC->depth() != 32)
        return;
    switch (rasterOp) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case NOTSRCCOPY:
        break;
    default:
        return;
    }
    const int width = targetWidth < 0 ? dib_width() : targetWidth;
    const int height = targetHeight < 0 ? dib_height() : targetHeight;

    // Clip against both pictures, moving the source corner with the target's.
    QRect target(targetLeft, targetTop, width, height);
    target &= targetDC->rect();
    QRect from = target.translated(sourceLeft - targetLeft, sourceTop - targetTop);
    from &= source->rect();
    target = from.translated(targetLeft - sourceLeft, targetTop - sourceTop);
    if (target.isEmpty())
        return;

    const QImage piece = source->copy(from).convertToFormat(targetDC->format());
    const qsizetype rowBytes = qsizetype(target.width()) * (targetDC->depth() / 8);
    const qsizetype offset = qsizetype(target.left()) * (targetDC->depth() / 8);
    for (int y = 0; y < target.height(); ++y) {
        const uchar *src = piece.constScanLine(y);
        uchar *dst = targetDC->scanLine(target.top() + y) + offset;
        switch (rasterOp) {
        case SRCCOPY:
            std::memcpy(dst, src, size_t(rowBytes));
            break;
        case SRCPAINT:
            for (qsizetype i = 0; i < rowBytes; ++i)
                dst[i] |= src[i];
            break;
        case SRCAND:
            for (qsizetype i = 0; i < rowBytes; ++i)
                dst[i] &= src[i];
            break;
        case SRCINVERT:
            for (qsizetype i = 0; i < rowBytes; ++i)
                dst[i] ^= src[i];
            break;
        case NOTSRCCOPY:
            for (qsizetype i = 0; i < rowBytes; ++i)
                dst[i] = uchar(~src[i]);
            break;
        }
    }
}

QImage *cDIBSection::hDC()
{
    return m_selected ? &m_section : nullptr;
}

const QImage *cDIBSection::hDC() const
{
    return m_selected ? &m_section : nullptr;
}

uchar *cDIBSection::DIBSectionBitsPtr()
{
    return m_section.isNull() ? nullptr : m_section.bits();
}

const uchar *cDIBSection::DIBSectionBitsPtr() const
{
    return m_section.isNull() ? nullptr : m_section.constBits();
}

void cDIBSection::CleanUp()
{
    m_selected = false;
    m_section = QImage();
    m_dib = 0;
    m_info = BitmapInfo{};
    m_info.headerSize = 40;
}
