#pragma once

#include <optional>

/// Sizes of the panel that holds every screen, in points.
namespace PanelMetrics {

/// The panel's fixed width.
inline constexpr double width = 320;
/// The content height of the short panel.
inline constexpr double shortHeight = 470;

/// The tall content height: two thirds of the visible screen height, rounded half away from zero,
/// never below the short height; the short height when the screen is unknown.
double tallContentHeight(std::optional<double> visibleHeight);

} // namespace PanelMetrics
