#pragma once

// The event tap at the head of the system's event stream through which the switcher owns keys that the
// system or the front application would otherwise take: Command-Tab and Command-` when it replaces the
// system's switcher, a Tab trigger, the trigger mouse button, Escape while the panel is open, and the
// wheel and bare Tab while a trigger session is armed. It decides per event whether to swallow it,
// records what it swallowed, and hands that to its owner from one coalesced main-queue flush through
// the callbacks below, always in the same order: Tab downs in arrival order, Tab up, mouse down, mouse
// up, Escape, panel wheel, armed wheel. It knows nothing of the panel; the trigger engine sets its
// callbacks, its configuration and its two state flags.
//
// A watchdog re-enables the tap every 0.25 s, which brings back a tap that the system switched off, and
// logs the start and end of Secure Event Input (no keys reach the tap meanwhile).
//
// Main thread: the tap's callback, the watchdog and the flush run on the main run loop. The lock still
// guards what the engine writes and every pending input, and no callback runs under it. Made with
// std::make_shared; removed when released.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/EventTaps.h"
#include "runtime/Clock.h"
#include "runtime/Queue.h"
#include "runtime/RepeatingTimer.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class TriggerEventTap : public std::enable_shared_from_this<TriggerEventTap> {
  public:
    struct Config {
        bool interceptCommandTab = false;    // the system's Command-Tab is replaced
        bool interceptCommandGrave = false;  // the system's Command-` is replaced
        bool interceptTriggerTab = false;    // the trigger key is Tab
        bool triggerRequiresCommand = false;
        bool triggerRequiresOption = false;
        bool triggerRequiresControl = false;
        std::optional<std::int64_t> mouseButtonNumber;  // 2, 3 or 4; none without a mouse trigger
        friend bool operator==(const Config&, const Config&) = default;
    };

    struct Platform {
        EventTaps& taps;
        Queue& main;
        const Clock& clock;
        SystemLog& log;
    };

    static constexpr EventMask kEventsOfInterest = 0x6400C00;
    static constexpr std::size_t kPendingTabDownCap = 48;
    static constexpr double kWheelStepSpacing = 0.07;  // seconds, for the open panel and the armed session
    static constexpr Duration kWatchdogPeriod = std::chrono::milliseconds(250);

    explicit TriggerEventTap(Platform platform) : platform_(platform) {}
    ~TriggerEventTap() { remove(); }
    TriggerEventTap(const TriggerEventTap&) = delete;
    TriggerEventTap& operator=(const TriggerEventTap&) = delete;

    // A swallowed Tab or ` down, with whether Shift was held.
    std::function<void(bool shift)> onTabDown;
    // A swallowed Tab up.
    std::function<void()> onTabUp;
    std::function<void(std::int64_t button)> onMouseDown;
    std::function<void(std::int64_t button)> onMouseUp;
    // A wheel step while armed with the panel closed; next for a negative delta.
    std::function<void(bool next)> onArmedWheel;
    // Asked before the open panel takes a wheel step: true lets the list under the pointer scroll.
    std::function<bool()> panelWheelShouldScrollOnly;
    std::function<void(bool next)> onPanelWheel;
    // Escape pressed while the panel is open.
    std::function<void()> onEscape;

    // Creates the tap at the hardware level, else at the session level; logs and leaves none when both
    // are refused (no Accessibility trust).
    void installIfNeeded();
    // Drops the tap, the watchdog and every pending input; the configuration and flags stay.
    void remove();
    bool isInstalled() const { return port_.has_value(); }

    void setConfig(const Config& config);
    Config config() const;
    void setBareInputArmed(bool armed);
    void setPanelOpen(bool open);
    bool bareInputArmed() const;
    bool panelOpen() const;

    // The tap's callback: whether the event goes on.
    TapVerdict handle(EventType type, const InputEvent& event);

  private:
    struct Pending {
        std::vector<bool> tabDowns;
        bool tabUp = false;
        std::optional<std::int64_t> mouseDown;
        std::optional<std::int64_t> mouseUp;
        bool escape = false;
        std::optional<bool> armedWheel;
        std::optional<bool> panelWheel;
        bool any() const {
            return !tabDowns.empty() || tabUp || mouseDown || mouseUp || escape || armedWheel || panelWheel;
        }
    };

    TapVerdict handleKey(EventType type, const InputEvent& event, const Config& config, bool armed);
    TapVerdict handleMouse(EventType type, const InputEvent& event, const Config& config, bool armed);
    TapVerdict handleWheel(const InputEvent& event, bool armed);
    bool shouldSwallowTabOrGrave(const InputEvent& event, const Config& config, bool bareArmed);
    std::optional<bool> armedWheelStep(const InputEvent& event);
    void enqueueTabDown(bool shift);
    // Records under the lock and schedules a flush.
    void record(const std::function<void(Pending&)>& change);
    void scheduleFlushLocked();
    void flushPending();
    void startWatchdog();
    void watchdogFired();

    Platform platform_;
    mutable std::mutex lock_;
    Config config_;
    bool bareInputArmed_ = false;
    bool panelOpen_ = false;
    Pending pending_;
    bool flushScheduled_ = false;
    double lastArmedWheelAt_ = 0;  // seconds of uptime
    bool loggedSecureInput_ = false;
    std::optional<EventTapPort> port_;
    std::unique_ptr<RepeatingTimer> watchdog_;
};

}  // namespace tavelin
