#pragma once

#include "Animation.h"
#include "Ease.h"

#include <QPointF>

#include <cmath>

/// Moves a value of type T from where it is to a target along an `Ease` curve. T needs +, -,
/// multiplication by a double and ==.
///
/// Retargeting mid-flight starts a fresh run from the current value. A repeating run never finishes by
/// itself; when jumped to its end it rests on the value it started from. With autoreverse, odd runs go
/// back from the target to the start along the curve played backwards.
template <typename T> class EaseAnimation : public Animation {
public:
    /// A value at rest at `value`.
    explicit EaseAnimation(const T &value = T{}, QObject *parent = nullptr)
        : Animation(parent), m_value(value), m_from(value), m_to(value)
    {
    }

    /// The current value; paint code reads this.
    T value() const { return m_value; }
    /// Where the current run ends (equal to `value` at rest).
    T target() const { return m_to; }

    /// Puts the value at `value` at once; emits `changed` (and `finished` if it was moving).
    void setValue(const T &value)
    {
        const bool stopped = leaveClock();
        m_value = value;
        m_from = value;
        m_to = value;
        announce(stopped);
    }

    /// Runs from the current value to `target` along `ease`.
    void animateTo(const T &target, const Ease &ease)
    {
        if (target == m_value || !(ease.duration > 0)) {
            // Nothing to travel (or no time to travel it in): rest there now.
            if (isRunning() || !(target == m_value)) {
                setValue(target);
            }
            return;
        }
        m_from = m_value;
        m_to = target;
        m_ease = ease;
        m_elapsed = 0;
        run();
    }

private:
    bool step(double dt) override
    {
        m_elapsed += dt;
        if (!m_ease.repeats && m_elapsed >= m_ease.duration) {
            land();
            return false;
        }
        const double runs = m_elapsed / m_ease.duration;
        const double whole = std::floor(runs);
        double progress = runs - whole;
        if (m_ease.autoreverses && std::fmod(whole, 2) == 1) {
            progress = 1 - progress;
        }
        m_value = m_from + (m_to - m_from) * m_ease.at(progress);
        return true;
    }

    void land() override
    {
        // A run that never ends has no end; the start is its resting place.
        m_value = m_ease.repeats ? m_from : m_to;
        m_from = m_value;
        m_to = m_value;
    }

    T m_value;
    T m_from;
    T m_to;
    Ease m_ease;
    double m_elapsed = 0; ///< seconds since the current run started, across repeats
};

extern template class EaseAnimation<double>;
extern template class EaseAnimation<QPointF>;
