#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/SimInputScript.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;
using Action = SimInputScript::Action;

TEST(SimInputScriptTest, StepsAreReadWithTheirStampsAndAKeyAloneIsADownAndAnUp) {
    const auto script = SimInputScript::parse(
        "0.00 press Option+Shift, 0.05 Tab down,0.08 tab up\n 0.1 H, 0.12 button 3 down, 0.2 wheel -1,"
        " 0.3 move 10 20.5, 0.4 Up, 0.45 release Option");
    ASSERT_TRUE(script) << script.error();
    const std::vector<SimInputScript::Step> expected{
        {0ms, Action::press, 0, kEventFlagOption | kEventFlagShift, {}},
        {50ms, Action::keyDown, 48, 0, {}},
        {80ms, Action::keyUp, 48, 0, {}},
        {100ms, Action::keyDown, 4, 0, {}},
        {100ms, Action::keyUp, 4, 0, {}},
        {120ms, Action::buttonDown, 3, 0, {}},
        {200ms, Action::wheel, -1, 0, {}},
        {300ms, Action::move, 0, 0, Point{10, 20.5}},
        {400ms, Action::keyDown, 126, 0, {}},
        {400ms, Action::keyUp, 126, 0, {}},
        {450ms, Action::release, 0, kEventFlagOption, {}},
    };
    EXPECT_EQ(script->steps(), expected);
}

TEST(SimInputScriptTest, AStepThatCannotBeReadIsNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.1 Tab, 0.2 Tab sideways", "step 2 \"0.2 Tab sideways\": unknown action"},
        {"press Option", "step 1 \"press Option\": no time in seconds"},
        {"-1 Tab", "step 1 \"-1 Tab\": no time in seconds"},
        {"nan Tab", "step 1 \"nan Tab\": no time in seconds"},
        {"0.1", "step 1 \"0.1\": no action"},
        {"0.1 press Hyper", "step 1 \"0.1 press Hyper\": unknown modifier \"hyper\""},
        {"0.1 press Option+", "step 1 \"0.1 press Option+\": unknown modifier \"option+\""},
        {"0.1 Escapes down", "step 1 \"0.1 Escapes down\": unknown key \"escapes\""},
        {"0.1 button 99 down", "step 1 \"0.1 button 99 down\": no mouse button \"99\""},
        {"0.1 wheel 0", "step 1 \"0.1 wheel 0\": no wheel notch \"0\""},
    };
    for (const auto& [text, error] : cases) {
        const auto script = SimInputScript::parse(text);
        ASSERT_FALSE(script) << text;
        EXPECT_EQ(script.error(), error);
    }
}

// Played, each step changes the hardware state at its stamp, also while the main thread is blocked.
TEST(SimInputScriptTest, PlayedStepsHappenAtTheirStampsOnTheWorldsClock) {
    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    SimMac mac{Desktop{.dock = DesktopDock{}}, home.path(), scheduler, log};
    SimInputScript::parse("0.00 press Option, 0.05 button 3 down, 0.15 release Option, 0.2 button 3 up")->play(mac.input());
    EXPECT_EQ(mac.input().modifierFlags(), kEventFlagOption);
    scheduler.sleepBlocking(60ms);
    EXPECT_EQ(mac.input().pressedMouseButtons(), 1u << 3);
    scheduler.advance(89ms);
    EXPECT_EQ(mac.input().modifierFlags(), kEventFlagOption);
    scheduler.advance(1ms);  // 0.15 s exactly, not a rounding below it
    EXPECT_EQ(mac.input().modifierFlags(), 0u);
    EXPECT_EQ(mac.input().pressedMouseButtons(), 1u << 3);
    scheduler.advance(50ms);
    EXPECT_EQ(mac.input().pressedMouseButtons(), 0u);
    EXPECT_EQ(scheduler.clock().uptime(), 200ms);
}

}  // namespace
}  // namespace tavelin::sim
