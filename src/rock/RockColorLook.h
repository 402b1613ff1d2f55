#pragma once

#include "RockColor.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

/// What each rock colour looks like: its body colour, its artwork and its menu swatch.
namespace RockColorLook {

/// The colour a rock body of this colour is filled with.
QColor body(RockColor color);
/// The base name of the ready-made rock's artwork in this colour; none for `original`.
std::optional<QString> assetName(RockColor color);
/// A 12 x 12 point circle of the body colour for menus, drawn at the given pixel ratio.
QImage menuSwatch(RockColor color, qreal devicePixelRatio = 2);

} // namespace RockColorLook
