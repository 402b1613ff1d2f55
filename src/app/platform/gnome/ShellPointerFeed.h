#pragma once

#include "PointerFeed.h"

#include <functional>
#include <memory>

class ShellRockLink;

/// The pointer as GNOME Shell knows it, over native windows and the empty desktop too, reported by
/// Kivvo's extension on every change of position (at most once a frame). Nothing comes while it rests.
class ShellPointerFeed : public PointerFeed {
    Q_OBJECT

public:
    /// Follows `link`; `primaryHeight` turns the shell's y-down positions into desktop coordinates.
    ShellPointerFeed(std::shared_ptr<ShellRockLink> link, std::function<double()> primaryHeight);

    QPointF position() const override;
    void setListening(bool listening) override { m_listening = listening; }
    bool reportsMotion() const override { return true; }
    /// The cursor tracker reports every change of position, a warp included.
    bool reportsWarps() const override { return true; }

private:
    std::shared_ptr<ShellRockLink> m_link;
    std::function<double()> m_primaryHeight;
    bool m_listening = false;
};
