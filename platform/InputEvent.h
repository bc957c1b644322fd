#pragma once

// One input event of the system's event stream (a key, a modifier change, a button, the wheel, a pinch,
// a pointer move), as both its readers see it: an event tap reads the raw type, the integer fields by
// number and the flags; the application's event monitors read the named members.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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
    magnify = 30,
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

// The phase bits of a precise scroll (a trackpad gesture, or its momentum).
inline constexpr std::uint64_t kScrollPhaseBegan = 0x1;
inline constexpr std::uint64_t kScrollPhaseStationary = 0x2;
inline constexpr std::uint64_t kScrollPhaseChanged = 0x4;
inline constexpr std::uint64_t kScrollPhaseEnded = 0x8;
inline constexpr std::uint64_t kScrollPhaseCancelled = 0x10;
inline constexpr std::uint64_t kScrollPhaseMayBegin = 0x20;

class KeyboardLayout;

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

    // A key's text with its modifiers, and ignoring every modifier but Shift; none for other events.
    std::optional<std::string> characters;
    std::optional<std::string> charactersIgnoringModifiers;
    // The program's window the event is for, and the point in it (bottom-left origin); none for an
    // event outside the program's windows.
    std::optional<std::uint64_t> windowNumber;
    Point locationInWindow;
    // The wheel as the monitors read it: points for a precise device (a trackpad), lines otherwise.
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    bool hasPreciseScrollingDeltas = false;
    std::uint64_t phase = 0;          // kScrollPhase... bits
    std::uint64_t momentumPhase = 0;  // the same bits, while the gesture coasts on
    // A pinch step: the factor by which the gesture grows (negative shrinks).
    double magnification = 0;

    // The layout the system translated the key with. Present exactly when the event carries its
    // low-level record, from which a copy with other flags can be made.
    std::shared_ptr<const KeyboardLayout> keyboardLayout;

    // The event with these modifier flags and, for a key, the characters they give; none for an event
    // without its low-level record.
    std::optional<InputEvent> copyWithFlags(std::uint64_t newFlags) const;

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
