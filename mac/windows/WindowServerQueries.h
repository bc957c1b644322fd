#pragma once

// Questions to the window server's list: one window's entry by number, its owner, frame and name, and
// the set of windows on screen. Stateless: every call reads the live list on the calling thread. An
// unreadable list, or one that is no array, answers nothing (or an empty set); an entry without a
// usable value for a key counts as not having it.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "mac/windows/ScreenSupport.h"
#include "platform/WindowServer.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

class WindowServerQueries {
  public:
    WindowServerQueries(const WindowServer& windowServer, const ScreenSupport& screens)
        : windowServer_(windowServer), screens_(screens) {}

    std::optional<PlistDict> cgWindowInfo(std::uint32_t windowNumber) const;
    // The owner when it is an integer that fits a signed 32-bit value.
    std::optional<std::int32_t> cgWindowOwnerPID(std::uint32_t windowNumber) const;
    std::optional<WindowFrame> cgWindowFrame(std::uint32_t windowNumber) const;
    // Trimmed of white space and line breaks; an empty name is none.
    std::optional<std::string> cgWindowName(std::uint32_t windowNumber) const;
    // "X" and "Y" 0 when absent, "Width" and "Height" 0 when absent and required above 0; in screen
    // coordinates.
    std::optional<WindowFrame> windowFrame(const PlistValue& fromCGWindowBounds) const;
    std::set<std::uint32_t> cgWindowsOrderedOnScreen() const;

  private:
    const WindowServer& windowServer_;
    const ScreenSupport& screens_;
};

// Readers of one entry's values, shared by the window-list readers.
std::optional<std::uint32_t> windowNumber(const PlistDict& info);
std::optional<std::int32_t> windowOwnerPID(const PlistDict& info);
std::optional<std::int64_t> windowLayer(const PlistDict& info);
// One number of the bounds ("X", "Y", "Width", "Height") as it stands; none without a bounds
// dictionary or that number.
std::optional<double> windowBoundsValue(const PlistDict& info, std::string_view key);

}  // namespace tavelin
