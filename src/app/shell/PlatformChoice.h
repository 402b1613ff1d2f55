#pragma once

/// What the floating rock stands on, decided after Qt is up by probing what the session offers, never
/// by the desktop's name. Without a Wayland session everything stays on X11.
struct PlatformChoice {
    /// Where the pointer's position comes from.
    enum class Feed { x11, kwinScript, gnomeShell, none };
    /// What shows the rock.
    enum class Surface { x11Window, layerShell, gnomeShell };

    Feed feed = Feed::x11;
    Surface surface = Surface::x11Window;

    bool operator==(const PlatformChoice &) const = default;

    /// Under XWayland the X server knows the pointer only over X11 windows, and a click on the rock over
    /// a native window is lost: a compositor's own feed (`compositorFeed`: what answered, or none) and an
    /// overlay surface replace them where offered. GNOME Shell's extension gives both.
    static PlatformChoice choose(bool waylandSession, Feed compositorFeed, bool layerShellOffered);
};
