#pragma once

/// A timing curve with a duration, as in "ease-in-out over 0.25 s", optionally repeating forever.
/// The curves are the standard cubic Béziers from (0, 0) to (1, 1): ease-in (0.42, 0, 1, 1),
/// ease-out (0, 0, 0.58, 1), ease-in-out (0.42, 0, 0.58, 1), plus the straight line.
struct Ease {
    /// The shape of the curve.
    enum class Curve { linear, easeIn, easeOut, easeInOut };

    Curve curve = Curve::easeInOut;
    double duration = 0.35;    ///< seconds per run; 0 or less lands at once
    bool repeats = false;      ///< runs again and again, never finishing by itself
    bool autoreverses = false; ///< while repeating, every second run goes back from the end to the start

    /// Constant speed over `duration` seconds.
    static Ease linear(double duration);
    /// Starts slowly over `duration` seconds.
    static Ease easeIn(double duration);
    /// Ends slowly over `duration` seconds.
    static Ease easeOut(double duration);
    /// Starts and ends slowly over `duration` seconds.
    static Ease easeInOut(double duration);

    /// The same curve repeating forever; with `autoreverses` it runs there and back instead of restarting.
    Ease repeatForever(bool autoreverses = true) const;

    /// Share of the way covered after `progress` of the duration (clamped to [0, 1]); exact at 0 and 1.
    double at(double progress) const { return curveAt(curve, progress); }
    /// The same for any curve.
    static double curveAt(Curve curve, double progress);
};
