#pragma once

// The raw texts of the view layer's enumerations, from one table per enumeration.

#include <optional>
#include <string_view>
#include <utility>

namespace tavelin::ui {

template <class Enum, std::size_t N>
std::string_view textOf(const std::pair<Enum, std::string_view> (&table)[N], Enum value) {
    for (const auto& [e, text] : table) {
        if (e == value) return text;
    }
    return {};
}

template <class Enum, std::size_t N>
std::optional<Enum> valueOf(const std::pair<Enum, std::string_view> (&table)[N], std::string_view text) {
    for (const auto& [e, t] : table) {
        if (t == text) return e;
    }
    return std::nullopt;
}

}  // namespace tavelin::ui
