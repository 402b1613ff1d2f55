#pragma once

#include "Animation.h"

/// A pause on the shared clock: `finished` comes once the given seconds have passed, so tests step
/// through it without waiting and settled screens are captured without it (while ends are jumped to,
/// it finishes at once).
class Delay : public Animation {
    Q_OBJECT

public:
    explicit Delay(QObject *parent = nullptr) : Animation(parent) {}

    /// Starts waiting `seconds` (again, if it was waiting).
    void start(double seconds);
    /// Stops waiting without `finished`.
    void cancel() { leaveClock(); }

private:
    bool step(double dt) override;
    void land() override { m_left = 0; }

    double m_left = 0; ///< seconds still to wait
};
