#include "mac/switcher/TriggerEngine.h"

#include <string>

#include "platform/Application.h"
#include "platform/Workspace.h"

namespace tavelin {
namespace {


bool isMouseUp(EventType type) {
    return type == EventType::leftMouseUp || type == EventType::rightMouseUp || type == EventType::otherMouseUp;
}

MouseEvent mouseEventOf(const InputEvent& event) { return MouseEvent{event.type, event.buttonNumber}; }

}  // namespace

std::shared_ptr<TriggerEngine> TriggerEngine::make(AppSettings& settings, SystemAppSwitcherHotKeys& systemKeys,
                                                   Platform platform) {
    auto engine = std::make_shared<TriggerEngine>(Private{}, settings, systemKeys, platform);
    engine->connectTap();
    engine->subscribe();
    return engine;
}

TriggerEngine::TriggerEngine(Private, AppSettings& settings, SystemAppSwitcherHotKeys& systemKeys,
                             Platform platform)
    : settings_(settings),
      systemKeys_(systemKeys),
      platform_(platform),
      hotKey_(platform.hotKeys, platform.log),
      eventTap_(std::make_shared<TriggerEventTap>(
          TriggerEventTap::Platform{platform.taps, platform.main, platform.clock, platform.log})) {}

TriggerEngine::~TriggerEngine() {
    for (const auto token : mouseMonitors_) platform_.monitors.removeMonitor(token);
}

void TriggerEngine::connectTap() {
    const std::weak_ptr<TriggerEngine> weak = weak_from_this();
    eventTap_->onTabDown = [weak](bool shift) {
        if (const auto self = weak.lock(); self && self->switcher()) self->switcher()->triggerTab(shift, true);
    };
    // The tap swallows the Tab up; it means nothing to the panel.
    eventTap_->onTabUp = [] {};
    eventTap_->onMouseDown = [weak](std::int64_t button) {
        const auto self = weak.lock();
        if (!self) return;
        self->enqueueTrigger([weak, button] {
            if (const auto self = weak.lock(); self && self->switcher())
                self->switcher()->handleTriggerMouseDown(button);
        });
    };
    eventTap_->onMouseUp = [weak](std::int64_t button) {
        const auto self = weak.lock();
        if (!self) return;
        // A down recorded in the same flush is still pending: it happened first.
        self->runPendingTrigger();
        if (const auto switcher = self->switcher()) switcher->handleTriggerMouseUp(button);
    };
    eventTap_->onArmedWheel = [weak](bool next) {
        if (const auto self = weak.lock()) self->wheelStep(next);
    };
    eventTap_->onPanelWheel = eventTap_->onArmedWheel;
    eventTap_->panelWheelShouldScrollOnly = [weak] {
        const auto self = weak.lock();
        const auto switcher = self ? self->switcher() : nullptr;
        return switcher && switcher->wheelShouldScrollOnly();
    };
    eventTap_->onEscape = [weak] {
        if (const auto self = weak.lock(); self && self->switcher()) self->switcher()->close(true);
    };
}

void TriggerEngine::wheelStep(bool next) {
    const auto switcher = this->switcher();
    if (switcher && !switcher->wheelShouldScrollOnly()) switcher->applyWheelStep(next);
}

void TriggerEngine::subscribe() {
    const std::weak_ptr<TriggerEngine> weak = weak_from_this();
    // Announced before the change is stored; the task runs after it, so it sees the new values.
    cancellables_.push_back(settings_.objectWillChange().sink([weak](const std::monostate&) {
        if (const auto self = weak.lock()) self->scheduleApply(false);
    }));
    cancellables_.push_back(platform_.workspaceCenter.addObserver(
        std::string(kWorkspaceDidWake), nullptr, &platform_.main, [weak](const Notification&) {
            if (const auto self = weak.lock()) self->scheduleApply(true);
        }));
    cancellables_.push_back(platform_.workspaceCenter.addObserver(
        std::string(kWorkspaceDidLaunchApplication), nullptr, &platform_.main,
        [weak](const Notification& notification) {
            const auto* application = notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
            if (application == nullptr || application->bundleIdentifier != "com.apple.dock") return;
            if (const auto self = weak.lock()) self->scheduleApply(true);
        }));
    cancellables_.push_back(platform_.defaultCenter.addObserver(
        std::string(kApplicationDidBecomeActive), nullptr, &platform_.main, [weak](const Notification&) {
            if (const auto self = weak.lock()) self->scheduleApply(false);
        }));
}

void TriggerEngine::scheduleApply(bool reapplySystemKeys) {
    platform_.main.async([weak = weak_from_this(), reapplySystemKeys] {
        const auto self = weak.lock();
        if (!self) return;
        if (reapplySystemKeys) self->systemKeys_.applyDesired();
        self->applyAll();
    });
}

void TriggerEngine::attach(const std::shared_ptr<TriggerSwitcher>& switcher) {
    switcher_ = switcher;
    const std::weak_ptr<TriggerEngine> weak = weak_from_this();
    switcher->onTriggerSessionArmedChanged = [weak](bool armed) {
        const auto self = weak.lock();
        if (!self) return;
        self->eventTap_->setBareInputArmed(armed);
        if (armed) self->eventTap_->installIfNeeded();
    };
    switcher->onPanelOpenChanged = [weak](bool open) {
        const auto self = weak.lock();
        if (!self) return;
        self->eventTap_->setPanelOpen(open);
        if (open) self->eventTap_->installIfNeeded();
    };
    applyAll();
}

// --- The apply sequence -----------------------------------------------------------------------------------

void TriggerEngine::applyAll() {
    systemKeys_.applyReplacement(settings_.replacesSystemCommandTab(), settings_.replacesSystemCommandGrave());
    // In this order: the hot key and the monitors look at whether the tap is installed.
    promptAccessibilityIfNeeded();
    reregisterEventTap();
    reregisterHotKey();
    reregisterMouseTriggers();
}

void TriggerEngine::promptAccessibilityIfNeeded() {
    const bool tapBased = settings_.triggerKeyCode() == kTabKeyCode || settings_.replacesSystemCommandTab() ||
                          settings_.replacesSystemCommandGrave() ||
                          settings_.triggerMouseButton.value() != TriggerMouseButton::none;
    if (!tapBased || didPromptAccessibility_ || platform_.accessibility.isProcessTrusted()) return;
    didPromptAccessibility_ = true;
    platform_.accessibility.isProcessTrustedWithOptions(true);
}

void TriggerEngine::reregisterEventTap() {
    const auto masks = triggerModifierMasks(settings_.triggerModifiers.value());
    const auto button = triggerMouseButtonNumber(settings_.triggerMouseButton.value());
    const TriggerEventTap::Config config{
        .interceptCommandTab = settings_.replacesSystemCommandTab(),
        .interceptCommandGrave = settings_.replacesSystemCommandGrave(),
        .interceptTriggerTab = settings_.triggerKeyCode() == kTabKeyCode,
        .triggerRequiresCommand = masks.requiresCommand,
        .triggerRequiresOption = masks.requiresOption,
        .triggerRequiresControl = masks.requiresControl,
        .mouseButtonNumber = button,
    };
    eventTap_->setConfig(config);
    const bool needed = config.interceptCommandTab || config.interceptCommandGrave || config.interceptTriggerTab ||
                        button || eventTap_->bareInputArmed() || eventTap_->panelOpen();
    if (needed) {
        eventTap_->installIfNeeded();
    } else {
        eventTap_->remove();
    }
}

void TriggerEngine::reregisterHotKey() {
    hotKey_.onTrigger = [weak = weak_from_this(), &main = platform_.main] {
        main.async([weak] {
            const auto self = weak.lock();
            if (!self) return;
            self->enqueueTrigger([weak] {
                if (const auto self = weak.lock(); self && self->switcher()) self->switcher()->triggerTab(false, true);
            });
        });
    };
    const auto keyCode = settings_.triggerKeyCode();
    // The tap carries Command-`, and Tab whenever it is installed.
    if (settings_.replacesSystemCommandGrave() || (keyCode == kTabKeyCode && eventTap_->isInstalled())) {
        hotKey_.unregister();
        return;
    }
    hotKey_.registerKey(triggerModifierMasks(settings_.triggerModifiers.value()).hotKeyModifiers, keyCode);
}

void TriggerEngine::reregisterMouseTriggers() {
    for (const auto token : mouseMonitors_) platform_.monitors.removeMonitor(token);
    mouseMonitors_.clear();
    if (settings_.triggerMouseButton.value() == TriggerMouseButton::none) return;

    const std::weak_ptr<TriggerEngine> weak = weak_from_this();
    // Whether the event is the trigger button's, and the switcher to tell.
    const auto matching = [weak](const InputEvent& event) -> std::shared_ptr<TriggerSwitcher> {
        const auto self = weak.lock();
        if (!self || !self->settings_.triggerMouseButtonMatches(mouseEventOf(event))) return nullptr;
        return self->switcher();
    };
    if (!eventTap_->isInstalled()) {
        mouseMonitors_.push_back(platform_.monitors.addGlobalMonitor(kGlobalMouseDownMask, [matching](const InputEvent& event) {
            if (const auto switcher = matching(event)) switcher->handleTriggerMouseDown(event.buttonNumber);
        }));
    }
    mouseMonitors_.push_back(platform_.monitors.addGlobalMonitor(kGlobalMouseUpMask, [matching](const InputEvent& event) {
        if (const auto switcher = matching(event)) switcher->handleTriggerMouseUp(event.buttonNumber);
    }));
    mouseMonitors_.push_back(platform_.monitors.addLocalMonitor(
        kLocalMouseMask, [weak, matching](const InputEvent& event) -> std::optional<InputEvent> {
            const auto self = weak.lock();
            if (!self || !self->settings_.triggerMouseButtonMatches(mouseEventOf(event))) return event;
            // The trigger button's events are the switcher's, also when there is none.
            if (const auto switcher = matching(event)) {
                if (isMouseUp(event.type)) {
                    switcher->handleTriggerMouseUp(event.buttonNumber);
                } else {
                    switcher->handleTriggerMouseDown(event.buttonNumber);
                }
            }
            return std::nullopt;
        }));
}

// --- Coalesced trigger presses ----------------------------------------------------------------------------

void TriggerEngine::enqueueTrigger(std::function<void()> action) {
    if (!platform_.main.isCurrent()) {
        platform_.main.async([weak = weak_from_this(), action = std::move(action)]() mutable {
            if (const auto self = weak.lock()) self->enqueueTrigger(std::move(action));
        });
        return;
    }
    pendingTrigger_ = std::move(action);  // an earlier one is dropped unrun
    scheduleTriggerFlush();
}

void TriggerEngine::scheduleTriggerFlush() {
    if (triggerFlushScheduled_) return;
    triggerFlushScheduled_ = true;
    platform_.main.async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) return;
        self->triggerFlushScheduled_ = false;
        self->runPendingTrigger();
    });
}

void TriggerEngine::runPendingTrigger() {
    auto action = std::exchange(pendingTrigger_, std::nullopt);
    if (action) (*action)();
}

}  // namespace tavelin
