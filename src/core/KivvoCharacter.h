#pragma once

#include "EnumNames.h"

/// The ready-made character rock. There is only one.
enum class KivvoCharacter { vidovu };

template <> struct EnumNames<KivvoCharacter> {
    static constexpr std::array<const char *, 1> names{"vidovu"};
};
