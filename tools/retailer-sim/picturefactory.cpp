#include "picturefactory.h"

#include "gifwriter.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

PictureOptions PictureOptions::parse(const QString &tokens)
{
    static thread_local const QRegularExpression sizeRe(QStringLiteral("^(\\d{1,4})x(\\d{1,4})$"));
    static thread_local const QRegularExpression slowRe(QStringLiteral("^slow(\\d{0,6})$"));
    static thread_local const QRegularExpression errorRe(QStringLiteral("^error(\\d{3})$"));
    static thread_local const QRegularExpression failRe(QStringLiteral("^fail(\\d{1,3})$"));
    static thread_local const QRegularExpression retryAfterRe(
        QStringLiteral("^retryafter(\\d{1,4})$"));
    PictureOptions options;
    for (const QString &t : tokens.toLower().split(QLatin1Char('-'), Qt::SkipEmptyParts)) {
        QRegularExpressionMatch m;
        if ((m = sizeRe.match(t)).hasMatch()) {
            const QSize s(m.captured(1).toInt(), m.captured(2).toInt());
            if (s.width() > 0 && s.height() > 0 && s.width() <= 2000 && s.height() <= 2000)
                options.size = s;
        } else if ((m = slowRe.match(t)).hasMatch()) {
            options.slowMs = m.captured(1).isEmpty() ? 3000 : m.captured(1).toInt();
        } else if ((m = errorRe.match(t)).hasMatch()) {
            options.errorStatus = m.captured(1).toInt();
        } else if (t == QLatin1String("missing")) {
            options.missing = true;
        } else if (t == QLatin1String("close")) {
            options.close = true;
        } else if (t == QLatin1String("drop")) {
            options.drop = true;
        } else if (t == QLatin1String("redirect")) {
            options.redirect = true;
        } else if (t == QLatin1String("reset")) {
            options.reset = true;
        } else if ((m = failRe.match(t)).hasMatch()) {
            options.failTimes = m.captured(1).toInt();
        } else if ((m = retryAfterRe.match(t)).hasMatch()) {
            options.retryAfter = m.captured(1).toInt();
        }
    }
    return options;
}

void PictureOptions::dropTrouble()
{
    slowMs = 0;
    missing = false;
    errorStatus = 0;
    drop = false;
    close = false;
    reset = false;
}

namespace
{

// sizeLabel: write the picture's size in a corner (large pictures only: a
// thumbnail is drawn at 500x500 and scaled, so its label would mislead).
QImage drawCover(const QString &key, const QString &caption, const QString &subcaption, QSize size,
                 bool sizeLabel)
{
    QImage img(size, QImage::Format_RGB32);
    const int hue = int(qHash(key) % 360);
    const QColor base = QColor::fromHsv(hue, 150, 210);
    img.fill(base);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Diagonal bands make pictures of the same colour family tell apart.
    p.setPen(Qt::NoPen);
    p.setBrush(base.darker(125));
    const int step = qMax(8, size.width() / 8);
    for (int x = -size.height(); x < size.width(); x += step * 2) {
        const QPoint band[4] = {{x, size.height()},
                                {x + step, size.height()},
                                {x + step + size.height(), 0},
                                {x + size.height(), 0}};
        p.drawPolygon(band, 4);
    }
    const int margin = size.width() / 12;
    const QRect inner = img.rect().adjusted(margin, margin, -margin, -margin);
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawRoundedRect(inner, margin / 2, margin / 2);

    p.setPen(base.darker(300));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(qMax(6, size.height() / 10));
    p.setFont(font);
    const QRect textRect = inner.adjusted(margin / 2, margin / 2, -margin / 2, -margin / 2);
    p.drawText(textRect.adjusted(0, 0, 0, -textRect.height() / 2),
               Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, caption);
    font.setBold(false);
    font.setPixelSize(qMax(5, size.height() / 16));
    p.setFont(font);
    p.drawText(textRect.adjusted(0, textRect.height() / 2 + margin / 3, 0, 0),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, subcaption);
    font.setPixelSize(qMax(5, size.height() / 22));
    p.setFont(font);
    if (sizeLabel)
        p.drawText(textRect, Qt::AlignRight | Qt::AlignBottom,
                   QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    p.end();
    return img;
}

QByteArray encode(const QImage &img, bool gif)
{
    if (gif)
        return encodeGif(img);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG", 88);
    return bytes;
}

} // namespace

QByteArray PictureFactory::picture(const QString &key, const QString &caption,
                                   const QString &subcaption, QSize size, bool gif)
{
    const QString cacheKey = QStringLiteral("%1|%2x%3|%4")
                                 .arg(key)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(gif ? 'g' : 'j');
    std::lock_guard lock(m_mutex);
    const auto it = m_cache.find(cacheKey);
    if (it != m_cache.end())
        return it->second;

    QImage img;
    if (size == QSize(1, 1)) {
        img = QImage(1, 1, QImage::Format_RGB32);
        img.fill(QColor(200, 200, 200));
    } else if (size.width() < 200 || size.height() < 200) {
        // Thumbnails: the cover scaled down, as a retailer makes them.
        img = drawCover(key, caption, subcaption, QSize(500, 500), false)
                  .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        img = drawCover(key, caption, subcaption, size, true);
    }
    const QByteArray bytes = encode(img, gif);
    m_cache.emplace(cacheKey, bytes);
    return bytes;
}
