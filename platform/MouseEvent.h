#pragma once

// A mouse event as the event monitors hand it on: the platform's raw event type and the number of the
// button (0 left, 1 right, 2 middle, 3 and up the further buttons).

#include <cstdint>

#include "platform/InputEvent.h"

namespace tavelin {

struct MouseEvent {
    EventType type = EventType::leftMouseDown;
    std::int64_t buttonNumber = 0;
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

}  // namespace tavelin
