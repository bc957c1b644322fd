#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mac/switcher/TriggerEngine.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kTab = 48, kGrave = 50, kSpace = 49, kEscape = 53;

// Records every call; keeps the trigger button held as the switcher does (a down of the configured
// button holds it unless held, its up lets it go).
class RecordingSwitcher final : public TriggerSwitcher {
  public:
    explicit RecordingSwitcher(std::int64_t triggerButton = -1) : triggerButton_(triggerButton) {}

    void triggerTab(bool shift, bool fromKey) override {
        calls.push_back(std::string("triggerTab") + (shift ? " shift" : "") + (fromKey ? " fromKey" : ""));
    }
    void handleTriggerMouseDown(std::int64_t button) override {
        calls.push_back("mouseDown " + std::to_string(button));
        if (button == triggerButton_ && !buttonHeld) buttonHeld = true;
    }
    void handleTriggerMouseUp(std::int64_t button) override {
        calls.push_back("mouseUp " + std::to_string(button));
        if (button == triggerButton_ && buttonHeld) buttonHeld = false;
    }
    bool wheelShouldScrollOnly() override { return scrollOnly; }
    void applyWheelStep(bool next) override { calls.push_back(next ? "wheel next" : "wheel previous"); }
    void close(bool discardState) override { calls.push_back(discardState ? "close discard" : "close"); }

    std::vector<std::string> calls;
    bool buttonHeld = false;
    bool scrollOnly = false;

  private:
    std::int64_t triggerButton_;
};

class TriggerEngineTest : public ::testing::Test {
  protected:
    static sim::Desktop desktop() {
        return sim::Desktop{.applications = {{"com.apple.Safari", "Safari", "/Applications/Safari.app", true}},
                            .frontmost = "com.apple.Safari",
                            .dock = sim::DesktopDock{}};
    }

    void start(bool trusted = true, std::int64_t triggerButton = -1) {
        mac.accessibility().setProcessTrusted(trusted);
        engine = TriggerEngine::make(
            settings, systemKeys,
            TriggerEngine::Platform{mac.eventTaps(), mac.hotKeys(), mac.input(), mac.accessibility(),
                                    mac.workspace().notificationCenter(), mac.notificationCenter(), scheduler.main(),
                                    scheduler.clock(), log});
        switcher = std::make_shared<RecordingSwitcher>(triggerButton);
        engine->attach(switcher);
        scheduler.runUntilIdle();
    }
    // Presses the key with the modifiers and lets go of both; what the switcher was asked meanwhile.
    std::vector<std::string> chord(std::uint64_t flags, std::int64_t keyCode) {
        mac.input().pressModifiers(flags);
        mac.input().keyDown(keyCode);
        mac.input().keyUp(keyCode);
        mac.input().releaseModifiers(flags);
        return taken();
    }
    std::vector<std::string> taken() {
        scheduler.runUntilIdle();
        return std::exchange(switcher->calls, {});
    }
    // Key-downs that went on to the front application.
    std::vector<std::int64_t> keysThrough() {
        std::vector<std::int64_t> keys;
        for (const auto& delivery : mac.input().applicationDeliveries()) {
            if (delivery.event.type == EventType::keyDown) keys.push_back(delivery.event.keyCode);
        }
        return keys;
    }
    std::vector<std::string> registrations() {
        std::vector<std::string> keys;
        for (const auto& registration : mac.hotKeys().registrations())
            keys.push_back(std::to_string(registration.keyCode) + "+" + std::to_string(registration.modifiers));
        return keys;
    }
    bool symbolic(std::uint32_t id) { return mac.symbolicHotKeys().isEnabled(id); }
    bool tapInstalled() { return engine->eventTap().isInstalled(); }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimMac mac{desktop(), home.path(), scheduler, log};
    AppSettings settings{mac.standardUserDefaults(), mac.host(), scheduler.main()};
    SystemAppSwitcherHotKeys systemKeys{mac.symbolicHotKeys(), log};
    std::shared_ptr<TriggerEngine> engine;
    std::shared_ptr<RecordingSwitcher> switcher;
};

TEST_F(TriggerEngineTest, OptionTabWithAccessibilityGoesThroughTheTapAlone) {
    start();
    EXPECT_TRUE(tapInstalled());
    EXPECT_THAT(registrations(), IsEmpty());
    EXPECT_EQ(mac.accessibility().trustPromptCount(), 0);
    EXPECT_THAT(chord(kEventFlagOption, kTab), ElementsAre("triggerTab fromKey"));
    EXPECT_THAT(chord(kEventFlagOption | kEventFlagShift, kTab), ElementsAre("triggerTab shift fromKey"));
    EXPECT_THAT(keysThrough(), IsEmpty());
}

