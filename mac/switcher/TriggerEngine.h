#pragma once

// Turns the configured trigger (a modifier chord with a key, or a mouse button) into calls on the
// switcher, and keeps the three paths that can carry it in step with the settings and the system:
//
//  - the event tap, needed for a Tab trigger, a replaced Command-Tab or Command-`, a mouse trigger, and
//    while a session is armed or the panel is open;
//  - the hot key, for any other key, and for Tab while the tap cannot be made (no Accessibility);
//  - mouse monitors for the trigger button: a global one for downs only without the tap, a global one
//    for ups and a local one for both.
//
// It also switches the system's own Command-Tab and Command-` switchers off while the trigger replaces
// them, and asks once per run for Accessibility trust when the trigger needs the tap. Everything is
// applied again, idempotently, on every settings change, wake, Dock launch and activation of the
// program (the system turns its switchers on again after a wake or a Dock relaunch).
//
// Trigger presses from the hot key and tap mouse downs are coalesced: the latest per main-queue turn
// runs. A trigger release runs a pending press first, so that a quick click whose down and up arrive in
// one flush is a press and then a release, never a release that finds nothing held.
//
// Main thread. Made with make(); it holds the switcher weakly, and every handler holds it weakly.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "mac/settings/AppSettings.h"
#include "mac/switcher/HotKeyController.h"
#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "mac/switcher/TriggerEventTap.h"
#include "mac/switcher/TriggerSwitcher.h"
#include "platform/Accessibility.h"
#include "platform/EventMonitors.h"
#include "runtime/NotificationCenter.h"

namespace tavelin {

class TriggerEngine : public std::enable_shared_from_this<TriggerEngine> {
  public:
    struct Platform {
        EventTaps& taps;
        HotKeys& hotKeys;
        EventMonitors& monitors;
        const Accessibility& accessibility;
        NotificationCenter& workspaceCenter;
        NotificationCenter& defaultCenter;
        Queue& main;
        const Clock& clock;
        SystemLog& log;
    };

    static constexpr EventMask kGlobalMouseDownMask = 0x200000A;
    static constexpr EventMask kGlobalMouseUpMask = 0x4000014;
    static constexpr EventMask kLocalMouseMask = 0x600001E;

    // Registers nothing with the system yet.
    static std::shared_ptr<TriggerEngine> make(AppSettings& settings, SystemAppSwitcherHotKeys& systemKeys,
                                               Platform platform);
    // Removes its monitors; the tap and the hot key go with their objects.
    ~TriggerEngine();
    TriggerEngine(const TriggerEngine&) = delete;
    TriggerEngine& operator=(const TriggerEngine&) = delete;

    // Binds the switcher and applies everything once.
    void attach(const std::shared_ptr<TriggerSwitcher>& switcher);

    const TriggerEventTap& eventTap() const { return *eventTap_; }
    const HotKeyController& hotKey() const { return hotKey_; }

  private:
    struct Private {};

  public:
    TriggerEngine(Private, AppSettings& settings, SystemAppSwitcherHotKeys& systemKeys, Platform platform);

  private:
    void connectTap();
    void subscribe();
    // The apply sequence: the system's switcher keys, the prompt, the tap, the hot key, the monitors.
    void applyAll();
    // A main-queue task that runs the apply sequence, after the system's keys when `reapplySystemKeys`.
    void scheduleApply(bool reapplySystemKeys);
    void promptAccessibilityIfNeeded();
    void reregisterEventTap();
    void reregisterHotKey();
    void reregisterMouseTriggers();
    void enqueueTrigger(std::function<void()> action);
    void scheduleTriggerFlush();
    void runPendingTrigger();
    // The switcher when attached and alive.
    std::shared_ptr<TriggerSwitcher> switcher() const { return switcher_.lock(); }
    void wheelStep(bool next);

    AppSettings& settings_;
    SystemAppSwitcherHotKeys& systemKeys_;
    Platform platform_;
    std::weak_ptr<TriggerSwitcher> switcher_;
    HotKeyController hotKey_;
    std::vector<EventMonitorToken> mouseMonitors_;
    std::vector<Subscription> cancellables_;
    std::shared_ptr<TriggerEventTap> eventTap_;
    bool didPromptAccessibility_ = false;
    std::optional<std::function<void()>> pendingTrigger_;
    bool triggerFlushScheduled_ = false;
};

}  // namespace tavelin
