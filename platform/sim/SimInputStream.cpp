#include "platform/sim/SimInputStream.h"

#include <algorithm>
#include <cstdio>

namespace tavelin::sim {
namespace {

std::string monitorCall(const char* kind, EventMask mask) {
    char call[64];
    std::snprintf(call, sizeof call, "EventMonitors.%s 0x%llx", kind, static_cast<unsigned long long>(mask));
    return call;
}

constexpr std::int64_t kTab = 48;
constexpr std::int64_t kGrave = 50;
constexpr std::uint64_t kChordFlags = kEventFlagCommand | kEventFlagOption | kEventFlagControl;

bool isButtonDown(EventType type) {
    return type == EventType::leftMouseDown || type == EventType::rightMouseDown ||
           type == EventType::otherMouseDown;
}
bool isButtonUp(EventType type) {
    return type == EventType::leftMouseUp || type == EventType::rightMouseUp || type == EventType::otherMouseUp;
}

}  // namespace

EventMonitorToken SimInputStream::addLocalMonitor(EventMask mask, LocalHandler handler) {
    mainThread_.check();
    world_.trace.record(monitorCall("addLocal", mask));
    return EventMonitorToken{addMonitor(Monitor{0, {true, mask}, std::move(handler), nullptr})};
}

EventMonitorToken SimInputStream::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
    mainThread_.check();
    world_.trace.record(monitorCall("addGlobal", mask));
    return EventMonitorToken{addMonitor(Monitor{0, {false, mask}, nullptr, std::move(handler)})};
}

std::uint64_t SimInputStream::addMonitor(Monitor monitor) {
    monitor.token = nextToken_++;
    monitors_.push_back(std::move(monitor));
    return monitors_.back().token;
}

void SimInputStream::removeMonitor(EventMonitorToken token) {
    mainThread_.check();
    world_.trace.record("EventMonitors.remove");
    std::erase_if(monitors_, [&](const Monitor& monitor) { return monitor.token == token.id; });
}

std::vector<SimInputStream::MonitorState> SimInputStream::monitors() const {
    std::vector<MonitorState> states;
    for (const auto& monitor : monitors_) states.push_back(monitor.state);
    return states;
}

// --- Input ---------------------------------------------------------------------------------------------

void SimInputStream::post(InputEvent event, Duration after) {
    happen(after, [event] { return event; });
}

void SimInputStream::pressModifiers(std::uint64_t flags, Duration after) {
    happen(after, [this, flags] { return InputEvent{.type = EventType::flagsChanged, .flags = flags_ | flags}; });
}

void SimInputStream::releaseModifiers(std::uint64_t flags, Duration after) {
    happen(after, [this, flags] { return InputEvent{.type = EventType::flagsChanged, .flags = flags_ & ~flags}; });
}

void SimInputStream::keyDown(std::int64_t keyCode, Duration after) {
    happen(after, [this, keyCode] { return keyEvent(EventType::keyDown, keyCode); });
}

void SimInputStream::keyUp(std::int64_t keyCode, Duration after) {
    happen(after, [this, keyCode] { return keyEvent(EventType::keyUp, keyCode); });
}

InputEvent SimInputStream::keyEvent(EventType type, std::int64_t keyCode) const {
    InputEvent event{.type = type, .flags = flags_, .keyCode = keyCode};
    translateKeyEvent(event, layout_);
    return event;
}

void SimInputStream::mouseDown(std::int64_t button, Duration after) {
    const auto type = button == 0   ? EventType::leftMouseDown
                      : button == 1 ? EventType::rightMouseDown
                                    : EventType::otherMouseDown;
    happen(after, [this, type, button] { return mouseEvent(type, button); });
}

void SimInputStream::mouseUp(std::int64_t button, Duration after) {
    const auto type = button == 0   ? EventType::leftMouseUp
                      : button == 1 ? EventType::rightMouseUp
                                    : EventType::otherMouseUp;
    happen(after, [this, type, button] { return mouseEvent(type, button); });
}

void SimInputStream::scrollWheel(std::int64_t lineDelta, std::int64_t pointDelta, Duration after) {
    happen(after, [this, lineDelta, pointDelta] {
        auto event = mouseEvent(EventType::scrollWheel, 0);
        event.scrollLineDelta = lineDelta;
        event.scrollPointDelta = pointDelta;
        event.scrollingDeltaY = static_cast<double>(lineDelta);
        return event;
    });
}

void SimInputStream::swipe(double deltaY, double deltaX, std::uint64_t phase, std::uint64_t momentumPhase,
                           Duration after) {
    happen(after, [=, this] {
        auto event = mouseEvent(EventType::scrollWheel, 0);
        event.scrollPointDelta = static_cast<std::int64_t>(deltaY);
        event.scrollingDeltaY = deltaY;
        event.scrollingDeltaX = deltaX;
        event.hasPreciseScrollingDeltas = true;
        event.phase = phase;
        event.momentumPhase = momentumPhase;
        return event;
    });
}

