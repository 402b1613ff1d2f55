// Built where the Wayland client library is missing: the rock has no layer-shell surface there.
#include "LayerShellSurface.h"

bool LayerShellSurface::isOffered()
{
    return false;
}

std::unique_ptr<RockSurface> LayerShellSurface::make(AppState *, const IdleRockMetrics *,
                                                     const IdleRockRoll *)
{
    return nullptr;
}
