#pragma once

// Names ordered as the Finder orders them in the user's locale: case does not count, digits count by
// their number ("File 2" before "File 10"), accents do count. ICU's collation underneath. Any thread.

#include <string_view>

namespace tavelin {

// Negative when `a` goes before `b`, zero when they sort alike, positive otherwise.
int localizedStandardCompare(std::string_view a, std::string_view b);

}  // namespace tavelin
