#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mac/switcher/HotKeyController.h"
#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kOption = 0x800, kControl = 0x1000;

class HotKeyControllerTest : public ::testing::Test {
  protected:
    HotKeyControllerTest() { hotKey->onTrigger = [this] { ++triggers; }; }

    std::vector<std::string> hotKeyCalls() {
        std::vector<std::string> calls;
        for (auto& call : mac.calls().calls()) {
            if (call.starts_with("HotKeys.")) calls.push_back(call);
        }
        return calls;
    }
    void press(std::uint64_t flags, std::int64_t keyCode) {
        mac.input().post(InputEvent{.type = EventType::keyDown, .flags = flags, .keyCode = keyCode});
        scheduler.runUntilIdle();
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimMac mac{sim::Desktop{}, home.path(), scheduler, log};
    std::unique_ptr<HotKeyController> hotKey = std::make_unique<HotKeyController>(mac.hotKeys(), log);
    int triggers = 0;
};

TEST_F(HotKeyControllerTest, ARepeatedRegistrationChangesNothingAnotherReleasesTheOldKeyFirst) {
    hotKey->registerKey(kOption, 48);
    hotKey->registerKey(kOption, 48);
    EXPECT_THAT(log.lines(), ElementsAre("Tavelin HotKey: registered key=48 mods=0x800"));
    press(kEventFlagOption, 48);
    EXPECT_EQ(triggers, 1);

    mac.hotKeys().setRegisterFailure(-9878);
    hotKey->registerKey(kControl, 49);
    EXPECT_THAT(hotKeyCalls(), ElementsAre("HotKeys.installEventHandler", "HotKeys.register key=48 mods=0x800",
                                           "HotKeys.unregister", "HotKeys.register key=49 mods=0x1000"));
    EXPECT_EQ(log.lines().back(), "Tavelin HotKey: RegisterEventHotKey failed status=-9878 key=49 mods=0x1000");
    EXPECT_THAT(mac.hotKeys().registrations(), IsEmpty());
    EXPECT_EQ(hotKey->registeredModifiers(), 0u);
    EXPECT_EQ(hotKey->registeredKeyCode(), 0xFFFFFFFFu);

    // The same values again: tried again.
    mac.hotKeys().setRegisterFailure(std::nullopt);
    hotKey->registerKey(kControl, 49);
    EXPECT_EQ(log.lines().back(), "Tavelin HotKey: registered key=49 mods=0x1000");
    EXPECT_EQ(mac.hotKeys().handlerCount(), 1u);
    // Another key with the same modifiers is another registration.
    hotKey->registerKey(kControl, 50);
    EXPECT_EQ(log.lines().back(), "Tavelin HotKey: registered key=50 mods=0x1000");

    hotKey.reset();
    EXPECT_THAT(mac.hotKeys().registrations(), IsEmpty());
    EXPECT_EQ(mac.hotKeys().handlerCount(), 0u);
}

TEST_F(HotKeyControllerTest, AnotherSignatureIsLeftToTheNextHandler) {
    hotKey->registerKey(kOption, 48);
    // Another part of the process with its own hot key and handler.
    HotKeyRef other;
    EventHandlerRef otherHandler;
    int otherPresses = 0;
    mac.hotKeys().installEventHandler(kEventClassKeyboard, kEventHotKeyPressed, [&](const CarbonEvent&) {
        ++otherPresses;
        return kNoErr;
    }, otherHandler);
    ASSERT_EQ(mac.hotKeys().registerEventHotKey(49, kControl, {fourCharCode("othr"), 1}, 0, other), kNoErr);

    press(kEventFlagControl, 49);
    EXPECT_EQ(triggers, 0);
    EXPECT_EQ(otherPresses, 1);
    // Only the signature counts, not the number.
    HotKeyRef sameSignature;
    mac.hotKeys().registerEventHotKey(50, kControl, {HotKeyController::kSignature, 7}, 0, sameSignature);
    press(kEventFlagControl, 50);
    EXPECT_EQ(triggers, 1);
    EXPECT_EQ(otherPresses, 1);
}

TEST_F(HotKeyControllerTest, WithoutItsHandlerAKeyIsRegisteredButNeverFires) {
    mac.hotKeys().setInstallHandlerFailure(-50);
    hotKey->registerKey(kOption, 48);
    EXPECT_THAT(log.lines(), ElementsAre("Tavelin HotKey: InstallEventHandler failed status=-50",
                                         "Tavelin HotKey: registered key=48 mods=0x800"));
    press(kEventFlagOption, 48);
    EXPECT_EQ(triggers, 0);
}

TEST(SystemAppSwitcherHotKeysTest, AppliesAllFourInOrderAndLogsTheState) {
    CapturedSystemLog log;
    VirtualScheduler scheduler;
    sim::SimCallTrace trace;
    sim::SimSymbolicHotKeys symbolic(trace, SequenceChecker(scheduler.main()));
    SystemAppSwitcherHotKeys keys(symbolic, log);

    // Before any replacement is known (a wake ahead of the first apply) the system keeps all four.
    keys.applyDesired();
    EXPECT_TRUE(symbolic.isEnabled(1) && symbolic.isEnabled(2) && symbolic.isEnabled(6) &&
                symbolic.isEnabled(7));
    trace.clear();
    keys.applyReplacement(true, false);
    EXPECT_THAT(trace.calls(),
                ElementsAre("SymbolicHotKeys.setEnabled 1 off", "SymbolicHotKeys.setEnabled 2 off",
                            "SymbolicHotKeys.setEnabled 6 on", "SymbolicHotKeys.setEnabled 7 on"));
    keys.applyReplacement(false, true);
    EXPECT_TRUE(symbolic.isEnabled(1) && symbolic.isEnabled(2));
    EXPECT_FALSE(symbolic.isEnabled(6) || symbolic.isEnabled(7));
    // As at termination.
    keys.applyReplacement(false, false);
    EXPECT_TRUE(symbolic.isEnabled(6) && symbolic.isEnabled(7));
    EXPECT_THAT(
        log.lines(),
        ElementsAre("Tavelin symbolic hotkeys tab=1 grave=1", "Tavelin symbolic hotkeys tab=0 grave=1",
                    "Tavelin symbolic hotkeys tab=1 grave=0", "Tavelin symbolic hotkeys tab=1 grave=1"));
}

TEST(SystemAppSwitcherHotKeysTest, WithoutThePrivateCallItSaysSoOnceAndThenNothing) {
    CapturedSystemLog log;
    VirtualScheduler scheduler;
    sim::SimCallTrace trace;
    sim::SimSymbolicHotKeys symbolic(trace, SequenceChecker(scheduler.main()));
    symbolic.setAvailable(false);
    SystemAppSwitcherHotKeys keys(symbolic, log);
    keys.applyReplacement(true, true);
    keys.applyDesired();
    EXPECT_THAT(log.lines(), ElementsAre("Tavelin: CGSSetSymbolicHotKeyEnabled not found"));
    EXPECT_THAT(trace.calls(), ElementsAre("SymbolicHotKeys.lookUp"));
    EXPECT_TRUE(symbolic.isEnabled(1));
}

}  // namespace
}  // namespace tavelin
