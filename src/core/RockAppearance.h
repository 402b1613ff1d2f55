#pragma once

#include "CustomRockShape.h"
#include "KivvoCharacter.h"
#include "RockColor.h"
#include "RockExpression.h"

#include <optional>

/// Everything needed to draw one rock.
struct RockAppearance {
    KivvoCharacter character = KivvoCharacter::vidovu;
    RockColor color = RockColor::original;
    RockExpression expression = RockExpression::none;
    /// When present the rock is drawn with this outline instead of the character artwork.
    std::optional<CustomRockShape> customShape;

    bool operator==(const RockAppearance &) const = default;
};
