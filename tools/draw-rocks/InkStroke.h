#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPointF>

class QPainter;

/// A pen line as a hand would draw it: its width swells and thins along its length.
namespace InkStroke {

/// Unit normal of a closed polyline at point i; it points inwards when the line runs clockwise on
/// screen (y down).
QPointF closedNormal(const QList<QPointF> &points, qsizetype i);
/// Draws an open line through the points with a width per point (same count), rounded ends.
void drawOpen(QPainter &painter, const QList<QPointF> &points, const QList<qreal> &widths,
              const QColor &color);
/// The band around a closed line with a width per point, as an odd-even path ready to fill.
QPainterPath closedBand(const QList<QPointF> &points, const QList<qreal> &widths);
/// Widths for an open line of `count` points that thin towards both ends to `endFactor` of `width`.
QList<qreal> tapered(qsizetype count, qreal width, qreal endFactor);

} // namespace InkStroke
