#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

class QPainter;

/// Painting of the sketch decorations, shared by the look's widgets and by screens that paint their
/// own boxes. Corners are plain circular arcs.
namespace Sketch {

/// The rounded rectangle of a box; `corner` is clamped to half the shorter side, 0 gives sharp corners.
QPainterPath boxPath(const QRectF &rect, qreal corner);

/// The pen of a sketch outline: `Theme::ink` at `line` wide, butt caps, mitre joins with limit 10.
QPen outlinePen(qreal line);

/// A box: `rect` filled with `fill`, then outlined in ink with the line centred on the edge, so half
/// of it lies outside `rect`. `line` 0 draws no outline.
void paintBox(QPainter &painter, const QRectF &rect, qreal corner, const QColor &fill, qreal line);

/// The outline of a box alone, as `paintBox` draws it over content.
void paintOutline(QPainter &painter, const QRectF &rect, qreal corner, qreal line);

/// A capsule (short sides half circles) filled with `fill`, no outline.
void paintCapsule(QPainter &painter, const QRectF &rect, const QColor &fill);

/// The keyboard focus mark: a thin ring of `colour`, faint, `inset` inside `bounds` with the box's
/// corner less the inset, so it follows the box it sits in.
void paintFocusRing(QPainter &painter, const QRectF &bounds, qreal corner, const QColor &colour,
                    qreal inset = 3);
/// The focus mark of a word without a box: a faint line of `colour` just under the text.
void paintFocusUnderline(QPainter &painter, const QRectF &text, const QColor &colour);

/// The colour `t` of the way from `from` to `to` (0 is `from`, 1 is `to`), for fills and texts that
/// fade between two states.
QColor blend(const QColor &from, const QColor &to, double t);

/// The rectangle whose outline of width `line` exactly fills `bounds`: widgets clip their painting,
/// so they draw their box here to keep the outer half of the line visible.
QRectF insideForLine(const QRectF &bounds, qreal line);

} // namespace Sketch
