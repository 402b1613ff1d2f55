#pragma once

#include "Desktop.h"
#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"

#include <QBasicTimer>
#include <QObject>
#include <QPointF>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class AppState;
class IdleRockView;
class PointerFeed;
class RockSurface;

/// How the floating rock is shown and where the pointer comes from, chosen by the platform.
struct IdleRockPlatform {
    /// Makes the surface that shows the rock (on the first show).
    std::function<std::unique_ptr<RockSurface>(AppState *, const IdleRockMetrics *, const IdleRockRoll *)>
        makeSurface;
    /// Makes the pointer feed; null, or a null result, where the desktop tells nobody where the pointer
    /// is: then the rock rests at the bottom right of the screen and does not follow.
    std::function<std::shared_ptr<PointerFeed>()> makeFeed;

    /// A window on the X display and the display's pointer.
    static IdleRockPlatform x11(std::shared_ptr<const Desktop> desktop);
};

/// What the application shell asks of the floating rock; tests stand in for it.
class IdleRock {
public:
    virtual ~IdleRock() = default;
    /// Places the rock beside `pointer` (desktop coordinates, y up) at once and keeps it following.
    virtual void showRock(QPointF pointer) = 0;
    /// Takes the rock off the screen and stands it upright for next time.
    virtual void hideRock() = 0;
    /// Puts the rock above other always-on-top windows (the panel).
    virtual void raise() {}
};

/// The floating rock that trails the pointer, hops away from screen edges, stops when the pointer
/// reaches it and spins when the pointer circles it. A frame timer drives it while anything moves;
/// once everything has settled it rests and wakes on pointer motion, so a still desktop costs nothing.
class IdleRockController : public QObject, public IdleRock {
    Q_OBJECT

public:
    /// A controller over the store; the surface and the feed are made on the first show. Without a
    /// platform, an X11 window and the display's pointer.
    IdleRockController(AppState *state, std::shared_ptr<const Desktop> desktop,
                       std::optional<IdleRockPlatform> platform = std::nullopt, QObject *parent = nullptr);
    ~IdleRockController() override;

    void showRock(QPointF pointer) override;
    void hideRock() override;
    void raise() override;
    /// One frame of dt seconds (raised to 1/240): lock, sizes, target, roll, then the approach.
    void step(double dt);

    /// The rock's sizes.
    const IdleRockMetrics &metrics() const { return m_metrics; }
    /// The rock's rotation.
    const IdleRockRoll &roll() const { return m_roll; }
    /// What shows the rock; null before the first show.
    RockSurface *surface() const { return m_surface.get(); }
    /// The surface when it is a Qt window (where the rock has no X connection of its own), else null.
    IdleRockView *view() const;
    /// Whether the rock follows the pointer; false where no feed tells where it is (known after the
    /// first show).
    bool follows() const { return m_feed != nullptr; }
    /// True while the pointer is at the rock and it has stopped following.
    bool isInteractionLocked() const { return m_isInteractionLocked; }
    /// True once a show has placed the rock.
    bool hasOrigin() const { return m_hasOrigin; }
    /// The window's bottom-left corner as it moves, not rounded.
    QPointF currentOrigin() const { return m_currentOrigin; }
    /// Where the window is heading.
    QPointF targetOrigin() const { return m_targetOrigin; }
    /// The window size in use.
    QSizeF activePanelSize() const { return m_activePanelSize; }
    /// The window's frame in desktop coordinates, as last set (the display may not have confirmed it
    /// yet).
    QRectF windowFrame() const;
    /// True while the frame timer runs; false at rest and while hidden.
    bool isRunning() const { return m_frameTimer.isActive(); }
    /// The frame timer's interval in milliseconds.
    int frameIntervalMs() const { return m_frameIntervalMs; }

protected:
    /// A frame, from the frame timer.
    void timerEvent(QTimerEvent *event) override;

private:
    /// The screen the rock is measured for: the pointer's, or the last one while the pointer is just
    /// past its edge.
    std::optional<DesktopScreen> screenFor(QPointF pointer) const;
    /// Recomputes the sizes when the pointer's screen, that screen's frames or the size setting
    /// changed since last time; the rock grows or shrinks away from the pointer.
    void refreshSizes(QPointF pointer);
    /// Moves the window when its whole-point frame changes.
    void advanceOrigin(double dt);
    void setWindowFrame(const QRect &frame);
    void makeSurface();
    /// Applies a new size setting, resting or not.
    void followScale();
    bool isShown() const;
    /// Where the rock rests when it cannot follow.
    QPointF restingOrigin() const;
    /// Nothing would change in the next frames unless the pointer moves.
    bool isSettled(QPointF pointer) const;
    /// Runs frames again (after rest, a new size or a show).
    void wake();
    /// Stops the frames and waits for the pointer to move.
    void rest();
    void stopAll();
    void frameTick();
    void restTick();
    std::optional<QRectF> activeVisibleFrame() const;
    /// Whether the rock lies within its screen's usable area (or there is no screen).
    bool isInsideScreen() const;

    AppState *m_state;
    std::shared_ptr<const Desktop> m_desktop;
    IdleRockMetrics m_metrics;
    IdleRockRoll m_roll;
    IdleRockRoll::RollInput m_rollInput; ///< the last pointer angle on the rock
    IdleRockPlatform m_platform;
    std::unique_ptr<RockSurface> m_surface;
    std::shared_ptr<PointerFeed> m_feed; ///< null where the desktop does not tell; may be shared with the shell
    /// Stands in for the display link; a bare timer, since it fires sixty times a second all day.
    QBasicTimer m_frameTimer;
    int m_frameIntervalMs;
    QTimer m_restTimer;                ///< a slow look at the pointer while resting
    bool m_isInteractionLocked = false;
    std::optional<DesktopScreen> m_activeScreen; ///< the screen the sizes were computed for
    QSizeF m_activePanelSize{IdleRockMetrics::initialSide, IdleRockMetrics::initialSide};
    double m_activeScale = 1.0;
    QPointF m_currentOrigin;
    QPointF m_targetOrigin;
    bool m_hasOrigin = false;
    std::optional<QPointF> m_lastPointer; ///< the pointer of the previous frame
    QRect m_windowFrame;                  ///< desktop coordinates; empty before the first show
};
