#include "AnimationClock.h"

#include "Animation.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
// Refresh rates outside this range are misreported or not worth matching.
constexpr double minimumRate = 30;
constexpr double maximumRate = 120;
constexpr double fallbackRate = 60;
} // namespace

AnimationClock &AnimationClock::instance()
{
    static AnimationClock clock;
    return clock;
}

AnimationClock::AnimationClock()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AnimationClock::tick);
    m_monotonic.start();
}

double AnimationClock::frameInterval()
{
    double rate = fallbackRate;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::primaryScreen()) {
        const double screenRate = QGuiApplication::primaryScreen()->refreshRate();
        if (screenRate > 0) {
            rate = std::clamp(screenRate, minimumRate, maximumRate);
        }
    }
    return 1.0 / rate;
}

void AnimationClock::setJumpToEnd(bool on)
{
    m_jumpToEnd = on;
    if (!on) {
        return;
    }
    // A receiver may stop or delete other animations while one lands, so walk a copy and re-check.
    const std::vector<Animation *> landing = m_running;
    for (Animation *animation : landing) {
        if (isRunning(animation)) {
            animation->finishNow();
        }
    }
}

void AnimationClock::setTimeSource(std::function<double()> now)
{
    m_now = std::move(now);
    m_lastFrame = this->now();
}

void AnimationClock::advance(double seconds)
{
    // Animations started during this frame wait for the next one; stopped or deleted ones are skipped.
    const std::vector<Animation *> frame = m_running;
    for (Animation *animation : frame) {
        if (isRunning(animation)) {
            animation->advance(seconds);
        }
    }
}

void AnimationClock::tick()
{
    const double time = now();
    const double dt = time - m_lastFrame;
    m_lastFrame = time;
    if (dt > 0) {
        advance(dt);
    }
}

void AnimationClock::add(Animation *animation)
{
    m_running.push_back(animation);
    if (!m_timer.isActive()) {
        // The first frame measures from now, not from whenever the clock last stopped.
        m_lastFrame = now();
        m_timer.start(std::max(1, int(std::floor(frameInterval() * 1000))));
    }
}

void AnimationClock::remove(Animation *animation)
{
    std::erase(m_running, animation);
    if (m_running.empty()) {
        m_timer.stop();
    }
}

bool AnimationClock::isRunning(const Animation *animation) const
{
    return std::find(m_running.begin(), m_running.end(), animation) != m_running.end();
}

double AnimationClock::now() const
{
    return m_now ? m_now() : m_monotonic.nsecsElapsed() * 1e-9;
}
