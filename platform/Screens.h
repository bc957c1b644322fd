#pragma once

// The displays as the application sees them: their frames in points (the first screen holds the menu
// bar and has its origin at 0, 0; y grows upwards), the main screen and the mouse. A change of the
// arrangement, resolution or set of displays posts kApplicationDidChangeScreenParameters on the
// program's default notification centre, on the main queue. Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

namespace tavelin {

inline constexpr std::string_view kApplicationDidChangeScreenParameters =
    "NSApplicationDidChangeScreenParametersNotification";

struct Screen {
    // The display object behind the value: two values of one display have the same identity, also
    // after the display moved.
    std::uint64_t identity = 0;
    Rect frame;
    // The device description's "NSScreenNumber" (the display's ID); none when it carries none.
    std::optional<std::uint32_t> screenNumber;
    std::string localizedName;
    // The frame less the menu bar and the Dock.
    Rect visibleFrame;
    double backingScaleFactor = 1;  // pixels per point
    friend bool operator==(const Screen&, const Screen&) = default;
};

class Screens {
  public:
    virtual ~Screens() = default;

    // The first screen is the one at the origin; the order of the others is the platform's.
    virtual std::vector<Screen> screens() const = 0;
    // The screen of the key window, or the first one; none without screens.
    virtual std::optional<Screen> mainScreen() const = 0;
    // In screen coordinates.
    virtual Point mouseLocation() const = 0;
};

}  // namespace tavelin
