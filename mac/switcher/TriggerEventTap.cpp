#include "mac/switcher/TriggerEventTap.h"

#include <chrono>

namespace tavelin {
namespace {

constexpr std::int64_t kTab = 48;
constexpr std::int64_t kGrave = 50;
constexpr std::int64_t kEscape = 53;
constexpr std::int64_t kMiddleButton = 2;
constexpr std::uint64_t kCommandOptionControl = kEventFlagCommand | kEventFlagOption | kEventFlagControl;

}  // namespace

// --- Installation ---------------------------------------------------------------------------------------

void TriggerEventTap::installIfNeeded() {
    if (port_) return;
    auto callback = [weak = weak_from_this()](EventType type, const InputEvent& event) {
        const auto self = weak.lock();
        return self ? self->handle(type, event) : TapVerdict::pass;
    };
    auto port = platform_.taps.createTap(EventTapLocation::hid, kEventsOfInterest, callback);
    if (!port) port = platform_.taps.createTap(EventTapLocation::session, kEventsOfInterest, callback);
    if (!port) {
        platform_.log.log("Tavelin TriggerEventTap: CGEvent.tapCreate failed (Accessibility が必要)");
        return;
    }
    port_ = port;
    platform_.taps.addToMainRunLoop(*port_);
    platform_.taps.enableTap(*port_, true);
    startWatchdog();
    platform_.log.log("Tavelin TriggerEventTap: installed");
}

void TriggerEventTap::remove() {
    watchdog_.reset();
    if (port_) {
        platform_.taps.removeFromMainRunLoop(*port_);
        platform_.taps.enableTap(*port_, false);
        platform_.taps.releaseTap(*port_);
        port_.reset();
    }
    std::lock_guard guard(lock_);
    pending_ = Pending{};
    flushScheduled_ = false;
}

void TriggerEventTap::startWatchdog() {
    if (watchdog_) return;
    watchdog_ = std::make_unique<RepeatingTimer>(platform_.main, kWatchdogPeriod, [weak = weak_from_this()] {
        if (const auto self = weak.lock()) self->watchdogFired();
    });
}

void TriggerEventTap::watchdogFired() {
    if (!port_) return;
    if (platform_.taps.isSecureEventInputEnabled()) {
        if (!loggedSecureInput_) {
            loggedSecureInput_ = true;
            platform_.log.log("Tavelin TriggerEventTap: Secure Event Input 中はキーを受け取れない");
        }
        return;
    }
    if (loggedSecureInput_) {
        loggedSecureInput_ = false;
        platform_.log.log("Tavelin TriggerEventTap: Secure Event Input 解除 — tap を再開");
    }
    platform_.taps.enableTap(*port_, true);
}

// --- What the engine writes ------------------------------------------------------------------------------

void TriggerEventTap::setConfig(const Config& config) {
    std::lock_guard guard(lock_);
    config_ = config;
}

TriggerEventTap::Config TriggerEventTap::config() const {
    std::lock_guard guard(lock_);
    return config_;
}

void TriggerEventTap::setBareInputArmed(bool armed) {
    std::lock_guard guard(lock_);
    bareInputArmed_ = armed;
}

void TriggerEventTap::setPanelOpen(bool open) {
    std::lock_guard guard(lock_);
    panelOpen_ = open;
}

bool TriggerEventTap::bareInputArmed() const {
    std::lock_guard guard(lock_);
    return bareInputArmed_;
}

bool TriggerEventTap::panelOpen() const {
    std::lock_guard guard(lock_);
    return panelOpen_;
}

// --- The decision per event ------------------------------------------------------------------------------

TapVerdict TriggerEventTap::handle(EventType type, const InputEvent& event) {
    if (type == EventType::tapDisabledByTimeout || type == EventType::tapDisabledByUserInput) {
        if (port_) platform_.taps.enableTap(*port_, true);
        return TapVerdict::pass;
    }
    const auto config = this->config();
    const bool armed = bareInputArmed();
    switch (type) {
        case EventType::keyDown:
        case EventType::keyUp:
            return handleKey(type, event, config, armed);
        case EventType::otherMouseDown:
        case EventType::otherMouseUp:
            return handleMouse(type, event, config, armed);
        case EventType::scrollWheel:
            return handleWheel(event, armed);
        default:
            return TapVerdict::pass;
    }
}

TapVerdict TriggerEventTap::handleKey(EventType type, const InputEvent& event, const Config& config, bool armed) {
    const auto keyCode = event.integerValueField(EventField::keyboardKeycode);
    const bool down = type == EventType::keyDown;
    if (keyCode == kEscape && panelOpen()) {
        if (down) record([](Pending& pending) { pending.escape = true; });
        return TapVerdict::swallow;
    }
    if (!shouldSwallowTabOrGrave(event, config, armed)) return TapVerdict::pass;
    if (down) {
        enqueueTabDown((event.flags & kEventFlagShift) != 0);
    } else if (keyCode == kTab) {
        record([](Pending& pending) { pending.tabUp = true; });
    }
    return TapVerdict::swallow;
}

TapVerdict TriggerEventTap::handleMouse(EventType type, const InputEvent& event, const Config& config, bool armed) {
    const auto button = event.integerValueField(EventField::mouseButtonNumber);
    if (type == EventType::otherMouseDown) {
        const bool configured = config.mouseButtonNumber && button == *config.mouseButtonNumber;
        if (!configured && !(button == kMiddleButton && armed)) return TapVerdict::pass;
        record([button](Pending& pending) { pending.mouseDown = button; });
        return TapVerdict::swallow;
    }
    if (!config.mouseButtonNumber || button != *config.mouseButtonNumber) return TapVerdict::pass;
    record([button](Pending& pending) { pending.mouseUp = button; });
    return TapVerdict::swallow;
}

TapVerdict TriggerEventTap::handleWheel(const InputEvent& event, bool armed) {
    if (panelOpen()) {
        if (const auto step = armedWheelStep(event)) {
            if (panelWheelShouldScrollOnly && platform_.main.isCurrent() && panelWheelShouldScrollOnly())
                return TapVerdict::pass;
            record([next = *step](Pending& pending) { pending.panelWheel = next; });
            return TapVerdict::swallow;
        }
    }
    if (!armed) return TapVerdict::pass;
    const auto step = armedWheelStep(event);
    if (!step) return TapVerdict::pass;
    record([next = *step](Pending& pending) { pending.armedWheel = next; });
    return TapVerdict::swallow;
}

bool TriggerEventTap::shouldSwallowTabOrGrave(const InputEvent& event, const Config& config, bool bareArmed) {
    const auto keyCode = event.integerValueField(EventField::keyboardKeycode);
    const auto flags = event.flags;
    // Command alone of the three; Shift is free.
    if ((config.interceptCommandTab || config.interceptCommandGrave) &&
        (flags & kCommandOptionControl) == kEventFlagCommand) {
        if ((config.interceptCommandTab && keyCode == kTab) || (config.interceptCommandGrave && keyCode == kGrave))
            return true;
    }
    // An armed session whose panel is not shown yet lets a bare Tab through.
    if (bareArmed && keyCode == kTab) return panelOpen();
    if (!(config.interceptTriggerTab && keyCode == kTab)) return false;
    return ((flags & kEventFlagCommand) != 0) == config.triggerRequiresCommand &&
           ((flags & kEventFlagOption) != 0) == config.triggerRequiresOption &&
           ((flags & kEventFlagControl) != 0) == config.triggerRequiresControl;
}

std::optional<bool> TriggerEventTap::armedWheelStep(const InputEvent& event) {
    const double now = std::chrono::duration<double>(platform_.clock.uptime()).count();
    if (now - lastArmedWheelAt_ < kWheelStepSpacing) return std::nullopt;
    auto delta = event.integerValueField(EventField::scrollWheelDeltaAxis1);
    if (delta == 0) delta = event.integerValueField(EventField::scrollWheelPointDeltaAxis1);
    if (delta == 0) return std::nullopt;
    lastArmedWheelAt_ = now;
    return delta < 0;
}

// --- Pending input and the flush --------------------------------------------------------------------------

void TriggerEventTap::enqueueTabDown(bool shift) {
    record([shift](Pending& pending) {
        if (pending.tabDowns.size() < kPendingTabDownCap) pending.tabDowns.push_back(shift);
    });
}

void TriggerEventTap::record(const std::function<void(Pending&)>& change) {
    std::lock_guard guard(lock_);
    change(pending_);
    scheduleFlushLocked();
}

void TriggerEventTap::scheduleFlushLocked() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    platform_.main.async([weak = weak_from_this()] {
        if (const auto self = weak.lock()) self->flushPending();
    });
}

void TriggerEventTap::flushPending() {
    Pending taken;
    {
        std::lock_guard guard(lock_);
        taken = std::move(pending_);
        pending_ = Pending{};
        flushScheduled_ = false;
    }
    for (const bool shift : taken.tabDowns) {
        if (onTabDown) onTabDown(shift);
    }
    if (taken.tabUp && onTabUp) onTabUp();
    if (taken.mouseDown && onMouseDown) onMouseDown(*taken.mouseDown);
    if (taken.mouseUp && onMouseUp) onMouseUp(*taken.mouseUp);
    if (taken.escape && onEscape) onEscape();
    if (taken.panelWheel && onPanelWheel) onPanelWheel(*taken.panelWheel);
    if (taken.armedWheel && onArmedWheel) onArmedWheel(*taken.armedWheel);
    std::lock_guard guard(lock_);
    if (pending_.any()) scheduleFlushLocked();
}

}  // namespace tavelin