TEST_F(TriggerEngineTest, OptionTabWithoutAccessibilityFallsBackToTheHotKeyAndPromptsOnce) {
    start(false);
    EXPECT_FALSE(tapInstalled());
    EXPECT_THAT(registrations(), ElementsAre("48+2048"));
    EXPECT_EQ(mac.accessibility().trustPromptCount(), 1);
    settings.afterRelease = AfterReleaseMode::hold;
    settings.triggerMouseButton = TriggerMouseButton::middle;
    scheduler.runUntilIdle();
    EXPECT_EQ(mac.accessibility().trustPromptCount(), 1);
    settings.triggerMouseButton = TriggerMouseButton::none;

    // Two hops to the main queue; two presses in one turn give one step.
    mac.input().pressModifiers(kEventFlagOption);
    mac.input().keyDown(kTab);
    mac.input().keyDown(kTab);
    EXPECT_THAT(taken(), ElementsAre("triggerTab fromKey"));

    // Trust comes; the next activation of the program takes the tap.
    mac.accessibility().setProcessTrusted(true);
    mac.workspace().activate(mac.workspace().process(mac.host().mainBundle().identifier)->processIdentifier);
    scheduler.runUntilIdle();
    EXPECT_TRUE(tapInstalled());
    EXPECT_THAT(registrations(), IsEmpty());
    EXPECT_EQ(mac.accessibility().trustPromptCount(), 1);
}

TEST_F(TriggerEngineTest, CommandTabIsTakenFromTheSystemAlsoAfterADockRelaunchAndGivenBackAtTheEnd) {
    settings.triggerModifiers = TriggerModifiers::command;
    start();
    EXPECT_FALSE(symbolic(1) || symbolic(2));
    EXPECT_TRUE(symbolic(6) && symbolic(7));
    EXPECT_THAT(chord(kEventFlagCommand, kTab), ElementsAre("triggerTab fromKey"));
    EXPECT_THAT(chord(kEventFlagCommand, kGrave), IsEmpty());
    EXPECT_EQ(mac.input().systemSwitcherEvents().size(), 2u);  // Command-` down and up

    // Another application's launch changes nothing; the Dock's re-applies.
    mac.workspace().launchProcess(RunningApplication{.bundleIdentifier = "com.apple.dockhelper"});
    const auto linesBefore = log.lines().size();
    scheduler.runUntilIdle();
    EXPECT_EQ(log.lines().size(), linesBefore);
    mac.relaunchDock();
    EXPECT_TRUE(symbolic(1));
    scheduler.runUntilIdle();
    EXPECT_FALSE(symbolic(1) || symbolic(2));
    EXPECT_THAT(chord(kEventFlagCommand | kEventFlagShift, kTab), ElementsAre("triggerTab shift fromKey"));
    EXPECT_EQ(mac.input().systemSwitcherEvents().size(), 2u);

    // Termination, through the one shared object.
    systemKeys.applyReplacement(false, false);
    EXPECT_TRUE(symbolic(1) && symbolic(2) && symbolic(6) && symbolic(7));
}

TEST_F(TriggerEngineTest, AWakeReappliesTheDesiredStateThenEverythingAndAnActivationOnlyEverything) {
    settings.triggerModifiers = TriggerModifiers::command;
    start();
    const auto symbolicLines = [&] {
        return std::ranges::count_if(log.lines(), [](const std::string& line) { return line.starts_with("Tavelin symbolic"); });
    };
    const auto before = symbolicLines();
    mac.wake();
    scheduler.runUntilIdle();
    EXPECT_EQ(symbolicLines(), before + 2);
    EXPECT_FALSE(symbolic(1));
    mac.workspace().activate(mac.workspace().process(mac.host().mainBundle().identifier)->processIdentifier);
    scheduler.runUntilIdle();
    EXPECT_EQ(symbolicLines(), before + 3);
}

TEST_F(TriggerEngineTest, CommandGraveHasNoHotKeyAndWithoutTrustNothingCarriesIt) {
    settings.triggerModifiers = TriggerModifiers::command;
    settings.triggerKey = "`";
    start(false);
    EXPECT_FALSE(symbolic(6) || symbolic(7));
    EXPECT_TRUE(symbolic(1));
    EXPECT_FALSE(tapInstalled());
    EXPECT_THAT(registrations(), IsEmpty());
    EXPECT_THAT(chord(kEventFlagCommand, kGrave), IsEmpty());
    EXPECT_THAT(keysThrough(), ElementsAre(kGrave));

    mac.accessibility().setProcessTrusted(true);
    settings.afterRelease = AfterReleaseMode::search;  // any apply retries
    scheduler.runUntilIdle();
    EXPECT_TRUE(tapInstalled());
    EXPECT_THAT(chord(kEventFlagCommand, kGrave), ElementsAre("triggerTab fromKey"));
}

