#pragma once

// The simulated Mac's event taps. Creating one needs Accessibility trust (refused at both locations
// without it); a test may also refuse the hardware level alone. The input stream offers each event to
// the taps that take it: hardware level before session level, and at each level the newest first
// (taps are inserted at the head). The world may switch a tap off, as the system does when a callback
// is slow; the tap's callback is then told on the main queue. Every request is recorded in the world's
// call trace. Main thread.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/EventTaps.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/Queue.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimEventTaps final : public EventTaps {
  public:
    SimEventTaps(const SimAccessibility& accessibility, Queue& mainQueue, SimCallTrace& trace)
        : accessibility_(accessibility), mainQueue_(mainQueue), mainThread_(mainQueue), trace_(trace) {}

    std::optional<EventTapPort> createTap(EventTapLocation location, EventMask mask, Callback callback) override;
    void addToMainRunLoop(EventTapPort port) override;
    void removeFromMainRunLoop(EventTapPort port) override;
    void enableTap(EventTapPort port, bool enable) override;
    void releaseTap(EventTapPort port) override;
    bool isSecureEventInputEnabled() const override {
        mainThread_.check();
        return secureEventInput_;
    }

    // --- The input stream's side ---

    // Offers the event to every delivering tap of its type until one swallows it.
    TapVerdict offer(const InputEvent& event);

    // --- The world's side ---

    // Refuses taps at the hardware level even when trusted.
    void refuseHIDTaps(bool refuse) { refuseHID_ = refuse; }
    void setSecureEventInput(bool on) { secureEventInput_ = on; }
    // The system switches the tap off; its callback hears of it on the main queue.
    void disableTap(EventTapPort port, EventType reason = EventType::tapDisabledByTimeout);

    struct TapState {
        EventTapLocation location = EventTapLocation::hid;
        EventMask mask = 0;
        bool enabled = true;
        bool onRunLoop = false;
    };
    // The taps that exist now.
    std::vector<TapState> taps() const;
    // Whether a tap exists that delivers events now.
    bool anyDelivering() const;

  private:
    struct Tap {
        TapState state;
        Callback callback;
        std::uint64_t order = 0;  // higher is nearer the head
        bool delivers() const { return state.enabled && state.onRunLoop; }
    };
    Tap* find(EventTapPort port);

    const SimAccessibility& accessibility_;
    Queue& mainQueue_;
    SequenceChecker mainThread_;
    SimCallTrace& trace_;
    std::map<std::uint64_t, Tap> taps_;
    std::uint64_t nextPort_ = 1;
    bool refuseHID_ = false;
    bool secureEventInput_ = false;
    // Notifications still queued hold it weakly and are dropped once the taps are gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace tavelin::sim
