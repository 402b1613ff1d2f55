#pragma once

#include <QRect>

/// Where the floating rock is shown: a window on X11, a layer-shell surface on Wayland. The
/// controller's rules stay the same whatever shows it; a surface draws the rock's picture itself (see
/// `IdleRockPicture`), so the controller only places it.
class RockSurface {
public:
    virtual ~RockSurface() = default;
    /// Puts the rock's square at `frame`, in Qt's global coordinates (y down), whole points.
    virtual void setFrame(const QRect &frame) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    /// Puts the rock above other always-on-top windows; nothing where it is always on top.
    virtual void raise() = 0;
    virtual bool isVisible() const = 0;
    /// A frame's changes are all made: send them now, together.
    virtual void commit() {}
};
