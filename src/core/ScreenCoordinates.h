#pragma once

#include <QPointF>
#include <QRectF>

/// The placement rules measure the desktop from its bottom left with y growing upwards; Qt measures
/// from the top left with y growing downwards. The conversion is its own inverse and happens once,
/// at the boundary to Qt, with one constant: the primary screen's height.
namespace ScreenCoordinates {

/// A point's y becomes `primaryHeight - y`.
QPointF flipped(QPointF point, double primaryHeight);
/// A rectangle's bottom edge becomes `primaryHeight - (top + height)`; the size is kept.
QRectF flipped(const QRectF &rect, double primaryHeight);

} // namespace ScreenCoordinates
