#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/Workspace.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kTab = 48;
constexpr EventMask kKeys = eventMaskBit(EventType::keyDown) | eventMaskBit(EventType::keyUp);

class SimInputStreamTest : public ::testing::Test {
  protected:
    SimInputStreamTest() { mac.accessibility().setProcessTrusted(true); }

    static Desktop desktop() {
        return Desktop{.applications = {{"com.apple.Safari", "Safari", "/Applications/Safari.app", true}},
                       .frontmost = "com.apple.Safari",
                       .dock = DesktopDock{}};
    }
    // The key codes that reached an application, with it.
    std::vector<std::pair<std::string, std::int64_t>> keysDelivered() {
        std::vector<std::pair<std::string, std::int64_t>> keys;
        for (const auto& delivery : mac.input().applicationDeliveries()) {
            if (delivery.event.type == EventType::keyDown) keys.emplace_back(delivery.application, delivery.event.keyCode);
        }
        return keys;
    }
    void activateProgram() {
        mac.workspace().activate(mac.workspace().process(mac.host().mainBundle().identifier)->processIdentifier);
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    SimMac mac{desktop(), home.path(), scheduler, log};
    SimInputStream& input = mac.input();
};

TEST_F(SimInputStreamTest, HardwareStateChangesAtTheStampEventsWaitForTheMainQueue) {
    std::vector<std::pair<EventType, std::uint64_t>> seen;
    auto port = mac.eventTaps().createTap(EventTapLocation::hid, ~EventMask{0}, [&](EventType type, const InputEvent& event) {
        seen.emplace_back(type, event.flags);
        return TapVerdict::pass;
    });
    mac.eventTaps().addToMainRunLoop(*port);

    input.pressModifiers(kEventFlagOption, 50ms);
    input.keyDown(kTab, 80ms);
    input.mouseDown(3, 90ms);
    scheduler.sleepBlocking(100ms);  // the main thread is busy
    EXPECT_EQ(input.modifierFlags(), kEventFlagOption);
    EXPECT_EQ(input.pressedMouseButtons(), 0b1000u);
    EXPECT_THAT(seen, IsEmpty());

    scheduler.runUntilIdle();
    // The key carries the modifiers held at its stamp.
    EXPECT_THAT(seen, ElementsAre(std::pair{EventType::flagsChanged, kEventFlagOption},
                                  std::pair{EventType::keyDown, kEventFlagOption},
                                  std::pair{EventType::otherMouseDown, kEventFlagOption}));
    ASSERT_EQ(input.applicationDeliveries().size(), 3u);
    EXPECT_EQ(input.applicationDeliveries()[1].event.timestamp, 80ms);
}

TEST_F(SimInputStreamTest, EachStageTakesWhatItOwnsAndTheRestReachesTheFrontApplication) {
    bool swallowEscape = true;
    auto port = mac.eventTaps().createTap(EventTapLocation::session, kKeys, [&](EventType, const InputEvent& event) {
        return event.keyCode == 53 && swallowEscape ? TapVerdict::swallow : TapVerdict::pass;
    });
    mac.eventTaps().addToMainRunLoop(*port);
    HotKeyRef ref;
    EventHandlerRef handler;
    int hotKeyPresses = 0;
    mac.hotKeys().installEventHandler(kEventClassKeyboard, kEventHotKeyPressed, [&](const CarbonEvent&) {
        ++hotKeyPresses;
        return kNoErr;
    }, handler);
    ASSERT_EQ(mac.hotKeys().registerEventHotKey(49, kHotKeyControl, {fourCharCode("LMR1"), 1}, 0, ref), kNoErr);

    input.keyDown(53);                                  // the tap's
    input.pressModifiers(kEventFlagCommand);
    input.keyDown(kTab);                                // the system switcher's, ids 1 and 2 on
    scheduler.runUntilIdle();
    mac.symbolicHotKeys().setEnabled(1, false);
    scheduler.runUntilIdle();
    input.keyDown(kTab);                                // id 1 off: the application's
    input.pressModifiers(kEventFlagShift);
    input.keyDown(kTab);                                // Command-Shift-Tab: id 2 still on
    input.releaseModifiers(kEventFlagCommand | kEventFlagShift);
    input.pressModifiers(kEventFlagControl);
    input.keyDown(49);                                  // the hot key's
    input.pressModifiers(kEventFlagShift);
    input.keyDown(49);                                  // not an exact match
    scheduler.runUntilIdle();

    EXPECT_EQ(input.systemSwitcherEvents().size(), 2u);
    EXPECT_EQ(hotKeyPresses, 1);
    EXPECT_THAT(keysDelivered(), ElementsAre(std::pair{std::string("com.apple.Safari"), kTab},
                                             std::pair{std::string("com.apple.Safari"), std::int64_t{49}}));
}

TEST_F(SimInputStreamTest, LocalMonitorsRunInOrderForTheProgramGlobalOnesWatchOthers) {
    std::vector<std::string> seen;
    auto& monitors = static_cast<EventMonitors&>(input);
    monitors.addGlobalMonitor(kKeys, [&](const InputEvent&) { seen.push_back("global"); });
    monitors.addLocalMonitor(kKeys, [&](const InputEvent& event) -> std::optional<InputEvent> {
        seen.push_back("first");
        return event;
    });
    const auto second = monitors.addLocalMonitor(kKeys, [&](const InputEvent&) -> std::optional<InputEvent> {
        seen.push_back("second consumes");
        return std::nullopt;
    });
    monitors.addLocalMonitor(kKeys, [&](const InputEvent& event) -> std::optional<InputEvent> {
        seen.push_back("third");
        return event;
    });

    input.keyDown(1);  // Safari in front
    scheduler.runUntilIdle();
    activateProgram();
    input.keyDown(2);
    scheduler.runUntilIdle();
    monitors.removeMonitor(second);
    input.keyDown(3);
    scheduler.runUntilIdle();

    EXPECT_THAT(seen, ElementsAre("global", "first", "second consumes", "first", "third"));
    EXPECT_THAT(keysDelivered(), ElementsAre(std::pair{std::string("com.apple.Safari"), std::int64_t{1}},
                                             std::pair{mac.host().mainBundle().identifier, std::int64_t{3}}));
}

TEST_F(SimInputStreamTest, TapsNeedTrustAndStopSeeingWhatTheSystemTakesFromThem) {
    mac.accessibility().setProcessTrusted(false);
    EXPECT_EQ(mac.eventTaps().createTap(EventTapLocation::hid, kKeys, {}), std::nullopt);
    EXPECT_EQ(mac.eventTaps().createTap(EventTapLocation::session, kKeys, {}), std::nullopt);
    mac.accessibility().setProcessTrusted(true);
    mac.eventTaps().refuseHIDTaps(true);
    EXPECT_EQ(mac.eventTaps().createTap(EventTapLocation::hid, kKeys, {}), std::nullopt);

    std::vector<EventType> seen;
    const auto port = mac.eventTaps().createTap(
        EventTapLocation::session, kKeys | eventMaskBit(EventType::otherMouseDown), [&](EventType type, const InputEvent&) {
            seen.push_back(type);
            return TapVerdict::pass;
        });
    ASSERT_TRUE(port);
    input.keyDown(1);  // not on the run loop yet
    scheduler.runUntilIdle();
    mac.eventTaps().addToMainRunLoop(*port);

    mac.eventTaps().setSecureEventInput(true);
    input.keyDown(1);
    input.mouseDown(3);
    scheduler.runUntilIdle();
    mac.eventTaps().setSecureEventInput(false);
    mac.eventTaps().disableTap(*port);
    input.keyDown(1);
    scheduler.runUntilIdle();
    mac.eventTaps().enableTap(*port, true);
    input.keyDown(1);
    scheduler.runUntilIdle();

    EXPECT_THAT(seen, ElementsAre(EventType::otherMouseDown, EventType::tapDisabledByTimeout, EventType::keyDown));
}

TEST_F(SimInputStreamTest, ADockRelaunchAndAWakeTurnTheSystemShortcutsOnAndAreAnnounced) {
    std::vector<std::string> announced;
    auto launches = mac.workspace().notificationCenter().addObserver(
        std::string(kWorkspaceDidLaunchApplication), nullptr, nullptr, [&](const Notification& notification) {
            announced.push_back(*notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey)->bundleIdentifier);
        });
    auto wakes = mac.workspace().notificationCenter().addObserver(
        std::string(kWorkspaceDidWake), nullptr, nullptr, [&](const Notification&) { announced.push_back("wake"); });
    auto active = mac.notificationCenter().addObserver(std::string(kApplicationDidBecomeActive), nullptr, nullptr,
                                                       [&](const Notification&) { announced.push_back("active"); });

