#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

/// Median wall time of `times` runs of `run`, in milliseconds: steadier than a mean on a busy machine.
inline double medianMs(const std::function<void()> &run, int times)
{
    std::vector<double> samples;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
