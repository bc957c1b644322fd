// The hold-and-release session end to end: scripted typing on the simulated Mac goes through the event
// tap, the trigger engine and the panel's monitors to the switcher.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "mac/switcher/TriggerEngine.h"
#include "mac/switcher/tests/SwitcherInputWorld.h"
#include "mac/windows/ProcessIDSet.h"
#include "platform/sim/SimInputScript.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

class TriggerSessionTest : public SwitcherInputWorld {
  protected:
    explicit TriggerSessionTest(sim::Desktop desktop = standardDesktop()) : SwitcherInputWorld(std::move(desktop)) {
        engine_ = TriggerEngine::make(
            settings_, systemKeys_,
            TriggerEngine::Platform{mac_.eventTaps(), mac_.hotKeys(), mac_.input(), mac_.accessibility(),
                                    mac_.workspace().notificationCenter(), mac_.notificationCenter(),
                                    scheduler_.main(), scheduler_.clock(), log_});
        switcher();  // made first, as start-up makes it
        engine_->attach(switcher_);
        scheduler_.runUntilIdle();
    }

    // Plays the script from now and lets the clock run to a little after its last step.
    void type(std::string_view text) {
        const auto script = sim::SimInputScript::parse(text);
        ASSERT_TRUE(script) << script.error();
        script->play(mac_.input());
        scheduler_.advance(script->steps().back().at + 50ms);
    }
    std::optional<std::string> selectedTitle() {
        const auto item = switcher().selectedDockItem();
        return item ? std::optional(item->title) : std::nullopt;
    }
    bool armed() { return engine_->eventTap().bareInputArmed(); }
    // The panel made the program active; the next opening starts from Safari again.
    void bringSafariToFront() {
        mac_.workspace().activate(mac_.workspace().process("com.apple.Safari")->processIdentifier);
        scheduler_.runUntilIdle();
    }
    // The name of SimMac's frontmost application: the program's own while the panel is up, the confirmed
    // application's once it launched or came forward.
    std::string frontmost() {
        const auto front = mac_.workspace().frontmostApplication();
        if (!front) return "none";
        if (front->bundleIdentifier == mac_.host().mainBundle().identifier) return "program";
        return front->localizedName.value_or("?");
    }

    SystemAppSwitcherHotKeys systemKeys_{mac_.symbolicHotKeys(), log_};
    std::shared_ptr<TriggerEngine> engine_;
};

