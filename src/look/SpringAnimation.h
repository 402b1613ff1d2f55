#pragma once

#include "Animation.h"
#include "Spring.h"

#include <QPointF>

#include <algorithm>
#include <cmath>

/// Size of a displacement or velocity, for deciding when a spring has settled. Overload it for any other
/// value type a `SpringAnimation` should move.
inline double animationMagnitude(double value)
{
    return std::abs(value);
}

/// Euclidean length, so a point settles by its distance, not per axis.
inline double animationMagnitude(const QPointF &value)
{
    return std::hypot(value.x(), value.y());
}

/// Moves a value of type T towards a target along a `Spring`. T needs +, - and multiplication by a
/// double (double and QPointF work; several numbers in a struct with those operators work alike) and an
/// `animationMagnitude` overload.
///
/// Retargeting mid-flight keeps the current position and velocity; only the target and the spring change.
/// The spring settles once both the distance to the target is below the tolerance and the speed is below
/// tolerance × 2π / response. The tolerance is 1/1000 of the distance the motion covers (the distance to
/// the target when it was set, or the distance the velocity alone would carry it in response / 2π seconds
/// if that is larger), but never more than 0.01 units, so the final snap is invisible.
template <typename T> class SpringAnimation : public Animation {
public:
    /// Share of the motion's distance that counts as arrived.
    static constexpr double settleFraction = 1e-3;
    /// Largest tolerance, in the value's own units (points, degrees, opacity): far below a pixel.
    static constexpr double settleCeiling = 0.01;

    /// A value at rest at `value`.
    explicit SpringAnimation(const T &value = T{}, QObject *parent = nullptr)
        : Animation(parent), m_value(value), m_target(value), m_velocity(value * 0.0)
    {
    }

    /// The current value; paint code reads this.
    T value() const { return m_value; }
    /// Where the value is heading (equal to `value` at rest).
    T target() const { return m_target; }
    /// The current velocity, per second.
    T velocity() const { return m_velocity; }

    /// Puts the value at `value` at once with no velocity; emits `changed` (and `finished` if it moved).
    void setValue(const T &value)
    {
        const bool stopped = leaveClock();
        m_value = value;
        m_target = value;
        m_velocity = value * 0.0;
        announce(stopped);
    }

    /// Heads for `target` along `spring`, from the current value and velocity.
    void animateTo(const T &target, const Spring &spring)
    {
        m_target = target;
        m_spring = spring;
        const double w0 = spring.angularFrequency();
        const double reach =
            std::max(animationMagnitude(m_target - m_value), animationMagnitude(m_velocity) / w0);
        if (!(reach > 0)) {
            // Already resting on the target: nothing moves, nothing to tell.
            if (isRunning()) {
                setValue(target);
            }
            return;
        }
        m_tolerance = std::min(settleFraction * reach, settleCeiling);
        run();
    }

private:
    bool step(double dt) override
    {
        const Spring::Step s = m_spring.step(dt);
        const T d = m_value - m_target;
        const T v = m_velocity;
        const T nextD = d * s.dd + v * s.dv;
        const T nextV = d * s.vd + v * s.vv;
        if (animationMagnitude(nextD) < m_tolerance &&
            animationMagnitude(nextV) < m_tolerance * m_spring.angularFrequency()) {
            land();
            return false;
        }
        m_value = m_target + nextD;
        m_velocity = nextV;
        return true;
    }

    void land() override
    {
        m_value = m_target;
        m_velocity = m_value * 0.0;
    }

    T m_value;
    T m_target;   ///< equals m_value whenever not running
    T m_velocity; ///< zero whenever not running
    Spring m_spring;
    double m_tolerance = 0; ///< settling distance for the current motion
};

extern template class SpringAnimation<double>;
extern template class SpringAnimation<QPointF>;