void SimInputStream::magnify(double magnification, Duration after) {
    happen(after, [this, magnification] {
        auto event = mouseEvent(EventType::magnify, 0);
        event.magnification = magnification;
        return event;
    });
}

void SimInputStream::moveMouse(Point location, Duration after) {
    happen(after, [this, location] {
        world_.displays.setMouseLocation(location);
        return mouseEvent(EventType::mouseMoved, 0);
    });
}

InputEvent SimInputStream::mouseEvent(EventType type, std::int64_t button) const {
    InputEvent event{
        .type = type, .flags = flags_, .buttonNumber = button, .location = world_.displays.mouseLocation()};
    if (programWindowAt_) {
        if (const auto window = programWindowAt_(event.location)) {
            event.windowNumber = window->number;
            event.locationInWindow = Point{event.location.x - window->frame.x, event.location.y - window->frame.y};
        }
    }
    event.keyboardLayout = layout_;
    return event;
}

void SimInputStream::happen(Duration after, std::function<InputEvent()> make) {
    auto input = [this, alive = std::weak_ptr<int>(alive_), make = std::move(make)] {
        if (alive.expired()) return;
        auto event = make();
        event.timestamp = world_.scheduler.clock().uptime();
        apply(event);
        if (takenBySpaceShortcut(event)) return;
        world_.scheduler.main().async([this, alive, event] {
            if (!alive.expired()) deliver(event);
        });
    };
    if (after <= Duration::zero()) {
        input();
    } else {
        world_.scheduler.scheduleWorldEvent(after, std::move(input));
    }
}

void SimInputStream::apply(const InputEvent& event) {
    if (event.type == EventType::flagsChanged) flags_ = event.flags;
    if (event.buttonNumber >= 0 && event.buttonNumber < 64) {
        const auto bit = std::uint64_t{1} << event.buttonNumber;
        if (isButtonDown(event.type)) buttons_ |= bit;
        if (isButtonUp(event.type)) buttons_ &= ~bit;
    }
}

// --- Delivery ------------------------------------------------------------------------------------------

void SimInputStream::deliver(InputEvent event) {
    if (world_.taps.offer(event) == TapVerdict::swallow) return;
    if (takenBySystemSwitcher(event)) return;
    if (world_.hotKeys.offer(event)) return;

    const auto application = receiver(event);
    const bool toProgram = application == world_.programBundleIdentifier;
    // Handlers may add or remove monitors; each sees the event only while it is still in place.
    std::vector<std::uint64_t> tokens;
    for (const auto& monitor : monitors_) {
        if (monitor.state.local == toProgram && (monitor.state.mask & eventMaskBit(event.type)) != 0)
            tokens.push_back(monitor.token);
    }
    for (const auto token : tokens) {
        const auto found = std::ranges::find(monitors_, token, &Monitor::token);
        if (found == monitors_.end()) continue;
        if (!toProgram) {
            auto handler = found->global;
            handler(event);
            continue;
        }
        auto handler = found->local;
        auto passed = handler(event);
        if (!passed) return;
        event = *passed;
    }
    deliveries_.push_back(SimDelivery{application, event});
    if (event.type == EventType::keyDown && keyResponder_) {
        if (auto* responder = keyResponder_()) responder->keyDown(event);
    }
    if (windowReceiver_) windowReceiver_(event);
}

bool SimInputStream::takenBySystemSwitcher(const InputEvent& event) {
    if (!event.isKey() || (event.flags & kChordFlags) != kEventFlagCommand) return false;
    const bool shift = (event.flags & kEventFlagShift) != 0;
    std::uint32_t hotKey = 0;
    if (event.keyCode == kTab) hotKey = shift ? 2 : 1;
    if (event.keyCode == kGrave) hotKey = shift ? 7 : 6;
    if (hotKey == 0 || !world_.symbolicHotKeys.isEnabled(hotKey)) return false;
    systemSwitcher_.push_back(event);
    return true;
}

bool SimInputStream::takenBySpaceShortcut(const InputEvent& event) {
    const auto shortcut = world_.symbolicHotKeys.spaceShortcut(event);
    if (!shortcut) return false;
    if (event.type == EventType::keyDown) {
        world_.windowWorld.switchToAdjacentSpaceLater(*shortcut == SimSymbolicHotKeys::kMoveLeftASpace ||
                                                      *shortcut == SimSymbolicHotKeys::kMoveLeftASpaceAlternate);
    }
    spaceShortcuts_.push_back(event);
    return true;
}

std::string SimInputStream::receiver(const InputEvent& event) const {
    const bool keyboard = event.isKey() || event.type == EventType::flagsChanged;
    if (!keyboard && event.windowNumber) return world_.programBundleIdentifier;
    if (!keyboard && windowOwnerAt_) {
        if (auto owner = windowOwnerAt_(event.location)) return *owner;
    }
    const auto frontmost = world_.workspace.frontmostApplication();
    return frontmost && frontmost->bundleIdentifier ? *frontmost->bundleIdentifier : std::string();
}

}  // namespace tavelin::sim
