#pragma once

#include "EnumNames.h"

/// The mouth drawn on a rock; `none` draws no mouth.
enum class RockExpression { none, smile, scary };

template <> struct EnumNames<RockExpression> {
    static constexpr std::array<const char *, 3> names{"none", "smile", "scary"};
};
