#pragma once

// A mouse event as the event monitors hand it on: the platform's raw event type and the number of the
// button (0 left, 1 right, 2 middle, 3 and up the further buttons).

#include <cstdint>

namespace tavelin {

// Raw event types; an event may carry any other number too.
enum class EventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
};

struct MouseEvent {
    EventType type = EventType::leftMouseDown;
    std::int64_t buttonNumber = 0;
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

}  // namespace tavelin
