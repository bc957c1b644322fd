#pragma once

// The operations that change a window through Accessibility: resize, move, move with a short eased
// glide, restore from the Dock, and make sure the window server has it on screen. Each blocks the
// calling thread for its waits (sleepBlocking: the world goes on, queued work does not) and reports
// success as a Boolean; failures leave system-log and window-actions log lines only. Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/ScreenSupport.h"
#include "mac/windows/WindowPlatform.h"
#include "mac/windows/WindowServerQueries.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

// The messaging timeout the window operations set on the elements they change.
inline constexpr double kWindowMessagingTimeout = 2.0;

class AXWindowGeometry {
  public:
    explicit AXWindowGeometry(const WindowPlatform& platform);

    // Size and top-left origin; a value that cannot be wrapped (not finite) writes nothing.
    bool setAXSize(const AXElement& element, Size size) const;
    bool setAXPosition(const AXElement& element, Point origin) const;
    // The frame in screen coordinates. Unanimated: the size, the position (tried up to three times), the
    // size again. Animated: the size, 16 eased positions 12.5 ms apart, the exact position, the size.
    bool setCocoaFrame(const AXElement& element, const WindowFrame& frame, bool animated) const;
    // Without `force`, a window that is not minimized is left alone.
    bool unminimize(const AXElement& element, std::string_view windowLabel, bool force) const;
    // Activates the application and raises the window until the window server has it on screen.
    bool ensureCGWindowOrderedOnScreen(std::uint32_t windowNumber, const AXElement& axWindow, std::int32_t app,
                                       std::string_view windowLabel, int maxAttempts) const;

  private:
    bool setValue(const AXElement& element, std::string_view attribute, const std::optional<AXValue>& value) const;
    std::optional<Point> currentOrigin(const AXElement& element) const;
    void wait(double seconds) const;

    WindowPlatform platform_;
    ScreenSupport screens_;
    WindowServerQueries queries_;
};

}  // namespace tavelin
