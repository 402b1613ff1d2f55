#include "IdleRockRoll.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Pointer ring around the rock's centre, relative to its radius.
constexpr double innerRingFactor = 0.25;
constexpr double outerRingMargin = 6.0;
// Blend of a driven step's own speed with the previous spin, per frame.
constexpr double stepWeight = 0.6;
constexpr double keptWeight = 0.4;
// Closer than this to upright the rock snaps to exactly 0.
constexpr double snapDistance = 0.1;
} // namespace

IdleRockRoll::IdleRockRoll(QObject *parent) : QObject(parent) {}

void IdleRockRoll::drive(double turn, double dt)
{
    const double limit = maxSpin * dt;
    const double step = std::min(std::max(turn, -limit), limit);
    setDegrees(m_degrees + step);
    m_spin = std::clamp((step / dt) * stepWeight + m_spin * keptWeight, -maxSpin, maxSpin);
}

void IdleRockRoll::coast(double dt)
{
    if (std::abs(m_spin) > restSpin) {
        // Advance with the speed the frame started with, then decay it.
        setDegrees(m_degrees + m_spin * dt);
        m_spin *= std::exp(-friction * dt);
        return;
    }
    m_spin = 0;
    settle(dt);
}

void IdleRockRoll::settle(double dt)
{
    if (m_degrees == 0) {
        return;
    }
    // Every multiple of 360 looks upright; head for the nearest (halves away from zero).
    const double target = std::round(m_degrees / 360.0) * 360.0;
    double next = m_degrees + (1.0 - std::exp(-dt / settleResponse)) * (target - m_degrees);
    if (std::abs(next - target) < snapDistance) {
        next = 0; // draws the same as the target, and ends the settling
    }
    setDegrees(next);
}

void IdleRockRoll::reset()
{
    m_spin = 0;
    setDegrees(0);
}

void IdleRockRoll::setDegrees(double value)
{
    if (value == m_degrees) {
        return;
    }
    m_degrees = value;
    emit degreesChanged(m_degrees);
}

void IdleRockRoll::RollInput::step(IdleRockRoll &roll, QPointF pointer, QPointF centre, double rockSize,
                                   double dt)
{
    if (!isOnRock(pointer, centre, rockSize)) {
        lastRollAngle.reset();
        roll.coast(dt);
        return;
    }
    const double angle = std::atan2(pointer.y() - centre.y(), pointer.x() - centre.x());
    if (lastRollAngle) {
        // Counter-clockwise in y-up screen space is anticlockwise on the drawing, hence the sign.
        roll.drive(sweep(*lastRollAngle, angle) * -180.0 / std::numbers::pi, dt);
    }
    lastRollAngle = angle;
}

bool IdleRockRoll::RollInput::isOnRock(QPointF pointer, QPointF centre, double rockSize)
{
    const double radius = rockSize * 0.5;
    const double dx = pointer.x() - centre.x();
    const double dy = pointer.y() - centre.y();
    const double distance = std::sqrt(dx * dx + dy * dy);
    return distance <= radius + outerRingMargin && distance >= innerRingFactor * radius;
}

double IdleRockRoll::RollInput::sweep(double from, double to)
{
    double delta = to - from;
    if (delta > std::numbers::pi) {
        delta -= 2 * std::numbers::pi;
    }
    if (delta < -std::numbers::pi) {
        delta += 2 * std::numbers::pi;
    }
    return delta;
}
