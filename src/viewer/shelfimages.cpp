#include "viewer/shelfimages.h"

#include <QPainter>
#include <QPainterPath>

namespace
{

void drawFolder(QPainter &p, qreal s)
{
    const QColor edge(150, 110, 20);
    p.setPen(QPen(edge, s / 16.0));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath tab;
    tab.addRoundedRect(QRectF(s * 0.06, s * 0.16, s * 0.40, s * 0.20), s * 0.05, s * 0.05);
    p.drawPath(tab);
    p.setBrush(QColor(250, 214, 100));
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.28, s * 0.88, s * 0.60), s * 0.06, s * 0.06);
}

void drawNote(QPainter &p, qreal s)
{
    const QColor ink(30, 30, 90);
    p.setPen(QPen(ink, s / 14.0));
    p.drawLine(QPointF(s * 0.62, s * 0.38), QPointF(s * 0.62, s * 0.72));
    p.drawLine(QPointF(s * 0.62, s * 0.38), QPointF(s * 0.80, s * 0.44));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(s * 0.44, s * 0.64, s * 0.20, s * 0.15));
}

void drawFilmStrip(QPainter &p, qreal s)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const QRectF strip(s * 0.38, s * 0.36, s * 0.46, s * 0.44);
    p.drawRect(strip);
    p.setBrush(QColor(230, 230, 230));
    const qreal hole = s * 0.07;
    for (int i = 0; i < 3; ++i) {
        const qreal x = strip.left() + s * 0.05 + i * s * 0.14;
        p.drawRect(QRectF(x, strip.top() + s * 0.03, hole, hole));
        p.drawRect(QRectF(x, strip.bottom() - s * 0.03 - hole, hole, hole));
    }
    p.setBrush(QColor(120, 170, 220));
    p.drawRect(QRectF(strip.left() + s * 0.05, strip.top() + s * 0.14, strip.width() - s * 0.10,
                      strip.height() - s * 0.28));
}

void drawDisc(QPainter &p, qreal s)
{
    QRadialGradient shine(QPointF(s * 0.4, s * 0.35), s * 0.6);
    shine.setColorAt(0, QColor(245, 245, 255));
    shine.setColorAt(0.5, QColor(190, 200, 220));
    shine.setColorAt(1, QColor(150, 160, 190));
    p.setPen(QPen(QColor(90, 90, 110), s / 16.0));
    p.setBrush(shine);
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.38, s * 0.38, s * 0.24, s * 0.24));
}

} // namespace

QImage shelfImage(ShelfImage which, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (which) {
    case ShelfImage::MusicFolder:
        drawFolder(p, s);
        drawNote(p, s);
        break;
    case ShelfImage::Root:
        drawFolder(p, s);
        break;
    case ShelfImage::DvdFolder:
        drawFolder(p, s);
        drawFilmStrip(p, s);
        break;
    case ShelfImage::Disc:
        drawDisc(p, s);
        break;
    }
    return image;
}
