#pragma once

// The window server's list of windows and its window pictures. A window description is a dictionary
// with the keys below, as the window server gives it; a key may be missing or hold a value of another
// type, so readers check each one. Bounds are in the window server's top-left coordinates (see
// Geometry.h). Pictures need the screen-recording permission (Privacy.h). Any thread.

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

// The layer of the desktop picture's windows, one per display.
inline constexpr std::int64_t kDesktopWindowLayer = -2147483624;

// Which windows a list or a picture takes in.
enum class WindowListOption : std::uint32_t {
    onScreenOnly = 1,
    includingWindow = 8,  // only the window given
};

enum class WindowImageOption : std::uint32_t {
    bestResolution = 8,      // the display's pixels
    nominalResolution = 16,  // one pixel per point
};

class WindowServer {
  public:
    virtual ~WindowServer() = default;

    // Front to back; none when the window server does not answer. `relativeToWindow` 0 names no window.
    virtual std::optional<std::vector<PlistDict>> copyWindowInfo(WindowListOption option,
                                                                 std::uint32_t relativeToWindow) const = 0;
    // A picture of what the option selects, cut to `bounds` (none: the bounds of what is selected); none
    // when no picture can be made.
    virtual std::optional<Bitmap> createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                                    std::uint32_t windowID, WindowImageOption imageOption) = 0;
};

}  // namespace tavelin
