#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mac/switcher/TriggerEventTap.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kTab = 48, kGrave = 50, kEscape = 53;
constexpr std::uint64_t kShift = kEventFlagShift, kControl = kEventFlagControl, kOption = kEventFlagOption,
                        kCommand = kEventFlagCommand;

// The configurations the engine writes for four triggers.
const TriggerEventTap::Config kOptionTab{.interceptTriggerTab = true, .triggerRequiresOption = true};
const TriggerEventTap::Config kCommandTab{
    .interceptCommandTab = true, .interceptTriggerTab = true, .triggerRequiresCommand = true};
const TriggerEventTap::Config kCommandGrave{.interceptCommandGrave = true, .triggerRequiresCommand = true};
const TriggerEventTap::Config kControlSpace{.triggerRequiresControl = true};

class TriggerEventTapTest : public ::testing::Test {
  protected:
    TriggerEventTapTest() {
        mac.accessibility().setProcessTrusted(true);
        scheduler.advance(1s);  // the wheel's spacing counts from uptime 0
        tap->onTabDown = [this](bool shift) { seen.push_back(shift ? "tabDown shift" : "tabDown"); };
        tap->onTabUp = [this] { seen.push_back("tabUp"); };
        tap->onMouseDown = [this](std::int64_t button) { seen.push_back("mouseDown " + std::to_string(button)); };
        tap->onMouseUp = [this](std::int64_t button) { seen.push_back("mouseUp " + std::to_string(button)); };
        tap->onEscape = [this] { seen.push_back("escape"); };
        tap->onPanelWheel = [this](bool next) { seen.push_back(next ? "panelWheel next" : "panelWheel previous"); };
        tap->onArmedWheel = [this](bool next) { seen.push_back(next ? "armedWheel next" : "armedWheel previous"); };
    }

