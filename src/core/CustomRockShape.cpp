#include "CustomRockShape.h"

#include <algorithm>

namespace {
// Fewer raw points than this cannot be an outline.
constexpr qsizetype minimumPoints = 8;
// A stroke must span strictly more than this fraction of the canvas on both axes.
constexpr double minimumSpan = 0.1;
// At most about this many points are kept from a long stroke.
constexpr qsizetype sampleTarget = 100;
// A fitted outline must stay inside this square of the canvas.
const QRectF drawingArea(0.02, 0.02, 0.96, 0.96);

// One axis of the fitted rectangle: where an edge of length `size` goes so that it spans the face
// room's [roomMin, roomMax] and stays in the drawing area, as near the box's own centre as allowed.
double placeEdge(double boxCentre, double size, double roomMin, double roomMax, double areaMin,
                 double areaMax)
{
    const double lo = std::max(areaMin, roomMax - size);
    const double hi = std::min(roomMin, areaMax - size);
    if (lo <= hi) {
        return std::min(std::max(boxCentre - size / 2, lo), hi);
    }
    // Wider than the drawing area: the face room matters more than the margin.
    return (roomMin + roomMax - size) / 2;
}

bool containsFaceRoom(const QRectF &box)
{
    const QRectF &room = CustomRockShape::faceRoom;
    return box.left() <= room.left() && box.top() <= room.top() && box.right() >= room.right() &&
           box.bottom() >= room.bottom();
}

QPointF midpoint(QPointF a, QPointF b)
{
    return (a + b) / 2;
}

QRectF unitBounds(const QList<QPointF> &stroke, QSizeF canvas)
{
    double minX = stroke.first().x(), maxX = minX;
    double minY = stroke.first().y(), maxY = minY;
    for (const QPointF &p : stroke) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    // The extent is divided once rather than taken between divided coordinates, so a stroke exactly
    // a tenth of the canvas wide measures exactly 0.1 wherever it lies (0.8 - 0.7 would not).
    return QRectF(minX / canvas.width(), minY / canvas.height(), (maxX - minX) / canvas.width(),
                  (maxY - minY) / canvas.height());
}

CustomRockShape sampled(const QList<QPointF> &stroke, QSizeF canvas, const QRectF &box, const QRectF &target)
{
    const qsizetype count = stroke.size();
    const qsizetype step = count < sampleTarget ? 1 : count / sampleTarget;
    // An outline already around the face room keeps its points bit for bit.
    const bool identity = target.x() == box.x() && target.y() == box.y() && target.width() == box.width() &&
                          target.height() == box.height();
    const double scaleX = target.width() / box.width();
    const double scaleY = target.height() / box.height();
    CustomRockShape shape;
    shape.points.reserve((count + step - 1) / step);
    for (qsizetype i = 0; i < count; i += step) {
        const double x = stroke[i].x() / canvas.width();
        const double y = stroke[i].y() / canvas.height();
        if (identity) {
            shape.points.append({x, y});
        } else {
            shape.points.append(
                {target.left() + (x - box.left()) * scaleX, target.top() + (y - box.top()) * scaleY});
        }
    }
    return shape;
}
} // namespace

// Constant-initialised, so other static initialisers may read it.
constinit const QRectF CustomRockShape::faceRoom =
    QRectF(0.195, 0.391, 0.564, 0.285).adjusted(-0.03, -0.03, 0.03, 0.03);

RockDrawing CustomRockShape::read(const QList<QPointF> &stroke, QSizeF canvas)
{
    if (stroke.size() < minimumPoints || !(canvas.width() > 0) || !(canvas.height() > 0)) {
        return RockDrawing::tooSmall();
    }
    const QRectF box = unitBounds(stroke, canvas);
    if (!(box.width() > minimumSpan) || !(box.height() > minimumSpan)) {
        return RockDrawing::tooSmall();
    }
    const std::optional<QRectF> target = fitted(box);
    if (!target) {
        return RockDrawing::tooTight();
    }
    return RockDrawing::rock(sampled(stroke, canvas, box, *target));
}

std::optional<QRectF> CustomRockShape::fitted(const QRectF &box)
{
    if (containsFaceRoom(box)) {
        return box;
    }
    // A flat box can never be scaled around the face room (and would divide by zero below).
    if (!(box.width() > 0) || !(box.height() > 0)) {
        return std::nullopt;
    }
    const double needed = std::max(faceRoom.width() / box.width(), faceRoom.height() / box.height());
    const double largest = std::min(drawingArea.width() / box.width(), drawingArea.height() / box.height());
    if (needed > largest) {
        return std::nullopt;
    }
    const double scale = std::max(needed, 1.0); // never shrink what was drawn
    const double w = scale * box.width();
    const double h = scale * box.height();
    const double left = placeEdge(box.center().x(), w, faceRoom.left(), faceRoom.right(), drawingArea.left(),
                                  drawingArea.right());
    const double top = placeEdge(box.center().y(), h, faceRoom.top(), faceRoom.bottom(), drawingArea.top(),
                                 drawingArea.bottom());
    return QRectF(left, top, w, h);
}

QPainterPath CustomRockShape::path(const QRectF &rect) const
{
    QPainterPath result;
    const qsizetype n = points.size();
    if (n < 3) {
        return result;
    }
    QList<QPointF> mapped;
    mapped.reserve(n);
    for (const DrawingPoint &p : points) {
        mapped.append({rect.left() + p.x * rect.width(), rect.top() + p.y * rect.height()});
    }
    // Every segment ends on a midpoint, so the last one ends exactly where the first began.
    result.moveTo(midpoint(mapped[n - 1], mapped[0]));
    for (qsizetype i = 1; i <= n; ++i) {
        result.quadTo(mapped[i - 1], midpoint(mapped[i - 1], mapped[i % n]));
    }
    result.closeSubpath();
    return result;
}
