#pragma once

#include "Animation.h"
#include "Ease.h"
#include "Spring.h"
#include "SpringAnimation.h" // animationMagnitude

#include <algorithm>

/// How a change reaches its new value: at once, along an ease curve, or on a spring. A screen states
/// the motion once per change, and every value that change touches moves the same way.
struct Motion {
    enum class Kind { instant, ease, spring };

    Kind kind = Kind::instant;
    Ease ease;     ///< the curve when `kind` is ease
    Spring spring; ///< the spring when `kind` is spring

    /// No animation: the value is there at once.
    static Motion instant() { return {}; }
    /// Along `curve` from the current value.
    static Motion along(const Ease &curve) { return {Kind::ease, curve, {}}; }
    /// On `spring`, keeping the current velocity.
    static Motion on(const Spring &spring) { return {Kind::spring, {}, spring}; }
};

/// One value moving as a `Motion` says, advanced by its owner: a plain value, not an object, so a view
/// can keep thousands of them and step only those that move. T needs +, -, multiplication by a double
/// and an `animationMagnitude` overload.
///
/// A spring starts from the current value and velocity; an ease starts afresh from the current value.
/// A spring settles as `SpringAnimation` does: within 1/1000 of the distance it covers, at most 0.01.
template <typename T> class MotionTrack {
public:
    /// At rest at `value`.
    explicit MotionTrack(const T &value = T{}) : m_value(value), m_from(value), m_target(value) {}

    /// The current value.
    const T &value() const { return m_value; }
    /// Where the value is heading (equal to `value` at rest).
    const T &target() const { return m_target; }
    /// Whether the value is on its way.
    bool isMoving() const { return m_moving; }

    /// Puts the value at `value` at once, with no velocity.
    void setValue(const T &value)
    {
        m_value = m_from = m_target = value;
        m_velocity = value * 0.0;
        m_moving = false;
    }

    /// Heads for `target` as `motion` says; returns whether it now moves (false: it is there already).
    bool moveTo(const T &target, const Motion &motion)
    {
        if (motion.kind == Motion::Kind::instant ||
            (motion.kind == Motion::Kind::ease && !(motion.ease.duration > 0)) ||
            (motion.kind == Motion::Kind::spring && !(motion.spring.response > 0))) {
            setValue(target);
            return false;
        }
        m_motion = motion;
        m_from = m_value;
        m_target = target;
        m_elapsed = 0;
        if (motion.kind == Motion::Kind::ease)
            m_velocity = target * 0.0;
        const double reach = std::max(animationMagnitude(m_target - m_value),
                                      animationMagnitude(m_velocity) / motion.spring.angularFrequency());
        if (!(reach > 0)) {
            setValue(target);
            return false;
        }
        m_tolerance =
            std::min(SpringAnimation<double>::settleFraction * reach, SpringAnimation<double>::settleCeiling);
        m_moving = true;
        return true;
    }

    /// Moves on by `dt` seconds; returns whether it still moves afterwards.
    bool step(double dt)
    {
        if (!m_moving)
            return false;
        if (m_motion.kind == Motion::Kind::ease)
            return stepEase(dt);
        return stepSpring(dt);
    }

    /// Arrives at the target at once.
    void land() { setValue(m_target); }

private:
    bool stepEase(double dt)
    {
        m_elapsed += dt;
        if (m_elapsed >= m_motion.ease.duration) {
            land();
            return false;
        }
        m_value = m_from + (m_target - m_from) * m_motion.ease.at(m_elapsed / m_motion.ease.duration);
        return true;
    }

    bool stepSpring(double dt)
    {
        const Spring::Step s = m_motion.spring.step(dt);
        const T d = m_value - m_target;
        const T nextD = d * s.dd + m_velocity * s.dv;
        const T nextV = d * s.vd + m_velocity * s.vv;
        if (animationMagnitude(nextD) < m_tolerance &&
            animationMagnitude(nextV) < m_tolerance * m_motion.spring.angularFrequency()) {
            land();
            return false;
        }
        m_value = m_target + nextD;
        m_velocity = nextV;
        return true;
    }

    T m_value;
    T m_from; ///< where the current ease started
    T m_target;
    T m_velocity = T{};
    Motion m_motion;
    double m_elapsed = 0;   ///< seconds into the current ease
    double m_tolerance = 0; ///< settling distance of the current spring
    bool m_moving = false;
};

/// A single value on the shared clock that moves as each change's `Motion` says; for values that one
/// change animates on a spring and another along a curve.
template <typename T> class MotionAnimation : public Animation {
public:
    /// At rest at `value`.
    explicit MotionAnimation(const T &value = T{}, QObject *parent = nullptr)
        : Animation(parent), m_track(value)
    {
    }

    /// The current value; paint and layout code read this.
    T value() const { return m_track.value(); }
    /// Where the value is heading.
    T target() const { return m_track.target(); }

    /// Puts the value there at once; emits `changed` (and `finished` if it was moving).
    void setValue(const T &value)
    {
        const bool stopped = leaveClock();
        m_track.setValue(value);
        announce(stopped);
    }

    /// Heads for `target` as `motion` says.
    void animateTo(const T &target, const Motion &motion)
    {
        if (m_track.moveTo(target, motion)) {
            run();
            return;
        }
        const bool stopped = leaveClock();
        announce(stopped);
    }

private:
    bool step(double dt) override { return m_track.step(dt); }
    void land() override { m_track.land(); }

    MotionTrack<T> m_track;
};
