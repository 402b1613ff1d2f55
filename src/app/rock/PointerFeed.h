#pragma once

#include <QObject>
#include <QPointF>

/// The global pointer as the floating rock follows it. On X11 the display is asked each frame; under
/// Wayland only the compositor knows where the pointer is, and it tells us.
class PointerFeed : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// The last known position, in desktop coordinates (y up).
    virtual QPointF position() const = 0;
    /// While listening, motion is reported through `moved`; the rock listens only while it rests.
    virtual void setListening(bool listening) = 0;
    /// Whether `moved` comes at all; otherwise the resting rock looks at the pointer now and then.
    virtual bool reportsMotion() const = 0;
    /// Whether every change of position is reported, a warp included; otherwise a slow look backs
    /// the reports up.
    virtual bool reportsWarps() const = 0;

signals:
    /// The pointer moved (while listening).
    void moved();
};
