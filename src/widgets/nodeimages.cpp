#include "widgets/nodeimages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace
{

// A manila folder filling the square; the tab sits top left.
void drawFolder(QPainter &p, qreal s)
{
    const QColor edge(150, 110, 20);
    QPainterPath back;
    back.moveTo(0.06 * s, 0.22 * s);
    back.lineTo(0.38 * s, 0.22 * s);
    back.lineTo(0.46 * s, 0.30 * s);
    back.lineTo(0.94 * s, 0.30 * s);
    back.lineTo(0.94 * s, 0.86 * s);
    back.lineTo(0.06 * s, 0.86 * s);
    back.closeSubpath();
    p.setPen(QPen(edge, std::max(1.0, s / 16)));
    p.setBrush(QColor(232, 186, 72));
    p.drawPath(back);
    p.setBrush(QColor(250, 214, 110));
    p.drawRect(QRectF(0.06 * s, 0.38 * s, 0.88 * s, 0.48 * s));
}

void drawNote(QPainter &p, qreal s)
{
    const QColor ink(40, 40, 90);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(0.36 * s, 0.66 * s, 0.16 * s, 0.12 * s));
    p.drawRect(QRectF(0.48 * s, 0.44 * s, 0.04 * s, 0.28 * s));
    p.drawRect(QRectF(0.48 * s, 0.44 * s, 0.16 * s, 0.05 * s));
}

void drawFilmStrip(QPainter &p, qreal s)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 50));
    const QRectF strip(0.26 * s, 0.44 * s, 0.48 * s, 0.34 * s);
    p.drawRect(strip);
    p.setBrush(QColor(250, 250, 250));
    for (int i = 0; i < 4; ++i) {
        const qreal x = strip.left() + (0.04 + i * 0.11) * s;
        p.drawRect(QRectF(x, strip.top() + 0.03 * s, 0.05 * s, 0.04 * s));
        p.drawRect(QRectF(x, strip.bottom() - 0.07 * s, 0.05 * s, 0.04 * s));
    }
    p.setBrush(QColor(120, 170, 220));
    p.drawRect(QRectF(strip.left() + 0.05 * s, strip.top() + 0.10 * s, 0.17 * s, 0.14 * s));
    p.drawRect(QRectF(strip.left() + 0.26 * s, strip.top() + 0.10 * s, 0.17 * s, 0.14 * s));
}

void drawDisc(QPainter &p, qreal s)
{
    QRadialGradient shine(QPointF(0.4 * s, 0.4 * s), 0.5 * s);
    shine.setColorAt(0, QColor(245, 245, 255));
    shine.setColorAt(0.6, QColor(190, 200, 220));
    shine.setColorAt(1, QColor(150, 160, 190));
    p.setPen(QPen(QColor(90, 90, 110), std::max(1.0, s / 16)));
    p.setBrush(shine);
    p.drawEllipse(QRectF(0.08 * s, 0.08 * s, 0.84 * s, 0.84 * s));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(0.40 * s, 0.40 * s, 0.20 * s, 0.20 * s));
}

void drawDot(QPainter &p, qreal s, const QColor &fill)
{
    QRadialGradient shade(QPointF(0.42 * s, 0.40 * s), 0.40 * s);
    shade.setColorAt(0, fill.lighter(160));
    shade.setColorAt(1, fill);
    p.setPen(QPen(fill.darker(160), std::max(1.0, s / 16)));
    p.setBrush(shade);
    p.drawEllipse(QRectF(0.22 * s, 0.22 * s, 0.56 * s, 0.56 * s));
}

} // namespace

QImage nodeImage(NodeImage which, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    if (which == NodeImage::Disc) {
        drawDisc(p, s);
    } else if (which == NodeImage::HitSaved || which == NodeImage::HitNotSaved) {
        // Green for a hit whose picture is in the folder, red for the others.
        drawDot(p, s, which == NodeImage::HitSaved ? QColor(30, 160, 50) : QColor(200, 30, 30));
    } else {
        drawFolder(p, s);
        if (which == NodeImage::MusicFolder)
            drawNote(p, s);
        else if (which == NodeImage::DvdFolder)
            drawFilmStrip(p, s);
    }
    return image;
}

const QIcon &nodeIcon(NodeImage which)
{
    static std::array<QIcon, 6> icons;
    QIcon &icon = icons.at(static_cast<std::size_t>(which) - 1);
    if (icon.isNull()) {
        for (int size : {16, 24, 32})
            icon.addPixmap(QPixmap::fromImage(nodeImage(which, size)));
    }
    return icon;
}
