#pragma once

#include "EnumNames.h"

/// Body colour of a rock; `original` is the artwork's own colour.
enum class RockColor { original, black, red, orange, yellow, green, blue, pink };

template <> struct EnumNames<RockColor> {
    static constexpr std::array<const char *, 8> names{"original", "black", "red",  "orange",
                                                       "yellow",   "green", "blue", "pink"};
};
