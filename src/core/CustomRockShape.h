#pragma once

#include "DrawingPoint.h"

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

struct RockDrawing;

/// The closed outline of a user-drawn rock in unit canvas coordinates (x right, y down, 0..1).
/// The last point joins the first.
struct CustomRockShape {
    QList<DrawingPoint> points;

    bool operator==(const CustomRockShape &) const = default;

    /// Where the rock's fixed eyes sit on the canvas, grown by a margin: the outline must surround it.
    static const QRectF faceRoom;

    /// Judges one raw stroke (canvas points, origin top left) drawn on a canvas of the given size.
    static RockDrawing read(const QList<QPointF> &stroke, QSizeF canvas);

    /// The rectangle a stroke's unit bounding box is mapped into so it surrounds the face room inside
    /// the drawing area, or nothing when it cannot be.
    static std::optional<QRectF> fitted(const QRectF &box);

    /// The outline as a closed curve of quadratic segments through the midpoints, mapped into `rect`.
    QPainterPath path(const QRectF &rect) const;
};

/// The outcome of outline recognition.
struct RockDrawing {
    enum class Kind { rock, tooSmall, tooTight };

    Kind kind = Kind::tooSmall;
    CustomRockShape shape; ///< meaningful only when `kind` is `rock`

    static RockDrawing rock(CustomRockShape shape) { return {Kind::rock, std::move(shape)}; }
    static RockDrawing tooSmall() { return {Kind::tooSmall, {}}; }
    static RockDrawing tooTight() { return {Kind::tooTight, {}}; }

    bool operator==(const RockDrawing &) const = default;
};
