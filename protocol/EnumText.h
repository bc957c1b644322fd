#pragma once

// Enumerations whose cases travel as their raw text. An enumeration opts in by specialising
// EnumText with its texts in declaration order; its enumerators must be 0, 1, 2, ... in that order.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tavelin {

template <class E>
struct EnumText;

template <class E>
concept TextEnum = std::is_enum_v<E> && requires { EnumText<E>::names; };

template <TextEnum E>
constexpr std::string_view toString(E value) {
    const auto index = static_cast<std::size_t>(value);
    return index < std::size(EnumText<E>::names) ? EnumText<E>::names[index] : std::string_view{};
}

// Exact, case-sensitive match; no text falls back to a default case.
template <TextEnum E>
constexpr std::optional<E> enumFromString(std::string_view text) {
    for (std::size_t i = 0; i < std::size(EnumText<E>::names); ++i) {
        if (EnumText<E>::names[i] == text) return static_cast<E>(i);
    }
    return std::nullopt;
}

}  // namespace tavelin
