#include "Animation.h"

#include "AnimationClock.h"

#include <QPointer>

Animation::Animation(QObject *parent) : QObject(parent) {}

Animation::~Animation()
{
    leaveClock();
}

void Animation::run()
{
    AnimationClock &clock = AnimationClock::instance();
    if (clock.jumpsToEnd()) {
        finishNow();
        return;
    }
    if (!m_running) {
        m_running = true;
        clock.add(this);
    }
}

bool Animation::leaveClock()
{
    if (!m_running) {
        return false;
    }
    m_running = false;
    AnimationClock::instance().remove(this);
    return true;
}

void Animation::announce(bool stopped)
{
    const QPointer<Animation> alive(this);
    emit changed();
    if (stopped && alive) {
        emit finished();
    }
}

void Animation::advance(double dt)
{
    const bool moving = step(dt);
    // Leave before telling anyone, so a receiver may start the next motion right away.
    if (!moving) {
        leaveClock();
    }
    announce(!moving);
}

void Animation::finishNow()
{
    leaveClock();
    land();
    announce(true);
}
