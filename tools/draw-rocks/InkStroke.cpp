#include "InkStroke.h"

#include <QPainter>
#include <QPen>

#include <cmath>

namespace InkStroke {

QPointF closedNormal(const QList<QPointF> &points, qsizetype i)
{
    const qsizetype n = points.size();
    const QPointF tangent = points[(i + 1) % n] - points[(i + n - 1) % n];
    const qreal length = std::hypot(tangent.x(), tangent.y());
    if (length <= 0)
        return {0, 0};
    return {-tangent.y() / length, tangent.x() / length};
}

void drawOpen(QPainter &painter, const QList<QPointF> &points, const QList<qreal> &widths,
              const QColor &color)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    // Short round-capped pieces: their overlaps make one line whose width follows the list.
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        QPen pen(color, (widths[i] + widths[i + 1]) / 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.drawLine(points[i], points[i + 1]);
    }
    painter.restore();
}

QPainterPath closedBand(const QList<QPointF> &points, const QList<qreal> &widths)
{
    QPolygonF outer;
    QPolygonF inner;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF offset = closedNormal(points, i) * (widths[i] / 2);
        outer << points[i] + offset;
        inner << points[i] - offset;
    }
    QPainterPath band;
    band.setFillRule(Qt::OddEvenFill);
    band.addPolygon(outer);
    band.closeSubpath();
    band.addPolygon(inner);
    band.closeSubpath();
    return band;
}

QList<qreal> tapered(qsizetype count, qreal width, qreal endFactor)
{
    QList<qreal> widths;
    widths.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const qreal u = count > 1 ? qreal(i) / qreal(count - 1) : 0.5;
        // A sine bump: full width in the middle, endFactor at both ends.
        widths << width * (endFactor + (1 - endFactor) * std::sin(u * M_PI));
    }
    return widths;
}

} // namespace InkStroke
