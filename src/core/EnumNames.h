#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

/// Raw string values of the closed enumerations. Specialise with a `names` array whose order is the
/// order cases are listed and offered; the raw value of a case is its name.
template <typename E> struct EnumNames;

/// The raw value of a case, as written to the save file.
template <typename E> QString rawValue(E value)
{
    return QString::fromLatin1(EnumNames<E>::names[static_cast<std::size_t>(value)]);
}

/// The case whose raw value equals the text exactly, if any.
template <typename E> std::optional<E> enumFromRaw(QStringView text)
{
    const auto &names = EnumNames<E>::names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == QLatin1StringView(names[i]))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

/// Every case in listing order.
template <typename E> constexpr auto allCases()
{
    constexpr std::size_t count = EnumNames<E>::names.size();
    std::array<E, count> cases{};
    for (std::size_t i = 0; i < count; ++i)
        cases[i] = static_cast<E>(i);
    return cases;
}
