#include "Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Damping fractions this close to 1 use the critical solution; the other two lose precision there.
constexpr double criticalBand = 1e-6;

Spring::Step underdamped(double w0, double zeta, double t)
{
    const double wd = w0 * std::sqrt(1 - zeta * zeta);
    const double decay = std::exp(-zeta * w0 * t);
    const double c = std::cos(wd * t);
    const double s = std::sin(wd * t);
    return {decay * (c + zeta * w0 / wd * s), decay * s / wd, -decay * w0 * w0 / wd * s,
            decay * (c - zeta * w0 / wd * s)};
}

Spring::Step critical(double w0, double t)
{
    const double decay = std::exp(-w0 * t);
    return {decay * (1 + w0 * t), decay * t, -decay * w0 * w0 * t, decay * (1 - w0 * t)};
}

Spring::Step overdamped(double w0, double zeta, double t)
{
    // d(t) = a e^(r1 t) + b e^(r2 t) with a + b = d and r1 a + r2 b = v.
    const double root = std::sqrt(zeta * zeta - 1);
    const double r1 = -w0 * (zeta - root);
    const double r2 = -w0 * (zeta + root);
    const double e1 = std::exp(r1 * t);
    const double e2 = std::exp(r2 * t);
    const double span = r1 - r2;
    return {(e2 * r1 - e1 * r2) / span, (e1 - e2) / span, r1 * r2 * (e2 - e1) / span,
            (r1 * e1 - r2 * e2) / span};
}
} // namespace

double Spring::angularFrequency() const
{
    return 2 * std::numbers::pi / response;
}

Spring::Step Spring::step(double dt) const
{
    if (response <= 0) {
        return {}; // lands on the target with no velocity left
    }
    const double w0 = angularFrequency();
    const double z = zeta();
    if (std::abs(z - 1) < criticalBand) {
        return critical(w0, dt);
    }
    return z < 1 ? underdamped(w0, z, dt) : overdamped(w0, z, dt);
}

double Spring::zeta() const
{
    return std::max(dampingFraction, minimumDampingFraction);
}
