#pragma once

#include "AnimationClock.h"

#include <cmath>

/// Moves the shared clock on by `seconds` in 60 Hz frames, as the screen's timer would.
inline void runClock(double seconds)
{
    constexpr double frame = 1.0 / 60;
    const int frames = int(std::ceil(seconds / frame - 1e-9));
    for (int i = 0; i < frames; ++i)
        AnimationClock::instance().advance(frame);
}
