#pragma once

// Typed reads of one Accessibility attribute. An application may answer with a value of any type, so
// each reader checks it: a failed copy, an absent value and a value of another type all give none.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Accessibility.h"

namespace tavelin {

std::optional<std::string> axString(const Accessibility& accessibility, const AXElement& element,
                                    std::string_view attribute);
// A Boolean, or a number's truth.
std::optional<bool> axBool(const Accessibility& accessibility, const AXElement& element,
                           std::string_view attribute);
// "AXWindowNumber": a whole number from 0 to 4294967295.
std::optional<std::uint32_t> axWindowNumber(const Accessibility& accessibility, const AXElement& element);

}  // namespace tavelin
