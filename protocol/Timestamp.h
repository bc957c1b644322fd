#pragma once

// Points in time as the records hold them, and their wire form: "YYYY-MM-DDTHH:MM:SSZ" in UTC with
// whole seconds. Microseconds keep every year of that form within range.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

using Timestamp = std::chrono::sys_time<std::chrono::microseconds>;

Timestamp currentTimestamp();

// Floors toward the past to whole seconds. Years outside 1...9999 have no form of four digits; such a
// time is not written at all (absent) rather than clamped, so the encoding fails instead of sending
// another time than the one held.
std::optional<std::string> formatTimestamp(Timestamp time);

// Accepts the designator "Z" or an offset "+hh:mm" / "-hh:mm" (converted to UTC). Fractional seconds
// and every other form are refused, and so is a time that could not be written back.
std::optional<Timestamp> parseTimestamp(std::string_view text);

}  // namespace tavelin