    void set(const TriggerEventTap::Config& config, bool armed = false, bool open = false) {
        tap->setConfig(config);
        tap->setBareInputArmed(armed);
        tap->setPanelOpen(open);
    }
    TapVerdict key(EventType type, std::int64_t keyCode, std::uint64_t flags) {
        return tap->handle(type, InputEvent{.type = type, .flags = flags, .keyCode = keyCode});
    }
    TapVerdict button(EventType type, std::int64_t number) {
        return tap->handle(type, InputEvent{.type = type, .buttonNumber = number});
    }
    TapVerdict wheel(std::int64_t lines, std::int64_t points = 0) {
        return tap->handle(EventType::scrollWheel,
                           InputEvent{.type = EventType::scrollWheel, .scrollLineDelta = lines, .scrollPointDelta = points});
    }
    std::vector<std::string> flushed() {
        scheduler.runUntilIdle();
        return std::exchange(seen, {});
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimMac mac{sim::Desktop{}, home.path(), scheduler, log};
    std::shared_ptr<TriggerEventTap> tap = std::make_shared<TriggerEventTap>(
        TriggerEventTap::Platform{mac.eventTaps(), scheduler.main(), scheduler.clock(), log});
    std::vector<std::string> seen;
};

TEST_F(TriggerEventTapTest, KeyDownSwallowMatrix) {
    struct Row {
        const char* what;
        std::int64_t keyCode;
        std::uint64_t flags;
        TriggerEventTap::Config config;
        bool armed;
        bool open;
        std::vector<std::string> delivered;  // empty: the key passes
    };
    const std::vector<Row> rows = {
        {"Option-Tab", kTab, kOption, kOptionTab, false, false, {"tabDown"}},
        {"Option-Shift-Tab", kTab, kOption | kShift, kOptionTab, false, false, {"tabDown shift"}},
        {"Option-Command-Tab", kTab, kOption | kCommand, kOptionTab, false, false, {}},
        {"plain Tab", kTab, 0, kOptionTab, false, false, {}},
        {"Option-`", kGrave, kOption, kOptionTab, false, false, {}},
        {"Option-A", 0, kOption, kOptionTab, false, false, {}},
        {"Command-Shift-Tab replaced", kTab, kCommand | kShift, kCommandTab, false, false, {"tabDown shift"}},
        {"Command-Option-Tab replaced", kTab, kCommand | kOption, kCommandTab, false, false, {}},
        {"Command-Control-Tab replaced", kTab, kCommand | kControl, kCommandTab, false, false, {}},
        {"Command-` replaced", kGrave, kCommand, kCommandGrave, false, false, {"tabDown"}},
        {"Command-` with Tab replaced", kGrave, kCommand, kCommandTab, false, false, {}},
        {"Command-Tab with ` replaced", kTab, kCommand, kCommandGrave, false, false, {}},
        {"Control-Tab, trigger Control-Space", kTab, kControl, kControlSpace, false, false, {}},
        {"bare Tab armed, panel not shown", kTab, 0, kOptionTab, true, false, {}},
        {"bare Tab armed, panel open", kTab, 0, kOptionTab, true, true, {"tabDown"}},
        // Armed ends the rules: the chord itself passes until the panel shows.
        {"Option-Tab armed, panel not shown", kTab, kOption, kOptionTab, true, false, {}},
        // Rule 1 comes before the armed rule.
        {"Command-Tab replaced, armed", kTab, kCommand, kCommandTab, true, false, {"tabDown"}},
        {"Escape, panel open", kEscape, 0, TriggerEventTap::Config{}, false, true, {"escape"}},
        {"Escape, panel closed", kEscape, 0, kOptionTab, true, false, {}},
    };
    for (const auto& row : rows) {
        set(row.config, row.armed, row.open);
        const auto verdict = key(EventType::keyDown, row.keyCode, row.flags);
        EXPECT_EQ(verdict, row.delivered.empty() ? TapVerdict::pass : TapVerdict::swallow) << row.what;
        EXPECT_EQ(flushed(), row.delivered) << row.what;
    }
}

TEST_F(TriggerEventTapTest, KeyUpsAreJudgedByTheirOwnFlagsAndOnlyTabUpIsDelivered) {
    set(kOptionTab);
    EXPECT_EQ(key(EventType::keyDown, kTab, kOption), TapVerdict::swallow);
    EXPECT_EQ(key(EventType::keyUp, kTab, kOption), TapVerdict::swallow);
    EXPECT_THAT(flushed(), ElementsAre("tabDown", "tabUp"));
    // Option let go before the Tab.
    EXPECT_EQ(key(EventType::keyUp, kTab, 0), TapVerdict::pass);

    set(kCommandGrave);
    EXPECT_EQ(key(EventType::keyDown, kGrave, kCommand), TapVerdict::swallow);
    EXPECT_EQ(key(EventType::keyUp, kGrave, kCommand), TapVerdict::swallow);
    EXPECT_THAT(flushed(), ElementsAre("tabDown"));

    set(kOptionTab, false, true);
    EXPECT_EQ(key(EventType::keyUp, kEscape, 0), TapVerdict::swallow);
    EXPECT_THAT(flushed(), IsEmpty());
}

TEST_F(TriggerEventTapTest, MouseButtons) {
    // No mouse trigger: only a middle down while armed.
    set(kOptionTab);
    EXPECT_EQ(button(EventType::otherMouseDown, 2), TapVerdict::pass);
    set(kOptionTab, true);
    EXPECT_EQ(button(EventType::otherMouseDown, 2), TapVerdict::swallow);
    EXPECT_EQ(button(EventType::otherMouseUp, 2), TapVerdict::pass);
    EXPECT_EQ(button(EventType::otherMouseDown, 3), TapVerdict::pass);
    EXPECT_THAT(flushed(), ElementsAre("mouseDown 2"));

    auto withButton = kOptionTab;
    withButton.mouseButtonNumber = 3;
    set(withButton);
    EXPECT_EQ(button(EventType::otherMouseDown, 3), TapVerdict::swallow);
    EXPECT_EQ(button(EventType::otherMouseUp, 3), TapVerdict::swallow);
    EXPECT_EQ(button(EventType::otherMouseDown, 2), TapVerdict::pass);
    EXPECT_EQ(button(EventType::otherMouseDown, 4), TapVerdict::pass);
    EXPECT_THAT(flushed(), ElementsAre("mouseDown 3", "mouseUp 3"));
    set(withButton, true);
    EXPECT_EQ(button(EventType::otherMouseDown, 2), TapVerdict::swallow);
    EXPECT_EQ(button(EventType::otherMouseUp, 2), TapVerdict::pass);
    EXPECT_THAT(flushed(), ElementsAre("mouseDown 2"));
}

TEST_F(TriggerEventTapTest, TheWheelStepsAtMostEverySeventyMillisecondsOnBothPaths) {
    set(kOptionTab, false, true);
    EXPECT_EQ(wheel(-1), TapVerdict::swallow);
    scheduler.advance(50ms);
    EXPECT_EQ(wheel(-1), TapVerdict::pass);  // too soon: to the application
    scheduler.advance(20ms);
    EXPECT_EQ(wheel(0, -3), TapVerdict::swallow);  // the point delta when no line delta
    EXPECT_THAT(flushed(), ElementsAre("panelWheel next", "panelWheel next"));
    scheduler.advance(100ms);
    EXPECT_EQ(wheel(0, 0), TapVerdict::pass);

    // The spacing is shared with the armed path.
    set(kOptionTab, true, false);
    EXPECT_EQ(wheel(2), TapVerdict::swallow);
    scheduler.advance(60ms);
    EXPECT_EQ(wheel(2), TapVerdict::pass);
    EXPECT_THAT(flushed(), ElementsAre("armedWheel previous"));
    set(kOptionTab, false, false);
    scheduler.advance(1s);
    EXPECT_EQ(wheel(2), TapVerdict::pass);

    // The list under the pointer scrolls; the step still counts for the spacing.
    set(kOptionTab, true, true);
    tap->panelWheelShouldScrollOnly = [] { return true; };
    EXPECT_EQ(wheel(-1), TapVerdict::pass);
    EXPECT_EQ(wheel(-1), TapVerdict::pass);
    EXPECT_THAT(flushed(), IsEmpty());
}

TEST_F(TriggerEventTapTest, OneFlushDeliversInItsFixedOrderAndFlushesAgainForWhatItsCallbacksCaused) {
    auto config = kOptionTab;
    config.mouseButtonNumber = 4;
    set(config, true, true);
    wheel(-1);
    key(EventType::keyDown, kEscape, 0);
    button(EventType::otherMouseUp, 4);
    button(EventType::otherMouseDown, 4);
    key(EventType::keyUp, kTab, kOption);
    key(EventType::keyDown, kTab, kOption);
    key(EventType::keyDown, kTab, kOption | kShift);
    set(config, true, false);
    scheduler.advance(100ms);
    wheel(1);
    EXPECT_THAT(flushed(), ElementsAre("tabDown", "tabDown shift", "tabUp", "mouseDown 4", "mouseUp 4", "escape",
                                       "panelWheel next", "armedWheel previous"));

    // 60 downs in one turn: 48 delivered. A callback that records more gets a second flush.
    set(config);
    for (int i = 0; i < 60; ++i) key(EventType::keyDown, kTab, kOption);
    int downs = 0;
    tap->onTabDown = [&](bool) {
        if (++downs == 48) key(EventType::keyUp, kTab, kOption);
    };
    EXPECT_THAT(flushed(), ElementsAre("tabUp"));
    EXPECT_EQ(downs, 48);
}

TEST_F(TriggerEventTapTest, RemoveDropsPendingInputButKeepsConfigurationAndFlags) {
    tap->installIfNeeded();
    set(kCommandTab, true, true);
    key(EventType::keyDown, kTab, kCommand);
    tap->remove();
    EXPECT_FALSE(tap->isInstalled());
    EXPECT_THAT(mac.eventTaps().taps(), IsEmpty());
    EXPECT_THAT(flushed(), IsEmpty());
    EXPECT_EQ(tap->config(), kCommandTab);
    EXPECT_TRUE(tap->bareInputArmed() && tap->panelOpen());
}

TEST_F(TriggerEventTapTest, InstallationNeedsTrustAndFallsBackToTheSessionLevel) {
    mac.accessibility().setProcessTrusted(false);
    tap->installIfNeeded();
    EXPECT_FALSE(tap->isInstalled());
    mac.accessibility().setProcessTrusted(true);
    mac.eventTaps().refuseHIDTaps(true);
    tap->installIfNeeded();
    tap->installIfNeeded();  // once is enough
    ASSERT_TRUE(tap->isInstalled());
    ASSERT_EQ(mac.eventTaps().taps().size(), 1u);
    EXPECT_EQ(mac.eventTaps().taps()[0].location, EventTapLocation::session);
    EXPECT_EQ(mac.eventTaps().taps()[0].mask, EventMask{0x6400C00});
    EXPECT_THAT(log.lines(), ElementsAre("Tavelin TriggerEventTap: CGEvent.tapCreate failed (Accessibility が必要)",
                                         "Tavelin TriggerEventTap: installed"));

    // Through the world: the swallowed Tab never reaches the front application.
    set(kOptionTab);
    mac.input().pressModifiers(kOption);
    mac.input().keyDown(kTab);
    mac.input().keyDown(1);
    EXPECT_THAT(flushed(), ElementsAre("tabDown"));
    ASSERT_EQ(mac.input().applicationDeliveries().size(), 2u);
    EXPECT_EQ(mac.input().applicationDeliveries()[1].event.keyCode, 1);
}

TEST_F(TriggerEventTapTest, TheWatchdogBringsBackADisabledTapAndReportsSecureInputOncePerEpisode) {
    tap->installIfNeeded();
    const auto tapEnabled = [&] { return mac.eventTaps().taps().at(0).enabled; };
    mac.eventTaps().enableTap(EventTapPort{1}, false);  // off without telling the callback
    scheduler.advance(249ms);
    EXPECT_FALSE(tapEnabled());
    scheduler.advance(1ms);
    EXPECT_TRUE(tapEnabled());

    // Told through the callback: enabled again at once.
    mac.eventTaps().disableTap(EventTapPort{1}, EventType::tapDisabledByUserInput);
    scheduler.runUntilIdle();
    EXPECT_TRUE(tapEnabled());

    mac.eventTaps().setSecureEventInput(true);
    mac.eventTaps().enableTap(EventTapPort{1}, false);
    scheduler.advance(1s);
    EXPECT_FALSE(tapEnabled());  // left alone while Secure Event Input is on
    mac.eventTaps().setSecureEventInput(false);
    scheduler.advance(500ms);
    EXPECT_TRUE(tapEnabled());
    EXPECT_THAT(log.lines(), ElementsAre("Tavelin TriggerEventTap: installed",
                                         "Tavelin TriggerEventTap: Secure Event Input 中はキーを受け取れない",
                                         "Tavelin TriggerEventTap: Secure Event Input 解除 — tap を再開"));

    tap.reset();  // released: the tap and the watchdog go
    EXPECT_THAT(mac.eventTaps().taps(), IsEmpty());
    scheduler.advance(1s);
}

}  // namespace
}  // namespace tavelin
