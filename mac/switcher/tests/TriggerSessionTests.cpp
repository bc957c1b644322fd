// The hold-and-release session end to end: scripted typing on the simulated Mac goes through the event
// tap, the trigger engine and the panel's monitors to the switcher.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "mac/switcher/TriggerEngine.h"
#include "mac/switcher/tests/SwitcherInputWorld.h"
#include "platform/sim/SimInputScript.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

class TriggerSessionTest : public SwitcherInputWorld {
  protected:
    TriggerSessionTest() {
        switcher().performAction = [this](const DockAction& action, bool) {
            const auto& items = dockState_->snapshot()->items;
            const auto item = std::ranges::find(items, action.itemID, &DockItem::itemID);
            confirmed_.push_back(item == items.end() ? "?" : item->title);
        };
        engine_ = TriggerEngine::make(
            settings_, systemKeys_,
            TriggerEngine::Platform{mac_.eventTaps(), mac_.hotKeys(), mac_.input(), mac_.accessibility(),
                                    mac_.workspace().notificationCenter(), mac_.notificationCenter(),
                                    scheduler_.main(), scheduler_.clock(), log_});
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
    std::vector<std::string> takeConfirmed() { return std::exchange(confirmed_, {}); }

    SystemAppSwitcherHotKeys systemKeys_{mac_.symbolicHotKeys(), log_};
    std::shared_ptr<TriggerEngine> engine_;
    std::vector<std::string> confirmed_;
};

// One table of scripted sequences: the after-release mode and the trigger button, what is typed, and
// then the panel, the session's state, the tap's armed flag, what was confirmed and what is selected.
// Safari is in front; a key opens on Notes (after Safari), the mouse button on Safari.
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
        const char* confirmed;  // none when empty
        const char* selected;
    };
    const Row rows[] = {
        {"auto, released 0.1 s after showing", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.08 Tab up, 0.15 release Option", true, true, true, "", "Notes"},
        {"auto, released 0.5 s after showing", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.08 Tab up, 0.55 release Option", true, false, false, "Notes", "Notes"},
        {"auto, released exactly 0.3 s after showing", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.08 Tab up, 0.35 release Option", true, false, false, "Notes", "Notes"},
        {"auto, released before the panel showed", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab down, 0.05 release Option, 0.06 Tab up", true, true, true, "", "Notes"},
        {"auto, retained, then chord, Shift-Tab, release", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 1 press Option+Shift, 1.05 Tab, 1.2 release Option+Shift",
         true, true, true, "Safari", "Safari"},
        {"auto, retained, bare Tab steps", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 1 Tab", true, true, true, "", "Downloads"},
        {"hold, released: nothing", Mode::hold, Button::none,
         "0 press Option, 0.05 Tab, 0.6 release Option", true, false, false, "", "Notes"},
        {"hold, chord again, Tab, release: confirm", Mode::hold, Button::none,
         "0 press Option, 0.05 Tab, 0.6 release Option, 1 press Option, 1.05 Tab, 1.2 release Option", true, false,
         false, "Downloads", "Downloads"},
        {"search, chord again, Tab, release: still open", Mode::search, Button::none,
         "0 press Option, 0.05 Tab, 0.6 release Option, 1 press Option, 1.05 Tab, 1.2 release Option", true, false,
         false, "", "Downloads"},
        {"focus: the release confirms", Mode::focus, Button::none,
         "0 press Option, 0.05 Tab, 0.1 release Option", true, false, false, "Notes", "Notes"},
        {"button4 auto, quick click in one flush: retained", Mode::automatic, Button::button4,
         "0 button 3 down, 0 button 3 up", true, true, true, "", "Safari"},
        {"button4 auto, quick click, then a click confirms without stepping", Mode::automatic, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", true, true, true, "Safari",
         "Safari"},
        {"button4 auto, a second down while held does nothing; the late up confirms", Mode::automatic,
         Button::button4, "0 button 3 down, 0.1 button 3 down, 0.5 button 3 up", true, false, false, "Safari",
         "Safari"},
        {"button4 hold, then a click confirms without stepping", Mode::hold, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", true, false, false, "Safari",
         "Safari"},
        {"button4 search, each further down steps", Mode::search, Button::button4,
         "0 button 3 down, 0.1 button 3 up, 0.5 button 3 down, 0.6 button 3 up", true, false, false, "", "Notes"},
        {"button4 focus, the up confirms", Mode::focus, Button::button4, "0 button 3 down, 0.1 button 3 up", true,
         false, false, "Safari", "Safari"},
        {"middle click on a retained panel confirms", Mode::automatic, Button::none,
         "0 press Option, 0.05 Tab, 0.15 release Option, 0.5 button 2 down, 0.55 button 2 up", true, true, true,
         "Notes", "Notes"},
        {"middle click on a retained panel confirms with another trigger button", Mode::automatic,
         Button::button4, "0 button 3 down, 0.1 button 3 up, 0.5 button 2 down, 0.55 button 2 up", true, true,
         true, "Safari", "Safari"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        switcher().close(true);
        bringSafariToFront();
        settings_.afterRelease = row.mode;
        settings_.triggerMouseButton = row.button;
        scheduler_.runUntilIdle();  // the engine applies the settings a turn later
        takeConfirmed();

        type(row.script);
        // (The confirming action closes the panel once activation is built; here it is only recorded.)
        EXPECT_EQ(switcher().isOpen(), row.open);
        EXPECT_EQ(switcher().autoModePanelRetained, row.retained);
        EXPECT_EQ(armed(), row.tapArmed);
        EXPECT_FALSE(switcher().triggerMouseButtonHeld);
        const auto confirmed = takeConfirmed();
        EXPECT_EQ(confirmed, std::string(row.confirmed).empty() ? std::vector<std::string>{}
                                                                 : std::vector<std::string>{row.confirmed});
        EXPECT_EQ(selectedTitle(), std::optional<std::string>(row.selected));
        // Nothing of the trigger reached the front application.
        for (const auto& delivery : mac_.input().applicationDeliveries()) {
            EXPECT_FALSE(delivery.event.type == EventType::keyDown && delivery.event.keyCode == 48);
            EXPECT_FALSE(delivery.event.type == EventType::otherMouseDown);
        }
    }
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
    EXPECT_TRUE(takeConfirmed().empty());
    type("0 release Option");
    EXPECT_THAT(takeConfirmed(), ::testing::ElementsAre("Notes"));
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
}

}  // namespace
}  // namespace tavelin
