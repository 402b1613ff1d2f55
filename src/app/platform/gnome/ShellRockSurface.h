#pragma once

#include "IdleRockPicture.h"
#include "RockSurface.h"

#include <QObject>
#include <QRect>

#include <memory>
#include <optional>

class ShellRockLink;

/// The floating rock as an actor of GNOME Shell, shown by Kivvo's extension above every window (full
/// screen ones too) and never taking a click. The shell gets the upright picture once per look and
/// turns it itself, so a frame costs one small message: where, and at what angle.
class ShellRockSurface : public QObject, public RockSurface {
    Q_OBJECT

public:
    ShellRockSurface(std::shared_ptr<ShellRockLink> link, AppState *state, const IdleRockMetrics *metrics,
                     const IdleRockRoll *roll, QObject *parent = nullptr);

    void setFrame(const QRect &frame) override;
    void show() override;
    void hide() override;
    /// Nothing to do: the shell keeps the rock above every window.
    void raise() override {}
    bool isVisible() const override { return m_shown; }

    /// The picture as the shell was given it.
    const QImage &picture() const { return m_picture.image(); }

private:
    /// Where and how the rock is shown.
    struct Placement {
        QPoint topLeft;
        double degrees = 0;
        bool operator==(const Placement &) const = default;
    };

    /// Sends the placement once the current event is handled: a frame moves and turns the rock together.
    void placeLater();
    /// Sends the placement if it changed since it was last sent.
    void applyPlacement();
    void followPicture();
    /// The extension forgot the rock (turned off and on): give it the picture and placement again.
    void followRejoin();

    std::shared_ptr<ShellRockLink> m_link;
    const IdleRockRoll *m_roll;
    IdleRockPicture m_picture;
    QRect m_frame;
    std::optional<Placement> m_sent; ///< what the shell shows, while shown
    bool m_shown = false;
    bool m_pictureSent = false; ///< the shell has the current picture
    bool m_placePending = false;
};
