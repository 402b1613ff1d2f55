#pragma once

#include <cstdint>
#include <optional>

/// Whether a shown panel is in front of the user, so a click on the tray icon puts it away, or out of
/// sight, so the click brings it back. Being inactive does not count: users click elsewhere and then
/// on the icon to put the panel away.
namespace PanelSight {

/// The workspace number that stands for every workspace.
inline constexpr std::uint32_t allDesktops = 0xFFFFFFFF;

/// What the window system tells about a top-level window; unknown where it cannot tell.
struct WindowPlace {
    bool viewable = true;                        ///< mapped, and so are its ancestors (its frame)
    std::optional<std::uint32_t> desktop;        ///< the window's workspace
    std::optional<std::uint32_t> currentDesktop; ///< the workspace on show
};

/// Shown, not minimised, viewable, and on the workspace on show (or on all of them).
bool isInSight(bool visible, bool minimized, const std::optional<WindowPlace> &place);

} // namespace PanelSight
