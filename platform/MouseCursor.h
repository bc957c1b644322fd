#pragma once

// The mouse pointer as the window server moves it: a warp puts the pointer at a point at once, and a
// posted mouse-moved event tells the applications that it moved (a warp alone does not). Points are in
// the window server's top-left coordinates (see Geometry.h). Any thread.

#include "platform/Geometry.h"

namespace tavelin {

class MouseCursor {
  public:
    virtual ~MouseCursor() = default;

    virtual void warpMouseCursorPosition(Point point) = 0;
    // A mouse-moved event with the left button, posted at the HID level.
    virtual void postMouseMoved(Point point) = 0;
};

}  // namespace tavelin
