#include "Delay.h"

void Delay::start(double seconds)
{
    m_left = seconds;
    run();
}

bool Delay::step(double dt)
{
    m_left -= dt;
    return m_left > 0;
}
