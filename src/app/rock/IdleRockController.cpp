#include "IdleRockController.h"

#include "AppState.h"
#include "IdleRockFollow.h"
#include "IdleRockView.h"
#include "PointerFeed.h"
#include "ScreenCoordinates.h"
#include "X11PointerFeed.h"
#ifdef KIVVO_HAS_XCB
#include "XcbRock.h"
#endif

#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {
// While resting, a slow look at the pointer stands in for motion events where there are none, and
// backs them up where there are (a warped pointer sends no raw motion).
constexpr int restPollMs = 200;
constexpr int restPollWithMotionMs = 1000;

/// End-to-end tests find a rock that is no X11 window by these lines (KIVVO_DEBUG_ROCK=1).
void tellTests(const QRectF &qtFrame)
{
    static const bool wanted = qEnvironmentVariableIntValue("KIVVO_DEBUG_ROCK") == 1;
    if (!wanted)
        return;
    if (qtFrame.isNull())
        std::fprintf(stderr, "kivvo-rock: hidden\n");
    else
        std::fprintf(stderr, "kivvo-rock: %d %d %d %d\n", int(qtFrame.x()), int(qtFrame.y()),
                     int(qtFrame.width()), int(qtFrame.height()));
}
} // namespace

IdleRockPlatform IdleRockPlatform::x11(std::shared_ptr<const Desktop> desktop)
{
#ifdef KIVVO_HAS_XCB
    // One rock on a connection of its own is both the surface and the feed; made with the surface.
    auto rock = std::make_shared<std::shared_ptr<XcbRock>>();
    return {[desktop, rock](AppState *state, const IdleRockMetrics *metrics,
                            const IdleRockRoll *roll) -> std::unique_ptr<RockSurface> {
                *rock = XcbRock::open(state, metrics, roll, desktop);
                if (*rock)
                    return std::make_unique<XcbRockSurface>(*rock);
                return std::make_unique<IdleRockView>(state, metrics, roll);
            },
            [desktop, rock]() -> std::shared_ptr<PointerFeed> {
                if (*rock)
                    return *rock;
                return std::make_shared<X11PointerFeed>(desktop);
            }};
#else
    return {[](AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll) {
                return std::make_unique<IdleRockView>(state, metrics, roll);
            },
            [desktop] { return std::make_shared<X11PointerFeed>(desktop); }};
#endif
}

IdleRockController::IdleRockController(AppState *state, std::shared_ptr<const Desktop> desktop,
                                       std::optional<IdleRockPlatform> platform, QObject *parent)
    : QObject(parent), m_state(state), m_desktop(std::move(desktop)),
      m_platform(platform ? std::move(*platform) : IdleRockPlatform::x11(m_desktop))
{
    m_frameIntervalMs = IdleRockFollow::frameIntervalMs(0);
    connect(&m_restTimer, &QTimer::timeout, this, &IdleRockController::restTick);
    connect(m_state, &AppState::idleRockScaleChanged, this, &IdleRockController::followScale);
}

void IdleRockController::followScale()
{
    // A new size must be applied even while the rock rests. The store holds the value only after
    // this signal: the next frame reads it, and a rock that cannot follow is placed again afterwards.
    if (!isShown())
        return;
    if (m_feed) {
        wake();
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] {
            if (isShown())
                showRock(m_desktop->pointer());
        },
        Qt::QueuedConnection);
}

IdleRockController::~IdleRockController() = default;

IdleRockView *IdleRockController::view() const
{
    return dynamic_cast<IdleRockView *>(m_surface.get());
}

void IdleRockController::makeSurface()
{
    m_surface = m_platform.makeSurface(m_state, &m_metrics, &m_roll);
    if (m_platform.makeFeed)
        m_feed = m_platform.makeFeed();
    if (m_feed)
        connect(m_feed.get(), &PointerFeed::moved, this, &IdleRockController::wake);
}

bool IdleRockController::isShown() const
{
    return m_surface && m_surface->isVisible();
}

void IdleRockController::showRock(QPointF pointer)
{
    if (!m_surface)
        makeSurface();
    refreshSizes(pointer);
    const QPointF origin = m_feed ? IdleRockFollow::originNear(pointer, m_activePanelSize, activeVisibleFrame())
                                  : restingOrigin();
    m_currentOrigin = m_targetOrigin = origin;
    m_hasOrigin = true;
    m_rollInput.lastRollAngle.reset();
    setWindowFrame(IdleRockFollow::windowFrame(origin, m_activePanelSize));
    m_surface->show();
    m_lastPointer.reset();
    if (m_feed)
        wake();
}

QPointF IdleRockController::restingOrigin() const
{
    const std::optional<QRectF> visible = activeVisibleFrame();
    return visible ? IdleRockFollow::restingOrigin(m_activePanelSize, *visible) : QPointF();
}

void IdleRockController::hideRock()
{
    stopAll();
    if (m_surface)
        m_surface->hide();
    tellTests({});
    m_isInteractionLocked = false;
    m_hasOrigin = false;
    m_roll.reset();
}

void IdleRockController::raise()
{
    if (isShown())
        m_surface->raise();
}

void IdleRockController::step(double dt)
{
    if (!isShown() || !m_feed) {
        stopAll();
        return;
    }
    dt = std::max(dt, IdleRockFollow::shortestFrame);
    const QPointF pointer = m_feed->position(); // read once: every rule below sees the same point
    const QRectF frame = windowFrame();
    m_isInteractionLocked = IdleRockFollow::lockedAfter(m_isInteractionLocked, frame, pointer);
    refreshSizes(pointer);
    if (m_isInteractionLocked && !isInsideScreen())
        m_isInteractionLocked = false; // its monitor shrank or went: the lock must not keep it out of sight
    if (!m_isInteractionLocked)
        m_targetOrigin = IdleRockFollow::originNear(pointer, m_activePanelSize, activeVisibleFrame());
    m_rollInput.step(m_roll, pointer, frame.center(), m_metrics.rockSize(), dt);
    advanceOrigin(dt);
    m_surface->commit();
    const bool settled = isSettled(pointer);
    m_lastPointer = pointer;
    if (settled)
        rest();
}

