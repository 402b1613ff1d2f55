#include "Ease.h"

#include <cmath>

namespace {
// One coordinate of a cubic Bézier from 0 to 1 with inner control values p1 and p2, at parameter t.
double bezier(double p1, double p2, double t)
{
    const double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

double bezierSlope(double p1, double p2, double t)
{
    const double u = 1 - t;
    return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
}

// The y of the curve (x1, y1, x2, y2) where its x equals `x`. x(t) rises monotonically for control x
// values in [0, 1], so Newton's method usually lands in a few steps; bisection catches flat stretches.
double solve(double x1, double y1, double x2, double y2, double x)
{
    constexpr double precision = 1e-9;
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(x1, x2, t) - x;
        if (std::abs(error) < precision) {
            return bezier(y1, y2, t);
        }
        const double slope = bezierSlope(x1, x2, t);
        if (std::abs(slope) < 1e-6) {
            break;
        }
        t -= error / slope;
    }
    double low = 0;
    double high = 1;
    t = x;
    while (high - low > precision) {
        (bezier(x1, x2, t) < x ? low : high) = t;
        t = (low + high) / 2;
    }
    return bezier(y1, y2, t);
}
} // namespace

Ease Ease::linear(double duration)
{
    return {Curve::linear, duration};
}

Ease Ease::easeIn(double duration)
{
    return {Curve::easeIn, duration};
}

Ease Ease::easeOut(double duration)
{
    return {Curve::easeOut, duration};
}

Ease Ease::easeInOut(double duration)
{
    return {Curve::easeInOut, duration};
}

Ease Ease::repeatForever(bool reverses) const
{
    Ease repeating = *this;
    repeating.repeats = true;
    repeating.autoreverses = reverses;
    return repeating;
}

double Ease::curveAt(Curve curve, double progress)
{
    if (!(progress > 0)) {
        return 0;
    }
    if (progress >= 1) {
        return 1;
    }
    switch (curve) {
    case Curve::linear:
        return progress;
    case Curve::easeIn:
        return solve(0.42, 0, 1, 1, progress);
    case Curve::easeOut:
        return solve(0, 0, 0.58, 1, progress);
    case Curve::easeInOut:
        return solve(0.42, 0, 0.58, 1, progress);
    }
    return progress;
}
