#include "IdleRockFollow.h"

#include "DesktopRect.h"

#include <algorithm>
#include <cmath>

namespace IdleRockFollow {

using DesktopRect::maxX;
using DesktopRect::maxY;

namespace {
constexpr double unknownRate = 60;
constexpr double lowestRate = 30;
constexpr double highestRate = 120;
// A rock that cannot follow keeps this far from the corner: clear of the screen's edge, where a
// pointer pushed into the corner (hot corners, notifications) would sit on it.
constexpr double restingMargin = 24;

} // namespace

double frameRate(double reported)
{
    if (!(reported > 0) || !std::isfinite(reported))
        return unknownRate;
    return std::clamp(reported, lowestRate, highestRate);
}

int frameIntervalMs(double rate)
{
    return int(std::lround(1000.0 / frameRate(rate)));
}

double frameTime(int intervalMs)
{
    return std::max(intervalMs / 1000.0, shortestFrame);
}

bool lockedAfter(bool locked, const QRectF &frame, QPointF pointer)
{
    // QRectF::contains counts the right and bottom edges in, as a closed rectangle should.
    if (frame.adjusted(-lockMargin, -lockMargin, lockMargin, lockMargin).contains(pointer))
        return true;
    const double dx = releaseShare * frame.width();
    const double dy = releaseShare * frame.height();
    if (locked && !frame.adjusted(-dx, -dy, dx, dy).contains(pointer))
        return false;
    return locked;
}

QPointF originNear(QPointF pointer, QSizeF size, std::optional<QRectF> visibleFrame)
{
    const double w = size.width();
    const double h = size.height();
    double ox = pointer.x() + besideShare * w;
    double oy = pointer.y() - aboveShare * h - h;
    if (!visibleFrame)
        return {ox, oy};
    const QRectF &v = *visibleFrame;
    if (pointer.x() + besideShare * w + w > maxX(v))
        ox = pointer.x() - besideShare * w - w;
    if (pointer.y() - aboveShare * h - h < v.y())
        oy = pointer.y() + aboveShare * h;
    if (ox <= v.x())
        ox = v.x();
    ox = std::min(ox, maxX(v) - w);
    if (oy <= v.y())
        oy = v.y();
    oy = std::min(oy, maxY(v) - h);
    return {ox, oy};
}

QPointF resizedAway(QPointF origin, QSizeF from, QSizeF to, QPointF pointer)
{
    const QPointF centre = origin + QPointF(from.width(), from.height()) / 2;
    const QSizeF growth = to - from;
    // The origin is the bottom-left corner: it moves only to keep the right or the top edge.
    const double x = pointer.x() > centre.x() ? origin.x() - growth.width() : origin.x();
    const double y = pointer.y() > centre.y() ? origin.y() - growth.height() : origin.y();
    return {x, y};
}

QPointF advanced(QPointF current, QPointF target, double dt)
{
    const double k = 1.0 - std::exp(-dt / followResponse);
    return current + k * (target - current);
}

QRect windowFrame(QPointF origin, QSizeF size)
{
    return DesktopRect::whole(QRectF(origin, size));
}

bool hasArrived(QPointF current, QPointF target, QSizeF size)
{
    const QPointF gap = target - current;
    return std::abs(gap.x()) < 0.5 && std::abs(gap.y()) < 0.5 &&
           windowFrame(current, size) == windowFrame(target, size);
}

QPointF restingOrigin(QSizeF size, const QRectF &visibleFrame)
{
    const double x = std::max(visibleFrame.left(), visibleFrame.right() - restingMargin - size.width());
    const double y = std::min(visibleFrame.top() + restingMargin,
                              std::max(visibleFrame.top(), visibleFrame.bottom() - size.height()));
    return {x, y};
}

} // namespace IdleRockFollow
