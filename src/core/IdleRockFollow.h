#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

/// The floating rock's motion beside the pointer, as pure functions. Points and rectangles are in
/// desktop coordinates with y growing upwards; an origin is the rock window's bottom-left corner.
namespace IdleRockFollow {

/// Time constant of the follow motion, in seconds.
inline constexpr double followResponse = 0.13;
/// The lock engages when the pointer comes this close to the rock's square.
inline constexpr double lockMargin = 12;
/// The lock is released only beyond this share of the window's size from it.
inline constexpr double releaseShare = 0.85;
/// The pointer rests this share of the window's width beside it...
inline constexpr double besideShare = 0.17;
/// ...and this share of its height above it.
inline constexpr double aboveShare = 0.2;

/// The display's refresh rate as the frame timer uses it: a reported 0 (unknown) counts as 60, and
/// the result lies in [30, 120].
double frameRate(double reported);
/// The frame timer's whole-millisecond interval for a frame rate.
int frameIntervalMs(double rate);
/// The shortest frame time counted, so that divisions by a frame time are safe: a 240 Hz frame.
inline constexpr double shortestFrame = 1.0 / 240;
/// The frame time for an interval actually used: never below `shortestFrame`.
double frameTime(int intervalMs);

/// The lock after a frame with the pointer at `pointer` and the window at `frame`: set within 12
/// points of the frame, cleared only beyond 0.85 of its size, else kept.
bool lockedAfter(bool locked, const QRectF &frame, QPointF pointer);

/// Where the window goes for the pointer: right of and below it, mirrored to the other side where it
/// would cross the visible frame's right or bottom edge, then clamped into the frame (the upper bound
/// wins where the frame is too small). Unclamped without a screen.
QPointF originNear(QPointF pointer, QSizeF size, std::optional<QRectF> visibleFrame);

/// The origin of a window at `origin` that changes from `from` to `to` in size, grown or shrunk away
/// from the pointer: the edges facing it stay, so a larger rock never reaches the pointer by growing.
QPointF resizedAway(QPointF origin, QSizeF from, QSizeF to, QPointF pointer);

/// One frame of dt seconds of the approach: covers 1 - e^(-dt / 0.13) of the remaining way, the same
/// speed whatever the frame rate.
QPointF advanced(QPointF current, QPointF target, double dt);

/// The window's frame for an origin: the origin rounded to whole points (halves away from zero).
QRect windowFrame(QPointF origin, QSizeF size);

/// True when further frames cannot move the window: the integral frame of `current` and of `target`
/// agree and they are within half a point (the approach is monotonic, so it never crosses a rounding
/// boundary again).
bool hasArrived(QPointF current, QPointF target, QSizeF size);

/// Where a rock that cannot follow the pointer rests: in the bottom-right corner of the visible frame
/// (y up, so its bottom is `top()`), 24 points in from both edges, never outside the frame.
QPointF restingOrigin(QSizeF size, const QRectF &visibleFrame);

} // namespace IdleRockFollow
