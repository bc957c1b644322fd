#pragma once

// The window server's list of windows and its window pictures. The list is an array of window
// descriptions, front to back; a description is a dictionary with the keys below, as the window server
// gives it. The list may be missing or of another type, and a key may be missing or hold a value of
// another type, so readers check each one. Bounds are in the window server's top-left coordinates (see
// Geometry.h). Other applications' window names and pictures need the screen-recording permission
// (Privacy.h). Any thread.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "platform/PlistValue.h"

namespace tavelin {

inline constexpr std::string_view kCGWindowNumber = "kCGWindowNumber";  // integer
inline constexpr std::string_view kCGWindowLayer = "kCGWindowLayer";    // integer
inline constexpr std::string_view kCGWindowName = "kCGWindowName";      // text
inline constexpr std::string_view kCGWindowBounds = "kCGWindowBounds";  // {"X", "Y", "Width", "Height"}
inline constexpr std::string_view kCGWindowOwnerPID = "kCGWindowOwnerPID";      // integer
inline constexpr std::string_view kCGWindowIsOnscreen = "kCGWindowIsOnscreen";  // Boolean

// The layer of the desktop picture's windows, one per display; application windows are on layer 0, the
// Dock and the menu bar above them.
inline constexpr std::int64_t kDesktopWindowLayer = -2147483624;
inline constexpr std::int64_t kDockWindowLayer = 20;
inline constexpr std::int64_t kMenuBarWindowLayer = 24;

// Which windows a list or a picture takes in; options combine as bits (onScreenOnly |
// excludeDesktopElements is 17).
enum class WindowListOption : std::uint32_t {
    all = 0,
    onScreenOnly = 1,
    includingWindow = 8,          // only the window given
    excludeDesktopElements = 16,  // no desktop picture windows
};

constexpr WindowListOption operator|(WindowListOption a, WindowListOption b) {
    return static_cast<WindowListOption>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr bool hasOption(WindowListOption options, WindowListOption option) {
    return (static_cast<std::uint32_t>(options) & static_cast<std::uint32_t>(option)) != 0;
}

// Options combine as bits (boundsIgnoreFraming | bestResolution is 9).
enum class WindowImageOption : std::uint32_t {
    boundsIgnoreFraming = 1,  // the window without its shadow
    bestResolution = 8,       // the display's pixels
    nominalResolution = 16,   // one pixel per point
};

constexpr WindowImageOption operator|(WindowImageOption a, WindowImageOption b) {
    return static_cast<WindowImageOption>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr bool hasOption(WindowImageOption options, WindowImageOption option) {
    return (static_cast<std::uint32_t>(options) & static_cast<std::uint32_t>(option)) != 0;
}

class WindowServer {
  public:
    virtual ~WindowServer() = default;

    // An array of descriptions, front to back; none when the window server does not answer.
    // `relativeToWindow` 0 names no window.
    virtual std::optional<PlistValue> copyWindowInfo(WindowListOption option, std::uint32_t relativeToWindow) const = 0;
    // A picture of what the option selects, cut to `bounds` (none: the bounds of what is selected); none
    // when no picture can be made.
    virtual std::optional<Bitmap> createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                                    std::uint32_t windowID, WindowImageOption imageOption) = 0;
};

}  // namespace tavelin
