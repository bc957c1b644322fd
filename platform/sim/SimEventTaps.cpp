#include "platform/sim/SimEventTaps.h"

#include <algorithm>
#include <string>

namespace tavelin::sim {
namespace {

std::string locationName(EventTapLocation location) {
    return location == EventTapLocation::hid ? "hid" : "session";
}

}  // namespace

std::optional<EventTapPort> SimEventTaps::createTap(EventTapLocation location, EventMask mask, Callback callback) {
    mainThread_.check();
    const bool refused = !accessibility_.isTrustedNow() || (location == EventTapLocation::hid && refuseHID_);
    trace_.record("EventTaps.create " + locationName(location) + (refused ? " refused" : ""));
    if (refused) return std::nullopt;
    const auto port = nextPort_++;
    taps_.emplace(port, Tap{TapState{location, mask, true, false}, std::move(callback), port});
    return EventTapPort{port};
}

void SimEventTaps::addToMainRunLoop(EventTapPort port) {
    mainThread_.check();
    if (auto* tap = find(port)) tap->state.onRunLoop = true;
}

void SimEventTaps::removeFromMainRunLoop(EventTapPort port) {
    mainThread_.check();
    if (auto* tap = find(port)) tap->state.onRunLoop = false;
}

void SimEventTaps::enableTap(EventTapPort port, bool enable) {
    mainThread_.check();
    if (auto* tap = find(port)) tap->state.enabled = enable;
}

void SimEventTaps::releaseTap(EventTapPort port) {
    mainThread_.check();
    trace_.record("EventTaps.release");
    taps_.erase(port.id);
}

TapVerdict SimEventTaps::offer(const InputEvent& event) {
    if (event.isKey() && secureEventInput_) return TapVerdict::pass;
    std::vector<std::uint64_t> order;
    for (const auto& [port, tap] : taps_) {
        if (tap.delivers() && (tap.state.mask & eventMaskBit(event.type)) != 0) order.push_back(port);
    }
    std::ranges::sort(order, [&](std::uint64_t a, std::uint64_t b) {
        const auto& left = taps_.at(a);
        const auto& right = taps_.at(b);
        if (left.state.location != right.state.location) return left.state.location < right.state.location;
        return left.order > right.order;
    });
    for (const auto port : order) {
        // A callback may release a tap, its own too.
        auto* tap = find(EventTapPort{port});
        if (tap == nullptr || !tap->delivers()) continue;
        auto callback = tap->callback;
        if (callback(event.type, event) == TapVerdict::swallow) return TapVerdict::swallow;
    }
    return TapVerdict::pass;
}

void SimEventTaps::disableTap(EventTapPort port, EventType reason) {
    auto* tap = find(port);
    if (tap == nullptr) return;
    tap->state.enabled = false;
    mainQueue_.async([this, alive = std::weak_ptr<int>(alive_), port, reason] {
        if (alive.expired()) return;
        auto* tap = find(port);
        if (tap == nullptr || !tap->state.onRunLoop) return;
        auto callback = tap->callback;
        callback(reason, InputEvent{.type = reason});
    });
}

std::vector<SimEventTaps::TapState> SimEventTaps::taps() const {
    std::vector<TapState> states;
    for (const auto& [port, tap] : taps_) states.push_back(tap.state);
    return states;
}

bool SimEventTaps::anyDelivering() const {
    return std::ranges::any_of(taps_, [](const auto& entry) { return entry.second.delivers(); });
}

SimEventTaps::Tap* SimEventTaps::find(EventTapPort port) {
    const auto found = taps_.find(port.id);
    return found == taps_.end() ? nullptr : &found->second;
}

}  // namespace tavelin::sim
