#pragma once

/// A spring as designers give it: `response`, the duration of one swing in seconds, and
/// `dampingFraction`, how much of the bounce is damped away (below 1 it overshoots, 1 arrives without
/// overshoot as fast as possible, above 1 creeps in). The moving value has unit mass, stiffness
/// k = (2π / response)² and damping c = 4π × dampingFraction / response.
struct Spring {
    /// One step of the exact motion: the displacement from the target d and the velocity v after the step
    /// are linear in their values before it, d' = dd × d + dv × v and v' = vd × d + vv × v.
    struct Step {
        double dd = 0; ///< displacement from displacement
        double dv = 0; ///< displacement from velocity
        double vd = 0; ///< velocity from displacement
        double vv = 0; ///< velocity from velocity
    };

    /// Below this damping fraction a spring would ring for minutes and keep the clock busy.
    static constexpr double minimumDampingFraction = 0.01;

    double response = 0.55;         ///< seconds per swing; 0 or less lands at once
    double dampingFraction = 0.825; ///< 1 is critically damped

    /// Undamped angular frequency 2π / response, per second.
    double angularFrequency() const;
    /// The exact solution of the damped oscillator over `dt` seconds (under-, critically or over-damped).
    Step step(double dt) const;

private:
    /// The damping fraction actually used: never below `minimumDampingFraction`.
    double zeta() const;
};
