#pragma once

// Event taps: a callback placed at the head of the system's event stream, at the hardware (HID) level
// or at the login session's level, that sees each event of its mask before any application and may
// swallow it. A tap delivers only while its source is on the main run loop and it is enabled; the
// callback runs on the main run loop. Creating a tap needs Accessibility trust. The system switches a
// tap off when its callback is too slow or on the user's behalf; the callback is then called once
// with tapDisabledByTimeout or tapDisabledByUserInput and sees nothing until the tap is enabled again.
// While Secure Event Input is on (a password field has the keyboard), key events reach no tap.
//
// Main thread.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/InputEvent.h"

namespace tavelin {

enum class EventTapLocation : std::uint32_t { hid = 0, session = 1 };

enum class TapVerdict { pass, swallow };

// A created tap; 0 is none.
struct EventTapPort {
    std::uint64_t id = 0;
    friend bool operator==(const EventTapPort&, const EventTapPort&) = default;
};

class EventTaps {
  public:
    using Callback = std::function<TapVerdict(EventType type, const InputEvent& event)>;

    virtual ~EventTaps() = default;

    // An active tap at the head of the location's taps, for the types of `mask`; none when refused.
    virtual std::optional<EventTapPort> createTap(EventTapLocation location, EventMask mask,
                                                  Callback callback) = 0;
    virtual void addToMainRunLoop(EventTapPort port) = 0;
    virtual void removeFromMainRunLoop(EventTapPort port) = 0;
    virtual void enableTap(EventTapPort port, bool enable) = 0;
    // Drops the tap; its callback is never called again.
    virtual void releaseTap(EventTapPort port) = 0;

    virtual bool isSecureEventInputEnabled() const = 0;
};

}  // namespace tavelin
