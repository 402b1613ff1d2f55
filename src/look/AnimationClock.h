#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class Animation;

/// The one clock every animation runs from: a precise timer at the screen's refresh rate that ticks only
/// while at least one animation moves. Invariant: the timer is active exactly while an animation is
/// registered; while ends are jumped to, none registers.
///
/// Tests drive it by hand (`advance`, or `tick` with a replaced time source) and never wait on wall time;
/// tests and the preview renderer switch on `setJumpToEnd` to capture settled screens at once.
class AnimationClock : public QObject {
    Q_OBJECT

public:
    /// The process-wide clock (main thread only).
    static AnimationClock &instance();

    /// Whether the frame timer is running.
    bool isTicking() const { return m_timer.isActive(); }
    /// Number of animations currently moving.
    int runningCount() const { return int(m_running.size()); }
    /// Seconds between frames: the primary screen's refresh period, 60 Hz without a screen, within 30–120 Hz.
    static double frameInterval();

    /// Whether every animation lands on its end as soon as it starts.
    bool jumpsToEnd() const { return m_jumpToEnd; }
    /// While on, animations land on their end at once; switching it on also lands every moving one.
    void setJumpToEnd(bool on);

    /// Replaces the monotonic time source (seconds); an empty function restores the real one.
    void setTimeSource(std::function<double()> now);
    /// Moves every running animation on by `seconds`, as one frame.
    void advance(double seconds);
    /// One frame: advances by the time passed on the time source since the previous frame or since the
    /// clock started ticking, whichever is later. The timer calls this.
    void tick();

private:
    friend class Animation;

    AnimationClock();

    /// Registers a moving animation; starts the timer if it was idle.
    void add(Animation *animation);
    /// Unregisters an animation; stops the timer when nothing moves any more.
    void remove(Animation *animation);
    /// Whether `animation` is still registered (it may have stopped or died during a frame).
    bool isRunning(const Animation *animation) const;
    /// Current time on the time source, in seconds.
    double now() const;

    QTimer m_timer;
    QElapsedTimer m_monotonic;
    std::function<double()> m_now; ///< replaced time source; empty means `m_monotonic`
    double m_lastFrame = 0;        ///< time of the previous frame, or of the start of ticking
    std::vector<Animation *> m_running;
    bool m_jumpToEnd = false;
};
