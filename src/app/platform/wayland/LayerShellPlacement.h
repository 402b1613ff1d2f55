#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

/// Where a top-left anchored overlay surface goes: the compositor places it by margins from the
/// corner of one output, while the rock's frame is in Qt's global coordinates (which under XWayland
/// are the compositor's logical coordinates).
namespace LayerShellPlacement {

/// The output (index into `outputs`, logical rectangles) that should show `frame`: the one holding its
/// centre, else the nearest; -1 without outputs.
int outputFor(const QRect &frame, const QList<QRect> &outputs);

/// The (left, top) margins that put `frame`'s top-left corner where it belongs on an output whose
/// logical top-left corner is `outputOrigin`.
QPoint margins(const QRect &frame, QPoint outputOrigin);

} // namespace LayerShellPlacement
