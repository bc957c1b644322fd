#pragma once

// Names ordered by the user's locale with case not counting and accents counting. Digits are characters
// like any other ("File 10" before "File 2"): devices and the prefetch follow this order. ICU's collation
// underneath. Any thread.

#include <string_view>

namespace tavelin {

// Negative when `a` goes before `b`, zero when they sort alike, positive otherwise.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace tavelin
