#include "ImageFit.h"

#include <QCache>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ImageFit {

namespace {

// Above this ratio of image pixels to device pixels the image is shrunk once and kept, because
// QPainter's bilinear filter samples too few pixels for a big reduction and costs a full pass per paint.
constexpr qreal prescaleAbove = 1.25;
// Shrunk copies kept at most, in kilobytes: a screenful of stones in a handful of sizes.
constexpr int prescaledBudgetKb = 32 * 1024;

// A smoothly shrunk copy of `image` at exactly `pixels`, kept by image identity and size.
QImage prescaled(const QImage &image, QSize pixels)
{
    static QCache<QString, QImage> kept(prescaledBudgetKb);
    const QString key =
        QStringLiteral("%1/%2x%3").arg(image.cacheKey()).arg(pixels.width()).arg(pixels.height());
    if (const QImage *found = kept.object(key))
        return *found;
    QImage result = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int costKb = int(std::max<qsizetype>(1, result.sizeInBytes() / 1024));
    kept.insert(key, new QImage(result), costKb);
    return result;
}

// How many device pixels `target` covers on each axis under the painter's transform.
QSize devicePixels(const QPainter &painter, const QRectF &target)
{
    const QTransform t = painter.deviceTransform();
    const qreal sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
    return QSize(std::max(1, qRound(target.width() * sx)), std::max(1, qRound(target.height() * sy)));
}

} // namespace

QRectF fitted(const QSizeF &content, const QRectF &bounds)
{
    if (content.isEmpty() || bounds.isEmpty())
        return {};
    const QSizeF size = content.scaled(bounds.size(), Qt::KeepAspectRatio);
    QRectF result(QPointF(), size);
    result.moveCenter(bounds.center());
    return result;
}

QRectF square(const QRectF &bounds)
{
    const qreal side = std::max<qreal>(0, std::min(bounds.width(), bounds.height()));
    QRectF result(0, 0, side, side);
    result.moveCenter(bounds.center());
    return result;
}

void draw(QPainter &painter, const QImage &image, const QRectF &bounds)
{
    const QRectF target = fitted(image.deviceIndependentSize(), bounds);
    if (target.isEmpty())
        return;
    const QSize pixels = devicePixels(painter, target);
    const bool shrink =
        image.width() > pixels.width() * prescaleAbove && image.height() > pixels.height() * prescaleAbove;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, shrink ? prescaled(image, pixels) : image);
    painter.restore();
}

} // namespace ImageFit
