#pragma once

// The application's event monitors and the global input state. A local monitor sees the events of its
// mask that go to this application, in the order the monitors were added, before the application
// handles them; it hands the event on or returns none to consume it. A global monitor sees the events
// of its mask that go to other applications, and cannot change them. The global state is read at the
// moment of the call, not at an event's.
//
// Main thread; handlers run on the main run loop.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Geometry.h"
#include "platform/InputEvent.h"

namespace tavelin {

// An added monitor; 0 is none.
struct EventMonitorToken {
    std::uint64_t id = 0;
    friend bool operator==(const EventMonitorToken&, const EventMonitorToken&) = default;
};

class EventMonitors {
  public:
    using LocalHandler = std::function<std::optional<InputEvent>(const InputEvent& event)>;
    using GlobalHandler = std::function<void(const InputEvent& event)>;

    virtual ~EventMonitors() = default;

    virtual EventMonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) = 0;
    virtual EventMonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) = 0;
    // A removed or unknown token does nothing.
    virtual void removeMonitor(EventMonitorToken token) = 0;

    // The modifier flags held now.
    virtual std::uint64_t modifierFlags() const = 0;
    // One bit per button held now (bit 0 the left button).
    virtual std::uint64_t pressedMouseButtons() const = 0;
};

}  // namespace tavelin
