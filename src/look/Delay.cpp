#include "Delay.h"

void Delay::start(double seconds)
{
    m_left = seconds;
    run();
}

void Delay::skip()
{
    if (!leaveClock())
        return;
    land();
    announce(true);
}

bool Delay::step(double dt)
{
    m_left -= dt;
    return m_left > 0;
}
