#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

/// The floating rock's rotation: turned by the pointer circling it, then spinning down under friction
/// and settling upright once the pointer has left.
class IdleRockRoll : public QObject {
    Q_OBJECT
    /// Rotation in degrees, clockwise on screen; not wrapped, it grows past ±360 while spinning.
    Q_PROPERTY(double degrees READ degrees NOTIFY degreesChanged)

public:
    /// Exponential decay rate of the spin per second while coasting.
    static constexpr double friction = 8.0;
    /// Speed (degrees per second) at or below which coasting stops and settling begins.
    static constexpr double restSpin = 60.0;
    /// Limit of the speed, both for one driven step (per second of frame time) and for the spin.
    static constexpr double maxSpin = 1080.0;
    /// Time constant, in seconds, of the settling motion back to upright.
    static constexpr double settleResponse = 0.22;

    /// The per-frame pointer step: decides whether the pointer is on the rock and turns that into
    /// `drive` or `coast`. Its one piece of state is the last angle seen.
    struct RollInput {
        /// Angle of the pointer around the rock's centre in radians (y up); empty while off the rock.
        std::optional<double> lastRollAngle;

        /// Runs one frame of dt seconds; `centre` and `pointer` are in screen coordinates, y growing up.
        void step(IdleRockRoll &roll, QPointF pointer, QPointF centre, double rockSize, double dt);
        /// True when the pointer is in the ring from a quarter radius to 6 points beyond the rock's edge.
        static bool isOnRock(QPointF pointer, QPointF centre, double rockSize);
        /// The angle swept from `from` to `to` (radians), taken the short way round: in [-π, π].
        static double sweep(double from, double to);
    };

    /// A roll at rest and upright.
    explicit IdleRockRoll(QObject *parent = nullptr);

    /// Current rotation in degrees.
    double degrees() const { return m_degrees; }
    /// Current angular speed in degrees per second, signed like `degrees`.
    double spin() const { return m_spin; }

    /// The pointer turned the rock by `turn` degrees during a frame of dt seconds (dt > 0).
    void drive(double turn, double dt);
    /// A frame of dt seconds passed without the pointer on the rock (dt > 0).
    void coast(double dt);
    /// Stops and uprights the rock at once, as when it is hidden.
    void reset();

signals:
    /// The rotation changed.
    void degreesChanged(double degrees);

private:
    /// Stores the rotation, notifying only on a real change.
    void setDegrees(double value);
    /// One frame of easing towards the nearest upright angle, snapping to 0 when close.
    void settle(double dt);

    double m_degrees = 0; ///< published rotation
    double m_spin = 0;    ///< degrees per second, within ±maxSpin
};
