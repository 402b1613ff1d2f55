#pragma once

#include <QRect>
#include <QRectF>

#include <cmath>

/// Edges and rounding of desktop rectangles measured with y growing upwards, where QRectF's top() is
/// the lower edge: these names say which edge is meant.
namespace DesktopRect {

/// The lower edge.
inline double minY(const QRectF &r)
{
    return r.y();
}
/// The right edge.
inline double maxX(const QRectF &r)
{
    return r.x() + r.width();
}
/// The upper edge.
inline double maxY(const QRectF &r)
{
    return r.y() + r.height();
}
/// The corner and the size each rounded to the nearest whole point, halves away from zero; windows
/// live on whole points.
inline QRect whole(const QRectF &r)
{
    const auto round = [](double value) { return int(std::lround(value)); };
    return {round(r.x()), round(r.y()), round(r.width()), round(r.height())};
}

} // namespace DesktopRect
