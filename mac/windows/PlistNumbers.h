#pragma once

// Numbers of the window server's and the system's property lists, which may come as integers or reals.
// A real counts by its integer part; a non-finite one, or one whose integer part the type cannot hold,
// is no number. Every other kind of value is no number either.

#include <cstdint>
#include <optional>

#include "platform/PlistValue.h"

namespace tavelin {

std::optional<std::int64_t> plistInteger(const PlistValue* value);
// An integer is taken as the unsigned 64-bit value whose bits it holds: property lists keep integers
// signed, and the window server's IDs use all 64 bits.
std::optional<std::uint64_t> plistUnsignedInteger(const PlistValue* value);

}  // namespace tavelin
