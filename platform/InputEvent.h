#pragma once

// One input event of the system's event stream (a key, a modifier change, a button, the wheel, a pointer
// move), as both its readers see it: an event tap reads the raw type, the integer fields by number and
// the flags; the application's event monitors read the named members.

#include <cstdint>

#include "platform/Geometry.h"
#include "runtime/Clock.h"

namespace tavelin {

// Raw event types; an event may carry any other number too.
enum class EventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    // What an event tap is told instead of an event when the system switched it off.
    tapDisabledByTimeout = 0xFFFFFFFE,
    tapDisabledByUserInput = 0xFFFFFFFF,
};

// A set of event types, one bit per raw type below 64.
using EventMask = std::uint64_t;
constexpr EventMask eventMaskBit(EventType type) {
    return static_cast<std::uint32_t>(type) < 64 ? EventMask{1} << static_cast<std::uint32_t>(type) : 0;
}

// Modifier flags: the same bits in the tap's flags and in the monitors' modifier flags.
inline constexpr std::uint64_t kEventFlagShift = 0x20000;
inline constexpr std::uint64_t kEventFlagControl = 0x40000;
inline constexpr std::uint64_t kEventFlagOption = 0x80000;
inline constexpr std::uint64_t kEventFlagCommand = 0x100000;

// The integer fields an event tap reads, by their numbers.
enum class EventField : std::uint32_t {
    mouseButtonNumber = 3,
    keyboardKeycode = 9,
    scrollWheelDeltaAxis1 = 11,
    scrollWheelPointDeltaAxis1 = 96,
};

struct InputEvent {
    EventType type = EventType::keyDown;
    // Uptime at which it happened.
    Duration timestamp{};
    // The modifiers held when it happened; for a modifier change, those held after it.
    std::uint64_t flags = 0;
    std::int64_t keyCode = 0;
    // 0 left, 1 right, 2 middle, 3 and up the further buttons.
    std::int64_t buttonNumber = 0;
    // The wheel's vertical axis: whole lines, and points for a device without lines.
    std::int64_t scrollLineDelta = 0;
    std::int64_t scrollPointDelta = 0;
    // The pointer, in screen coordinates.
    Point location;

    std::int64_t integerValueField(EventField field) const {
        switch (field) {
            case EventField::mouseButtonNumber:
                return buttonNumber;
            case EventField::keyboardKeycode:
                return keyCode;
            case EventField::scrollWheelDeltaAxis1:
                return scrollLineDelta;
            case EventField::scrollWheelPointDeltaAxis1:
                return scrollPointDelta;
        }
        return 0;
    }
    bool isKey() const { return type == EventType::keyDown || type == EventType::keyUp; }

    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

}  // namespace tavelin
