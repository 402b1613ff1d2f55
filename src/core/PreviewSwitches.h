#pragma once

#include "CustomRockShape.h"

#include <optional>

/// Developer previews: switches read from the environment so screens can start in a prepared state,
/// and the fixed sample outline they use.
namespace RenderPreview {

/// A fixed wobbly ellipse, recognised on a 200 x 200 canvas; a shape without points if refused.
CustomRockShape sampleShape();
/// The sample shape when KIVVO_DRAWN is exactly "1"; read afresh on every call.
std::optional<CustomRockShape> previewDraft();
/// True when KIVVO_BLANK is exactly "1"; read afresh on every call.
bool previewBlankCanvas();

} // namespace RenderPreview
