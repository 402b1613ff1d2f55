#pragma once

#include <QObject>

/// A value moving over time on the shared `AnimationClock`. It is registered with the clock only while it
/// moves and leaves it the moment it comes to rest, so a still screen costs no frames.
///
/// Owners connect `changed` to a repaint and read the current value in their paint code. `finished` is
/// emitted exactly once each time a moving animation comes to rest, whatever the reason: it reached its end,
/// it was jumped to its end, or it was set to a value directly. Retargeting a moving animation does not
/// finish it.
class Animation : public QObject {
    Q_OBJECT

public:
    /// A value at rest.
    explicit Animation(QObject *parent = nullptr);
    /// Leaves the clock if still moving.
    ~Animation() override;

    /// Whether the value is moving (and registered with the clock).
    bool isRunning() const { return m_running; }

signals:
    /// The value changed; owners repaint.
    void changed();
    /// The animation came to rest.
    void finished();

protected:
    /// Starts moving after a subclass set up a motion; while the clock jumps to ends, lands at once instead.
    void run();
    /// Unregisters without any signal; returns whether it was moving. For subclasses about to set a value.
    bool leaveClock();
    /// Emits `changed`, then `finished` if `stopped`; safe if a receiver deletes this animation.
    void announce(bool stopped);

    /// Moves the value on by `dt` seconds; returns false once it is at rest (its final value already set).
    virtual bool step(double dt) = 0;
    /// Puts the value where the motion ends; a motion that repeats forever rests where it started.
    virtual void land() = 0;

private:
    friend class AnimationClock;

    /// One frame from the clock.
    void advance(double dt);
    /// Lands and stops at once, with `changed` and `finished`.
    void finishNow();

    bool m_running = false; ///< true exactly while registered with the clock
};
