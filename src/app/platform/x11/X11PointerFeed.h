#pragma once

#include "Desktop.h"
#include "PointerFeed.h"

#include <memory>

class PointerMotion;

/// The pointer as the X display knows it: asked once per frame, with XInput 2 raw motion to wake a
/// resting rock where the display has it.
class X11PointerFeed : public PointerFeed {
    Q_OBJECT

public:
    explicit X11PointerFeed(std::shared_ptr<const Desktop> desktop, QObject *parent = nullptr);
    ~X11PointerFeed() override;

    QPointF position() const override;
    void setListening(bool listening) override;
    bool reportsMotion() const override { return m_motion != nullptr; }
    /// A warped pointer sends no raw motion.
    bool reportsWarps() const override { return false; }

private:
    std::shared_ptr<const Desktop> m_desktop;
    PointerMotion *m_motion; ///< null where the display cannot report motion
};
