#include "mac/windows/AXAttributes.h"

#include <cmath>
#include <limits>

namespace tavelin {

std::optional<std::string> axString(const Accessibility& accessibility, const AXElement& element,
                                    std::string_view attribute) {
    auto value = accessibility.copyAttributeValue(element, attribute);
    if (!value) return std::nullopt;
    if (auto* text = std::get_if<std::string>(&*value)) return std::move(*text);
    return std::nullopt;
}

std::optional<bool> axBool(const Accessibility& accessibility, const AXElement& element,
                           std::string_view attribute) {
    const auto value = accessibility.copyAttributeValue(element, attribute);
    if (!value) return std::nullopt;
    if (const auto* flag = std::get_if<bool>(&*value)) return *flag;
    if (const auto* number = std::get_if<double>(&*value)) return *number != 0;
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) return *integer != 0;
    return std::nullopt;
}

std::optional<std::uint32_t> axWindowNumber(const Accessibility& accessibility, const AXElement& element) {
    constexpr auto kLargest = std::numeric_limits<std::uint32_t>::max();
    const auto value = accessibility.copyAttributeValue(element, "AXWindowNumber");
    if (!value) return std::nullopt;
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) {
        if (*integer < 0 || *integer > std::int64_t{kLargest}) return std::nullopt;
        return static_cast<std::uint32_t>(*integer);
    }
    if (const auto* number = std::get_if<double>(&*value)) {
        if (!(*number >= 0 && *number <= kLargest) || std::trunc(*number) != *number) return std::nullopt;
        return static_cast<std::uint32_t>(*number);
    }
    return std::nullopt;
}

}  // namespace tavelin