std::optional<DesktopScreen> IdleRockController::screenFor(QPointF pointer) const
{
    std::optional<DesktopScreen> screen = m_desktop->screenAt(pointer);
    // A pointer that has just crossed a seam keeps the screen it came from for a few points more, so
    // a hand wavering on the seam does not flip the rock's size back and forth. A pointer inside the
    // old frame that finds another screen there means that screen is gone.
    constexpr double seamSlack = 16;
    if (screen && m_activeScreen && screen->id != m_activeScreen->id && !m_activeScreen->holds(pointer) &&
        m_activeScreen->frame.adjusted(-seamSlack, -seamSlack, seamSlack, seamSlack).contains(pointer))
        return m_activeScreen;
    return screen;
}

void IdleRockController::refreshSizes(QPointF pointer)
{
    const std::optional<DesktopScreen> screen = screenFor(pointer);
    const double scale = m_state->idleRockScale();
    // Compared whole, so that a screen whose size or usable area changed is measured again.
    if (screen == m_activeScreen && scale == m_activeScale)
        return;
    m_activeScreen = screen;
    m_activeScale = scale;
    const QSizeF before = m_activePanelSize;
    m_activePanelSize = m_metrics.update(screen ? std::optional(screen->visibleFrame) : std::nullopt, scale);
    if (m_hasOrigin)
        m_currentOrigin = IdleRockFollow::resizedAway(m_currentOrigin, before, m_activePanelSize, pointer);
    const int interval = IdleRockFollow::frameIntervalMs(screen ? screen->refreshRate : 0);
    if (interval != std::exchange(m_frameIntervalMs, interval) && m_frameTimer.isActive())
        m_frameTimer.start(m_frameIntervalMs, Qt::PreciseTimer, this);
}

bool IdleRockController::isInsideScreen() const
{
    const std::optional<QRectF> visible = activeVisibleFrame();
    return !visible || visible->contains(QRectF(IdleRockFollow::windowFrame(m_currentOrigin, m_activePanelSize)));
}

std::optional<QRectF> IdleRockController::activeVisibleFrame() const
{
    return m_activeScreen ? std::optional(m_activeScreen->visibleFrame) : std::nullopt;
}

void IdleRockController::advanceOrigin(double dt)
{
    if (!m_hasOrigin)
        return;
    m_currentOrigin = IdleRockFollow::advanced(m_currentOrigin, m_targetOrigin, dt);
    QRect next = IdleRockFollow::windowFrame(m_currentOrigin, m_activePanelSize);
    // Monitors of different scales leave gaps in the desktop's points that no screen shows: the rock
    // crosses them at once instead of gliding where no monitor can draw it right.
    const std::optional<DesktopScreen> under = m_desktop->screenAt(QRectF(next).center());
    if (under && !under->holds(QRectF(next).center())) {
        m_currentOrigin = m_targetOrigin;
        next = IdleRockFollow::windowFrame(m_currentOrigin, m_activePanelSize);
    }
    if (next != m_windowFrame)
        setWindowFrame(next);
}

QRectF IdleRockController::windowFrame() const
{
    return m_windowFrame;
}

void IdleRockController::setWindowFrame(const QRect &frame)
{
    m_windowFrame = frame;
    const QRectF qtFrame = ScreenCoordinates::flipped(QRectF(frame), m_desktop->primaryHeight());
    m_surface->setFrame(qtFrame.toRect());
    tellTests(qtFrame);
}

bool IdleRockController::isSettled(QPointF pointer) const
{
    // With the pointer still, the lock and the target stay as they are; the window has nowhere left
    // to go once it has arrived. The roll is still when upright, or when the pointer rests on its ring
    // (a zero turn each frame); a spin this small only ever decays further and can never matter.
    constexpr double stillSpin = 1e-6;
    if (m_lastPointer != pointer || std::abs(m_roll.spin()) >= stillSpin)
        return false;
    const bool onRing = IdleRockRoll::RollInput::isOnRock(pointer, windowFrame().center(), m_metrics.rockSize());
    return (m_roll.degrees() == 0 || onRing) &&
           IdleRockFollow::hasArrived(m_currentOrigin, m_targetOrigin, m_activePanelSize);
}

void IdleRockController::wake()
{
    if (!isShown() || !m_feed)
        return;
    m_restTimer.stop();
    m_feed->setListening(false);
    if (!m_frameTimer.isActive())
        m_frameTimer.start(m_frameIntervalMs, Qt::PreciseTimer, this);
}

void IdleRockController::rest()
{
    m_frameTimer.stop();
    m_feed->setListening(true);
    if (!m_feed->reportsWarps())
        m_restTimer.start(m_feed->reportsMotion() ? restPollWithMotionMs : restPollMs);
}

void IdleRockController::stopAll()
{
    m_frameTimer.stop();
    m_restTimer.stop();
    if (m_feed)
        m_feed->setListening(false);
}

void IdleRockController::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_frameTimer.timerId())
        frameTick();
    else
        QObject::timerEvent(event);
}

void IdleRockController::frameTick()
{
    step(IdleRockFollow::frameTime(m_frameIntervalMs));
}

void IdleRockController::restTick()
{
    if (!isShown() || !m_feed) {
        stopAll();
        return;
    }
    if (m_feed->position() != m_lastPointer)
        wake();
}