    for (const std::uint32_t id : {1, 2, 6, 7}) mac.symbolicHotKeys().setEnabled(id, false);
    mac.relaunchDock();
    EXPECT_TRUE(mac.symbolicHotKeys().isEnabled(1) && mac.symbolicHotKeys().isEnabled(7));
    mac.symbolicHotKeys().setEnabled(6, false);
    mac.wake();
    EXPECT_TRUE(mac.symbolicHotKeys().isEnabled(6));
    activateProgram();
    scheduler.runUntilIdle();

    EXPECT_THAT(announced, ElementsAre("com.apple.dock", "wake", "active"));
    EXPECT_TRUE(mac.dock()->processIdentifier());
}

// The system moves between Spaces while the program's main thread is blocked, and the row does not
// wrap; Shift, the function bit and a switched-off shortcut count as a Mac counts them.
TEST_F(SimInputStreamTest, SpaceShortcutsStepTheRowWithoutWrapping) {
    auto& world = mac.windowWorld();
    const auto identity = *mac.displays().identity(std::size_t{0});
    const auto second = *world.addSpace(identity);
    const auto first = world.displaySpaces()[0].currentSpace;
    world.setSwitchDelay(100ms);
    const auto press = [&](std::int64_t keyCode, std::uint64_t flags) {
        input.pressModifiers(flags);
        input.keyDown(keyCode);
        input.keyUp(keyCode);
        input.releaseModifiers(flags);
        scheduler.sleepBlocking(150ms);
        return world.displaySpaces()[0].currentSpace;
    };
    EXPECT_EQ(press(123, kEventFlagControl), first);  // already the first
    EXPECT_EQ(press(124, kEventFlagControl | kEventFlagShift), first);  // 82 is off
    EXPECT_EQ(press(124, kEventFlagControl | 0x800000), second);
    EXPECT_EQ(press(124, kEventFlagControl), second);  // already the last
    mac.symbolicHotKeys().setEnabled(79, false);
    EXPECT_EQ(press(123, kEventFlagControl), second);
    mac.symbolicHotKeys().restoreAll();
    EXPECT_EQ(press(123, kEventFlagControl), first);
    EXPECT_EQ(input.spaceShortcutEvents().size(), 8u);  // the four presses that matched, down and up
    scheduler.runUntilIdle();
    EXPECT_THAT(keysDelivered(), ElementsAre(std::pair<std::string, std::int64_t>{"com.apple.Safari", 124},
                                             std::pair<std::string, std::int64_t>{"com.apple.Safari", 123}));
}

}  // namespace
}  // namespace tavelin::sim