TEST_F(TriggerEngineTest, ControlSpaceUsesTheHotKeyAndTheTapOnlyWhileArmedOrOpen) {
    settings.triggerModifiers = TriggerModifiers::control;
    settings.triggerKey = "space";
    start();
    EXPECT_FALSE(tapInstalled());
    EXPECT_THAT(registrations(), ElementsAre("49+4096"));
    EXPECT_THAT(chord(kEventFlagControl, kSpace), ElementsAre("triggerTab fromKey"));

    // Armed: the tap comes and stays past an apply; it goes at the first apply after the session.
    switcher->onTriggerSessionArmedChanged(true);
    EXPECT_TRUE(tapInstalled());
    mac.input().scrollWheel(-1, 0, 1s);
    scheduler.advance(1s);
    switcher->scrollOnly = true;
    mac.input().scrollWheel(1, 0, 200ms);
    scheduler.advance(200ms);
    EXPECT_THAT(taken(), ElementsAre("wheel next"));
    settings.wrapWithinTier = true;
    scheduler.runUntilIdle();
    EXPECT_TRUE(tapInstalled());

    // Open: an apply keeps the tap, which takes the Escape.
    switcher->onTriggerSessionArmedChanged(false);
    switcher->onPanelOpenChanged(true);
    settings.wrapWithinTier = false;
    scheduler.runUntilIdle();
    mac.input().keyDown(kEscape);
    EXPECT_THAT(taken(), ElementsAre("close discard"));
    switcher->onPanelOpenChanged(false);
    settings.wrapWithinTier = true;
    scheduler.runUntilIdle();
    EXPECT_FALSE(tapInstalled());
    EXPECT_THAT(registrations(), ElementsAre("49+4096"));
}

TEST_F(TriggerEngineTest, TheMouseButtonsMonitorsFollowTheTapAndAreNeverDoubled) {
    using Monitor = sim::SimInputStream::MonitorState;
    settings.triggerMouseButton = TriggerMouseButton::button4;
    start(true, 3);
    EXPECT_THAT(mac.input().monitors(), ElementsAre(Monitor{false, 0x4000014}, Monitor{true, 0x600001E}));

    mac.accessibility().setProcessTrusted(false);
    engine.reset();  // a process without trust
    mac.eventTaps().refuseHIDTaps(true);
    start(false, 3);
    EXPECT_THAT(mac.input().monitors(), ElementsAre(Monitor{false, 0x200000A}, Monitor{false, 0x4000014},
                                                    Monitor{true, 0x600001E}));
    settings.triggerMouseButton = TriggerMouseButton::middle;
    scheduler.runUntilIdle();
    EXPECT_EQ(mac.input().monitors().size(), 3u);
    // Another application in front: its button events reach the switcher through the global monitors.
    mac.input().mouseDown(2);
    mac.input().mouseUp(2);
    mac.input().mouseDown(3);
    EXPECT_THAT(taken(), ElementsAre("mouseDown 2", "mouseUp 2"));
    settings.triggerMouseButton = TriggerMouseButton::none;
    scheduler.runUntilIdle();
    EXPECT_THAT(mac.input().monitors(), IsEmpty());
}

TEST_F(TriggerEngineTest, TheLocalMonitorSwallowsTheTriggerButtonEvenWithoutASwitcher) {
    settings.triggerMouseButton = TriggerMouseButton::button5;
    start(false, 4);
    mac.workspace().activate(mac.workspace().process(mac.host().mainBundle().identifier)->processIdentifier);
    scheduler.runUntilIdle();
    mac.input().mouseDown(4);
    mac.input().mouseDown(0);
    EXPECT_THAT(taken(), ElementsAre("mouseDown 4"));
    switcher.reset();
    mac.input().mouseUp(4);
    scheduler.runUntilIdle();
    const auto& deliveries = mac.input().applicationDeliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].event.type, EventType::leftMouseDown);
}

TEST_F(TriggerEngineTest, AQuickClickOfTheTriggerButtonInOneFlushLeavesItReleased) {
    settings.triggerMouseButton = TriggerMouseButton::button4;
    start(true, 3);
    // Down and up before the main queue runs: one tap flush holds both.
    mac.input().mouseDown(3);
    mac.input().mouseUp(3);
    EXPECT_THAT(taken(), ElementsAre("mouseDown 3", "mouseUp 3"));
    EXPECT_FALSE(switcher->buttonHeld);

    // Held across turns, the down waits its turn; the release then finds the button held.
    mac.input().mouseDown(3);
    scheduler.runUntilIdle();
    EXPECT_TRUE(switcher->buttonHeld);
    mac.input().mouseUp(3);
    EXPECT_THAT(taken(), ElementsAre("mouseDown 3", "mouseUp 3"));
    EXPECT_FALSE(switcher->buttonHeld);
}

}  // namespace
}  // namespace tavelin
