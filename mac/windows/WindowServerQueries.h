#pragma once

// Questions to the window server's list: one window's entry by number, its owner, frame and name, and
// the set of windows on screen. Live queries read the list afresh for every call, on the calling thread.
// Queries for one pass (forOnePass) ask for each list once and share the answers among their copies. An
// unreadable list, or one that is no array, answers nothing (or an empty set); an entry without a
// usable value for a key counts as not having it.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mac/windows/ScreenSupport.h"
#include "platform/WindowServer.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

class WindowServerQueries {
  public:
    WindowServerQueries(const WindowServer& windowServer, ScreenSupport screens)
        : windowServer_(windowServer), screens_(screens) {}
    // For one pass over an application's windows within one turn of the main queue, in which the window
    // server's answer does not change: each list is asked for once, when first needed, and a window's
    // entry is found by number in the complete list rather than asked for alone.
    static WindowServerQueries forOnePass(const WindowServer& windowServer, ScreenSupport screens);

    // The list asked with the option, relative to no window; none when unreadable or no array.
    std::shared_ptr<const PlistArray> windowList(WindowListOption option) const;

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
    bool isOrderedOnScreen(std::uint32_t windowNumber) const;

    // A window of the complete list on layer 0 with an owner, a number other than 0 and a frame.
    struct NormalWindow {
        std::uint32_t number = 0;
        std::int32_t ownerPID = 0;
        WindowFrame frame;
    };
    // Front to back; empty when the list cannot be read.
    std::shared_ptr<const std::vector<NormalWindow>> normalWindows() const;

  private:
    struct PassAnswers;
    const PlistDict* passEntry(std::uint32_t windowNumber) const;
    const std::set<std::uint32_t>& passOnScreen() const;

    const WindowServer& windowServer_;
    ScreenSupport screens_;
    std::shared_ptr<PassAnswers> pass_;  // none: live
};

// Readers of one entry's values, shared by the window-list readers.
std::optional<std::uint32_t> windowNumber(const PlistDict& info);
std::optional<std::int32_t> windowOwnerPID(const PlistDict& info);
std::optional<std::int64_t> windowLayer(const PlistDict& info);
// One number of the bounds ("X", "Y", "Width", "Height") as it stands; none without a bounds
// dictionary or that number.
std::optional<double> windowBoundsValue(const PlistDict& info, std::string_view key);

}  // namespace tavelin
