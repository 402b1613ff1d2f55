#include "Sketch.h"

#include "Theme.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace Sketch {

QPainterPath boxPath(const QRectF &rect, qreal corner)
{
    QPainterPath path;
    const qreal radius = std::clamp(corner, 0.0, std::min(rect.width(), rect.height()) / 2);
    if (radius > 0)
        path.addRoundedRect(rect, radius, radius);
    else
        path.addRect(rect);
    return path;
}

QPen outlinePen(qreal line)
{
    QPen pen(Theme::ink, line, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

namespace {
/// How strongly the focus mark shows against its colour.
constexpr float focusAlpha = 0.55f;

QColor faint(const QColor &colour)
{
    QColor mark = colour;
    mark.setAlphaF(focusAlpha);
    return mark;
}
} // namespace

void paintFocusRing(QPainter &painter, const QRectF &bounds, qreal corner, const QColor &colour, qreal inset)
{
    const QRectF inner = bounds.adjusted(inset, inset, -inset, -inset);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(boxPath(inner, std::max(corner - inset, 0.0)), QPen(faint(colour), 1));
    painter.restore();
}

void paintFocusUnderline(QPainter &painter, const QRectF &text, const QColor &colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(faint(colour), 1.2, Qt::SolidLine, Qt::RoundCap));
    const qreal y = text.bottom() + 1.5;
    painter.drawLine(QPointF(text.left(), y), QPointF(text.right(), y));
    painter.restore();
}

void paintBox(QPainter &painter, const QRectF &rect, qreal corner, const QColor &fill, qreal line)
{
    const QPainterPath path = boxPath(rect, corner);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, fill);
    // A zero-width QPen would be Qt's one-pixel cosmetic line, so an outline of 0 is skipped instead.
    if (line > 0)
        painter.strokePath(path, outlinePen(line));
    painter.restore();
}

void paintOutline(QPainter &painter, const QRectF &rect, qreal corner, qreal line)
{
    if (line <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(boxPath(rect, corner), outlinePen(line));
    painter.restore();
}

void paintCapsule(QPainter &painter, const QRectF &rect, const QColor &fill)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(boxPath(rect, std::min(rect.width(), rect.height()) / 2), fill);
    painter.restore();
}

QRectF insideForLine(const QRectF &bounds, qreal line)
{
    const qreal half = std::max(line, 0.0) / 2;
    return bounds.adjusted(half, half, -half, -half);
}

QColor blend(const QColor &from, const QColor &to, double t)
{
    const auto at = [t](float a, float b) { return a + (b - a) * float(t); };
    return QColor::fromRgbF(at(from.redF(), to.redF()), at(from.greenF(), to.greenF()),
                            at(from.blueF(), to.blueF()), at(from.alphaF(), to.alphaF()));
}

} // namespace Sketch