// One table of scripted sequences: the after-release mode and the trigger button, what is typed, and
// then the panel, the session's state, the tap's armed flag, SimMac's frontmost application (the one
// confirmed, once it came forward) and what is selected. Safari is in front; a key opens on Notes
// (after Safari), the mouse button on Safari.
TEST_F(TriggerSessionTest, ScriptedSequencesInEveryAfterReleaseMode) {
    using Mode = AfterReleaseMode;
    using Button = TriggerMouseButton;
    struct Row {
        const char* name;
        Mode mode;
        Button button;
        const char* script;
        bool open;
        bool retained;
        bool tapArmed;
        const char* front;
        const char* selected;  // none when empty
    };
    // A confirmed selection closes the panel.
    constexpr bool kOpen = true, kClosed = false;
    const Row rows[] = {
        {"auto, released 0.28 s after showing", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.08 Tab up, 0.33 release Option", kOpen, true, true, "program", "Notes"},
        {"auto, released exactly 0.3 s after showing", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.08 Tab up, 0.35 release Option", kClosed, false, false, "Notes", ""},
        {"auto, released before the panel showed", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.05 release Option, 0.06 Tab up", kOpen, true, true, "program", "Notes"},
        {"auto, retained, then chord, Shift-Tab, release", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 1 press Option+Shift, 1.05 Tab, 1.2 release Option+Shift",
         kClosed, false, false, "Safari", ""},
        {"auto, retained, bare Tab steps", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 1 Tab", kOpen, true, true, "program", "Downloads"},
        {"hold, released: nothing", Mode::hold, Button::none, "0 press Option, 0.05 Tab, 0.6 release Option", kOpen,
         false, false, "program", "Notes"},
        {"hold, chord again, Shift-Tab, release: confirm", Mode::hold, Button::none,
         "0 press Option, 0.05 Tab, 0.6 release Option, 1 press Option+Shift, 1.05 Tab, 1.2 release Option+Shift",
         kClosed, false, false, "Safari", ""},
        {"search, chord again, Tab, release: still open", Mode::search, Button::none,
         "0 press Option, 0.05 Tab, 0.6 release Option, 1 press Option, 1.05 Tab, 1.2 release Option", kOpen, false,
         false, "program", "Downloads"},
        {"focus: the release confirms", Mode::focus, Button::none, "0 press Option, 0.05 Tab, 0.1 release Option",
         kClosed, false, false, "Notes", ""},
        {"button4 auto, quick click in one flush: retained", Mode::automatic, Button::button4,
         "0 button 3 down, 0 button 3 up", kOpen, true, true, "program", "Safari"},
        {"button4 auto, quick click, then a click confirms without stepping", Mode::automatic, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", kClosed, false, false, "Safari", ""},
        {"button4 auto, a second down while held does nothing; the late up confirms", Mode::automatic,
         Button::button4, "0 button 3 down, 0.1 button 3 down, 0.5 button 3 up", kClosed, false, false, "Safari", ""},
        {"button4 hold, then a click confirms without stepping", Mode::hold, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", kClosed, false, false, "Safari", ""},
        {"button4 search, each further down steps", Mode::search, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", kOpen, false, false, "program",
         "Notes"},
        {"button4 focus, the up confirms", Mode::focus, Button::button4, "0 button 3 down, 0.1 button 3 up", kClosed,
         false, false, "Safari", ""},
        {"middle click on a retained panel confirms", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 0.5 button 2 down, 0.55 button 2 up", kClosed, false, false,
         "Notes", ""},
        {"middle click on a retained panel confirms with another trigger button", Mode::automatic, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 2 down, 0.55 button 2 up", kClosed, false, false, "Safari",
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        switcher().close(true);
        if (const auto notes = mac_.workspace().process("com.apple.Notes"))
            mac_.workspace().terminate(notes->processIdentifier);
        bringSafariToFront();
        settings_.afterRelease = row.mode;
        settings_.triggerMouseButton = row.button;
        scheduler_.runUntilIdle();  // the engine applies the settings a turn later

        type(row.script);
        scheduler_.advance(2s);  // a confirmed application launches or comes forward
        EXPECT_EQ(switcher().isOpen(), row.open);
        EXPECT_EQ(switcher().autoModePanelRetained, row.retained);
        EXPECT_EQ(armed(), row.tapArmed);
        EXPECT_FALSE(switcher().triggerMouseButtonHeld);
        EXPECT_EQ(frontmost(), row.front);
        EXPECT_EQ(selectedTitle().value_or(""), row.selected);
        // Nothing of the trigger reached the front application.
        for (const auto& delivery : mac_.input().applicationDeliveries()) {
            EXPECT_FALSE(delivery.event.type == EventType::keyDown && delivery.event.keyCode == 48);
            EXPECT_FALSE(delivery.event.type == EventType::otherMouseDown);
        }
    }
}

// Without a recorded showing the release cannot be timed: the auto panel is kept.
TEST_F(TriggerSessionTest, AReleaseBeforeTheShowingWasRecordedKeepsTheAutoPanel) {
    type("0 press Option, 0.05 Tab");
    switcher().panelBecameVisibleUptime = 0;
    type("0.5 release Option");
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_TRUE(switcher().autoModePanelRetained);
}

// A flags change that says released while the chord is in fact held again (it lagged behind a new
// press) does not end the hold.
TEST_F(TriggerSessionTest, AReleaseIsBelievedOnlyWhenTheGlobalStateAgrees) {
    settings_.afterRelease = AfterReleaseMode::focus;
    type("0 press Option, 0.05 Tab");
    ASSERT_TRUE(switcher().isOpen());
    mac_.input().post(InputEvent{.type = EventType::flagsChanged, .flags = 0});  // the world keeps Option
    mac_.input().pressModifiers(kEventFlagOption);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().triggerModifiersEngaged);
    EXPECT_TRUE(switcher().isOpen());
    type("0 release Option");
    EXPECT_FALSE(switcher().isOpen());
    scheduler_.advance(2s);  // the activation's hand-off ends (and releases its display pin)
    EXPECT_EQ(frontmost(), "Notes");
}

TEST_F(TriggerSessionTest, TheWheelStepsTheRetainedPanelButScrollsTheFolderPopoverUnderThePointer) {
    type("0 press Option, 0.05 Tab, 0.15 release Option");
    ASSERT_TRUE(switcher().autoModePanelRetained);
    anchorCells();
    switcher().selectPath(*pathTitled("Downloads"));
    showDownloads({"a.txt", "b.txt", "c.txt"});
    pointAtMiddleOf(folder().popover->windowFrame());
    const auto passedBefore = mac_.input().applicationDeliveries().size();
    type("0 wheel -1");
    EXPECT_EQ(selectedTitle(), "Downloads");
    EXPECT_TRUE(folder().isShown());
    EXPECT_GT(mac_.input().applicationDeliveries().size(), passedBefore);  // the popover's list scrolls

    // Shift-Tab moves the focus in the popover backwards, wrapping.
    switcher().enterFolderFocusFromTop();
    type("0 press Option+Shift, 0.05 Tab, 0.1 release Shift");
    EXPECT_EQ(switcher().folderFocusIndex(), 2);
    EXPECT_EQ(selectedTitle(), "Downloads");

    // Away from the popover the wheel steps, and leaving the folder's cell closes the popover.
    pointAway();
    type("0 wheel 1");
    EXPECT_EQ(selectedTitle(), "Notes");
    EXPECT_FALSE(folder().isShown());

    // A windows list with a focused window: Tab moves that focus; without one, Tab closes it and steps.
    switcher().selectPath(*pathTitled("Safari"));
    showWindows("Safari", {"One", "Two"});
    menu().enterWindowFocusFromTop();
    const auto tick = switcher().uiTick.value();
    type("0 press Option, 0.05 Tab");
    EXPECT_EQ(menu().model.focusedWindowIndex.value(), 1);
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);
    EXPECT_EQ(selectedTitle(), "Safari");
    showWindows("Safari", {"One", "Two"});
    type("0 Tab");
    EXPECT_FALSE(menu().isShown());
    EXPECT_EQ(selectedTitle(), "Notes");
}

// Safari with two windows and a minimised one, front to back.
class HeldLetterTest : public TriggerSessionTest {
  protected:
    HeldLetterTest() : TriggerSessionTest(desktop()) {}
    static sim::Desktop desktop() {
        auto desktop = standardDesktop();
        desktop.windows = {{"com.apple.Safari", "One", Rect{100, 100, 800, 600}},
                           {"com.apple.Safari", "Two", Rect{140, 80, 800, 600}},
                           {"com.apple.Safari", "Three", Rect{180, 60, 800, 600}, true}};
        return desktop;
    }
    // Option held, the panel open on Safari.
    void holdOnSafari() {
        type("0 press Option, 0.05 Tab");
        switcher().selectPath(*pathTitled("Safari"));
    }
    std::int32_t safariPID() { return mac_.workspace().process("com.apple.Safari")->processIdentifier; }
    // Safari's windows front to back: title, then "off" when not on screen and "min" when minimised.
    std::vector<std::string> safariWindows() {
        std::vector<std::string> windows;
        for (const auto& state : mac_.windowWorld().windows()) {
            if (state.window.ownerPID != safariPID()) continue;
            windows.push_back(state.window.name.value_or("?") + (state.onScreen ? "" : " off") +
                              (state.window.ax.minimized ? " min" : ""));
        }
        return windows;
    }
    // The titles in the windows list the menu shows.
    std::vector<std::string> listed() {
        std::vector<std::string> titles;
        for (const auto& window : menu().displayedWindows()) titles.push_back(window.title);
        return titles;
    }
    // The session as the letters must leave it.
    void expectSessionUntouched() {
        EXPECT_TRUE(switcher().isOpen());
        EXPECT_TRUE(switcher().triggerModifiersEngaged);
        EXPECT_FALSE(switcher().modifierReleaseHandled);
        EXPECT_FALSE(switcher().autoModePanelRetained);
    }
};

TEST_F(HeldLetterTest, HHidesTheApplicationOrTheWindowFocusedInTheWindowsList) {
    holdOnSafari();
    type("0 H");
    EXPECT_TRUE(mac_.workspace().process("com.apple.Safari")->isHidden);
    expectSessionUntouched();
    EXPECT_EQ(selectedTitle(), "Safari");
    mac_.workspace().unhide(safariPID());
    scheduler_.runUntilIdle();

    anchorCells();
    switcher().presentDockAnchoredMenu(itemAt(*pathTitled("Safari")), *pathTitled("Safari"),
                                       SwitcherController::ContentMode::windowsOnly, std::nullopt);
    scheduler_.runUntilIdle();
    ASSERT_THAT(listed(), ::testing::ElementsAre("One", "Two", "Three"));
    menu().enterWindowFocusFromTop();
    type("0 H");
    EXPECT_FALSE(mac_.workspace().process("com.apple.Safari")->isHidden);
    EXPECT_THAT(safariWindows(), ::testing::ElementsAre("One off", "Two", "Three off min"));
    EXPECT_THAT(listed(), ::testing::ElementsAre("Two", "Three"));  // refreshed at once
    expectSessionUntouched();
}

TEST_F(HeldLetterTest, WClosesTheFrontWindowAndMMinimisesTheNext) {
    holdOnSafari();
    // Two in front of One: the window server's order decides, not the list's.
    mac_.windowWorld().raise(mac_.windowWorld().applicationWindows(safariPID())[1]);
    type("0 W");
    EXPECT_THAT(safariWindows(), ::testing::ElementsAre("One", "Three off min"));
    expectSessionUntouched();

    type("0 M");
    EXPECT_THAT(safariWindows(), ::testing::ElementsAre("One off min", "Three off min"));
    expectSessionUntouched();
}

TEST_F(HeldLetterTest, TheFrontmostWindowIsTheFirstCandidateOnScreenElseTheFirstCandidate) {
    const auto pid = safariPID();
    const auto keys = mac_.windowWorld().applicationWindows(pid);
    const auto descriptor = [&](std::size_t index, std::string title, WindowState state) {
        return WindowDescriptor{.windowID = WindowID(std::to_string(keys[index])), .title = std::move(title),
                                .state = state};
    };
    const auto one = descriptor(0, "One", WindowState::normal);
    const auto two = descriptor(1, "Two", WindowState::normal);
    const auto three = descriptor(2, "Three", WindowState::minimized);
    const auto front = [&](std::vector<WindowDescriptor> windows, ProcessIDSet processes) -> std::string {
        const auto window = SwitcherController::frontmostWindow(WindowListSnapshot{.windows = std::move(windows)},
                                                                processes, mac_.windowServer());
        return window ? window->title : "none";
    };
    EXPECT_EQ((front({three, two, one}, {pid})), "One");
    // Windows of other processes do not count: the first candidate that is not minimised.
    EXPECT_EQ((front({three, two, one}, {pid + 1})), "Two");
    // Every one minimised (none on screen): the first of them.
    mac_.windowWorld().setMinimized(keys[0], true);
    mac_.windowWorld().setMinimized(keys[1], true);
    auto minimised = [](WindowDescriptor window) {
        window.state = WindowState::minimized;
        return window;
    };
    EXPECT_EQ((front({three, minimised(two), minimised(one)}, {pid})), "Three");
    EXPECT_EQ((front({}, {pid})), "none");
}

TEST_F(HeldLetterTest, QQuitsAndStepsOnAndLettersAfterTheReleaseGoToTheSearch) {
    holdOnSafari();
    const auto pid = safariPID();
    anchorCells();
    showWindows("Safari", {"One"});
    type("0 Q");
    EXPECT_FALSE(menu().isShown());  // the quitting application's list goes with it
    EXPECT_THAT(calls({"RunningApplication.terminate"}),
                ::testing::ElementsAre("RunningApplication.terminate " + std::to_string(pid)));
    EXPECT_EQ(selectedTitle(), "Notes");
    expectSessionUntouched();

    // Not an application: the letter is not taken and types into the search.
    settings_.afterRelease = AfterReleaseMode::hold;
    switcher().selectPath(*pathTitled("Downloads"));
    type("0 W");
    EXPECT_EQ(switcher().filterText.value(), "∑");  // Option-W

    switcher().setFilterText("");
    switcher().selectPath(*pathTitled("Finder"));
    type("0 release Option, 0.1 H");
    EXPECT_FALSE(mac_.workspace().process("com.apple.finder")->isHidden);
    EXPECT_EQ(switcher().filterText.value(), "h");
}

TEST_F(TriggerSessionTest, ReturnConfirmsOnlyWithTheTriggerReleasedAndFirstFocusesAFolderChild) {
    settings_.afterRelease = AfterReleaseMode::hold;
    type("0 press Option, 0.05 Tab, 0.1 Return");
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_EQ(frontmost(), "program");

    // Released, on a folder whose popover shows with nothing focused: the first child gets the focus.
    type("0 release Option");
    anchorCells();
    switcher().selectPath(*pathTitled("Downloads"));
    showDownloads({"a.txt", "b.txt"});
    type("0 Return");
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_EQ(switcher().folderFocusIndex(), 0);

    folder().close(true);
    switcher().selectPath(*pathTitled("Notes"));
    type("0 Enter");
    scheduler_.advance(2s);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(frontmost(), "Notes");
    // No Return or Enter down reached an application (their ups pass, as any key's up but Tab's).
    for (const auto& delivery : mac_.input().applicationDeliveries()) {
        if (delivery.event.type == EventType::keyDown) {
            EXPECT_TRUE(delivery.event.keyCode != 36 && delivery.event.keyCode != 76);
        }
    }
}

TEST_F(HeldLetterTest, ConfirmWithAWindowFocusedInTheListActivatesThatWindow) {
    settings_.afterRelease = AfterReleaseMode::hold;
    holdOnSafari();
    anchorCells();
    switcher().presentDockAnchoredMenu(itemAt(*pathTitled("Safari")), *pathTitled("Safari"),
                                       SwitcherController::ContentMode::windowsOnly, std::nullopt);
    scheduler_.runUntilIdle();
    menu().enterWindowFocusFromTop();
    menu().moveWindowFocus(true);  // Two
    type("0 release Option, 0.1 Return");
    scheduler_.advance(2s);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(frontmost(), "Safari");
    EXPECT_THAT(safariWindows(), ::testing::ElementsAre("Two", "One", "Three off min"));
    EXPECT_FALSE(switcher().hasActivationHandoff());
}

}  // namespace
}  // namespace tavelin
