#include "PanelSight.h"

namespace PanelSight {

bool isInSight(bool visible, bool minimized, const std::optional<WindowPlace> &place)
{
    if (!visible || minimized)
        return false;
    if (!place)
        return true;
    if (!place->viewable)
        return false;
    if (!place->desktop || !place->currentDesktop || *place->desktop == allDesktops)
        return true;
    return *place->desktop == *place->currentDesktop;
}

} // namespace PanelSight
