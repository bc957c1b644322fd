#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/tests/SwitcherInputWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kA = 0, kReturn = 36, kSpace = 49, kDelete = 51, kEscape = 53, kF5 = 96;
constexpr std::int64_t kLeft = 123, kRight = 124, kDown = 125, kUp = 126;

class SwitcherInputTest : public SwitcherInputWorld {
  protected:
    std::optional<InputEvent> press(std::int64_t code, std::uint64_t flags = 0) {
        return switcher().handlePanelEvent(key(code, flags));
    }
    void setTrigger(TriggerModifiers modifiers) { settings_.triggerModifiers = modifiers; }
    std::optional<CellPath> selection() { return switcher().navigator.value()->selection(); }
    InputEvent scroll(double deltaY, double deltaX = 0, bool precise = false, std::uint64_t phase = 0,
                      std::uint64_t momentum = 0) {
        return InputEvent{.type = EventType::scrollWheel,
                          .scrollingDeltaX = deltaX,
                          .scrollingDeltaY = deltaY,
                          .hasPreciseScrollingDeltas = precise,
                          .phase = phase,
                          .momentumPhase = momentum};
    }
};

// One table: the key, the trigger and whether it is held, the overlays shown and what is focused in
// them, giving the effect and whether the key passes on.
TEST_F(SwitcherInputTest, TheKeyTable) {
    enum class Overlay { none, folder, folderFocused, windows, windowsFocused };
    enum class Effect {
        nothing,
        overlaysClosed,
        folderFocusEntered,
        folderFocusMoved,
        windowFocusEntered,
        windowFocusMoved,
        selectionMoved,
        windowsListOpened,
        appended
    };
    struct Row {
        std::int64_t code;
        TriggerModifiers trigger;
        bool held;
        Overlay overlay;
        Effect effect;
        bool passes;
    };
    const auto o = TriggerModifiers::option;
    const Row rows[] = {
        {kDown, o, false, Overlay::folder, Effect::overlaysClosed, false},
        {kDown, o, true, Overlay::folder, Effect::nothing, false},
        {kDown, o, false, Overlay::windows, Effect::overlaysClosed, false},
        {kUp, o, false, Overlay::folder, Effect::folderFocusEntered, false},
        {kRight, o, true, Overlay::folderFocused, Effect::folderFocusMoved, false},
        {kRight, o, false, Overlay::folder, Effect::selectionMoved,
         false},  // no child focused: the arrow row
        {kUp, o, false, Overlay::windows, Effect::windowFocusEntered, false},
        {kLeft, o, false, Overlay::windowsFocused, Effect::windowFocusMoved, false},
        {kLeft, o, false, Overlay::windows, Effect::selectionMoved, false},
        {kRight, o, false, Overlay::none, Effect::selectionMoved, false},
        {kDown, o, true, Overlay::none, Effect::selectionMoved, false},
        {kReturn, o, true, Overlay::none, Effect::nothing, false},
        {kSpace, o, true, Overlay::windows, Effect::nothing, false},
        {kSpace, o, false, Overlay::folder, Effect::overlaysClosed, false},
        {kSpace, o, false, Overlay::none, Effect::windowsListOpened, false},
        {kDelete, o, false, Overlay::none, Effect::nothing, false},
        {kF5, o, true, Overlay::none, Effect::nothing, true},
        {kF5, TriggerModifiers::control, true, Overlay::none, Effect::nothing, true},
        {kF5, TriggerModifiers::controlOption, true, Overlay::none, Effect::nothing, true},
        {kF5, TriggerModifiers::command, true, Overlay::none, Effect::nothing, false},
        {kF5, TriggerModifiers::optionCommand, true, Overlay::none, Effect::nothing, false},
        {kF5, o, false, Overlay::none, Effect::nothing, true},
        {kA, o, true, Overlay::none, Effect::appended, false},  // Option-a types å
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "key " << row.code << " trigger " << toString(row.trigger) << " held " << row.held
                     << " overlay " << static_cast<int>(row.overlay));
        switcher().close(true);
        mac_.input().releaseModifiers(kEventFlagOption | kEventFlagCommand | kEventFlagControl);
        setTrigger(row.trigger);
        scheduler_.runUntilIdle();
        openAnchored();
        pointAway();
        switcher().selectPath(*pathTitled("Safari"));
        if (row.overlay == Overlay::folder || row.overlay == Overlay::folderFocused)
            showDownloads({"a.txt", "b.txt"});
        if (row.overlay == Overlay::folderFocused) switcher().enterFolderFocusFromTop();
        if (row.overlay == Overlay::windows || row.overlay == Overlay::windowsFocused)
            showWindows("Safari", {"One", "Two"});
        if (row.overlay == Overlay::windowsFocused) menu().enterWindowFocusFromTop();
        if (row.held) hold(triggerModifierMasks(row.trigger).eventFlags);

        const auto selected = selection();
        const auto folderFocus = switcher().folderFocusIndex();
        const auto windowFocus = menu().model.focusedWindowIndex.value();
        const bool folderShown = folder().isShown(), windowsShown = menu().showsWindowsList();

        const auto passed = press(row.code);
        EXPECT_EQ(passed.has_value(), row.passes);
        const bool closed =
            (folderShown && !folder().isShown()) || (windowsShown && !menu().showsWindowsList());
        EXPECT_EQ(closed, row.effect == Effect::overlaysClosed);
        // (A search rebuilds the presentation and places the selection anew.)
        if (row.effect != Effect::appended) {
            EXPECT_EQ(selected != selection(), row.effect == Effect::selectionMoved);
        }
        EXPECT_EQ(!folderFocus && switcher().folderFocusIndex(), row.effect == Effect::folderFocusEntered);
        EXPECT_EQ(folderFocus && switcher().folderFocusIndex() != folderFocus,
                  row.effect == Effect::folderFocusMoved);
        const auto newWindowFocus = menu().model.focusedWindowIndex.value();
        EXPECT_EQ(windowFocus < 0 && newWindowFocus >= 0, row.effect == Effect::windowFocusEntered);
        EXPECT_EQ(windowFocus >= 0 && newWindowFocus != windowFocus, row.effect == Effect::windowFocusMoved);
        EXPECT_EQ(!windowsShown && menu().showsWindowsList(), row.effect == Effect::windowsListOpened);
        EXPECT_EQ(!switcher().filterText.value().empty(), row.effect == Effect::appended);
        EXPECT_EQ(switcher().overlayOpenedFromKeyboard, row.effect == Effect::windowsListOpened);
    }
}

TEST_F(SwitcherInputTest, EscapeClosesAndOnTheFieldRouteTheTriggersModifiersLeaveTheKey) {
    openAnchored();
    mac_.textInput().selectInputSource(sim::SimTextInput::japaneseInputMode());
    hold(kEventFlagOption | kEventFlagShift);
    const auto passed = press(kA, kEventFlagOption | kEventFlagShift);
    ASSERT_TRUE(passed);
    EXPECT_EQ(passed->flags, kEventFlagShift);
    EXPECT_EQ(passed->characters, "A");
    // Without its low-level record the event cannot be changed and passes as it came.
    InputEvent bare{.type = EventType::keyDown, .flags = kEventFlagOption, .keyCode = kA};
    EXPECT_EQ(switcher().handlePanelEvent(bare)->flags, kEventFlagOption);

    EXPECT_FALSE(press(kEscape));
    EXPECT_FALSE(switcher().isOpen());
    // With no panel every event passes untouched.
    EXPECT_TRUE(press(kDown));
}

TEST_F(SwitcherInputTest, DeleteOnAnEmptyFolderSearchStepsTheFolderBack) {
    openAnchored();
    showDownloads({"a.txt"});
    pointAway();  // the main search is empty too, but the folder is not under the pointer
    EXPECT_FALSE(press(kDelete));
    EXPECT_TRUE(folder().isShown());
    pointAtMiddleOf(folder().popover->windowFrame());
    switcher().appendSearchText("a");
    EXPECT_FALSE(press(kDelete));
    EXPECT_TRUE(folder().isShown());
    EXPECT_FALSE(press(kDelete));
    EXPECT_FALSE(folder().isShown());
}

TEST_F(SwitcherInputTest, NotchesNeedTheirSpacingASwipeStepsOnceAndSmallOrMomentumDeltasDoNotStep) {
    openAnchored();
    auto& sw = switcher();
    scheduler_.advance(1s);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-1)), true);
    scheduler_.advance(50ms);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-1)), std::nullopt);
    scheduler_.advance(80ms);
    EXPECT_EQ(sw.wheelStepDirection(scroll(1)), false);
    scheduler_.advance(80ms);
    EXPECT_EQ(sw.wheelStepDirection(scroll(0, -0.5)), true);  // horizontal when the vertical is 0
    scheduler_.advance(80ms);
    EXPECT_EQ(sw.wheelStepDirection(scroll(0.05, -3)), std::nullopt);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-3, 0, true, 0, kScrollPhaseChanged)), std::nullopt);

    // A gesture often begins with a zero delta; its first moving event still takes the one step.
    EXPECT_EQ(sw.wheelStepDirection(scroll(0, 0, true, kScrollPhaseBegan)), std::nullopt);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-4, 0, true, kScrollPhaseChanged)), true);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-9, 0, true, kScrollPhaseChanged)), std::nullopt);
    EXPECT_EQ(sw.wheelStepDirection(scroll(0, 0, true, kScrollPhaseEnded)), std::nullopt);
    EXPECT_EQ(sw.wheelStepDirection(scroll(3, 0, true, kScrollPhaseBegan)), false);
    EXPECT_EQ(sw.wheelStepDirection(scroll(0, 0, true, kScrollPhaseCancelled)), std::nullopt);
    EXPECT_EQ(sw.wheelStepDirection(scroll(-2, 0, true, 0)), std::nullopt);  // no phase
    EXPECT_FALSE(sw.wheelConsumedThisGesture);
}

TEST_F(SwitcherInputTest, APinchScalesTheIconsWithinTheirBoundsAndTheSizeIsKept) {
    openAnchored();
    hold(0);
    mac_.input().magnify(0.25);
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().panelIconSize.value(), 90);
    switcher().applyMagnification(60.5 / 90 - 1);  // a half rounds away from zero
    EXPECT_EQ(switcher().panelIconSize.value(), 61);
    switcher().applyMagnification(47.4 / 61 - 1);
    EXPECT_EQ(switcher().panelIconSize.value(), 48);
    switcher().applyMagnification(112.6 / 48 - 1);
    EXPECT_EQ(switcher().panelIconSize.value(), 112);
    EXPECT_EQ(mac_.standardUserDefaults().doubleForKey(SwitcherController::kPanelIconSizeKey), 112);
    // The pinch never reaches the application.
    EXPECT_TRUE(std::ranges::none_of(mac_.input().applicationDeliveries(), [](const auto& delivery) {
        return delivery.event.type == EventType::magnify;
    }));
}

TEST_F(SwitcherInputTest, AClickElsewhereClosesTheMenuFirstThenThePanelATurnLater) {
    openAnchored();
    showWindows("Safari", {"One"});
    mac_.input().setWindowOwnerAt([](Point) { return std::optional<std::string>("com.apple.Safari"); });
    InputEvent press{.type = EventType::leftMouseDown};
    // A click in a window's action menu is the menu's.
    menu().model.windowActionMenuPointerInside = true;
    mac_.input().post(press);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(menu().isShown());
    menu().model.windowActionMenuPointerInside = false;
    mac_.input().post(press);  // to Safari, the frontmost application
    scheduler_.runUntilIdle();
    EXPECT_FALSE(menu().isShown());
    EXPECT_TRUE(switcher().isOpen());
    mac_.input().post(press);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());

    // The trigger's own button never closes it.
    settings_.triggerMouseButton = TriggerMouseButton::middle;
    openAnchored();
    mac_.input().post(InputEvent{.type = EventType::otherMouseDown, .buttonNumber = 2});
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().isOpen());
    // Nor does the middle button while an auto panel is kept: that button confirms it.
    settings_.triggerMouseButton = TriggerMouseButton::none;
    switcher().autoModePanelRetained = true;
    mac_.input().post(InputEvent{.type = EventType::otherMouseDown, .buttonNumber = 2});
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().isOpen());
}

TEST_F(SwitcherInputTest, AnEmptyAreaClickDismissesTheFolderAndARightClickOnACellOpensItsMenu) {
    openAnchored();
    const auto panel = panelFrame();
    showDownloads({"a.txt"});
    const auto cell = switcher().cellAnchors().at(*pathTitled("Notes"));
    const auto onCell = Point{panel.x + cell.x + 10, panel.maxY() - cell.y - 10};
    pointAt(onCell);
    mac_.input().mouseDown(0);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(folder().isShown());
    pointAt(Point{panel.x + 5, panel.maxY() - 5});
    mac_.input().mouseDown(0);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(folder().isShown());
    EXPECT_EQ(mac_.input().applicationDeliveries().back().event.type, EventType::leftMouseDown);  // passed on

    pointAt(onCell);
    mac_.input().mouseDown(1);
    scheduler_.runUntilIdle();
    EXPECT_EQ(selection(), pathTitled("Notes"));
    EXPECT_TRUE(menu().isShown());
    EXPECT_EQ(menu().model.contentMode.value(), SwitcherController::ContentMode::contextOnly);
    EXPECT_NE(mac_.input().applicationDeliveries().back().event.type, EventType::rightMouseDown);  // consumed
}

TEST_F(SwitcherInputTest, TheMonitorsLiveExactlyWhileThePanelIsOpen) {
    openAnchored();
    EXPECT_EQ(mac_.input().monitors(),
              (std::vector<sim::SimInputStream::MonitorState>{
                  {true, 0x1C00}, {false, 0x200002A}, {true, 0x40000000}, {true, 0xA}, {true, 0x2400022}}));
    switcher().close(true);
    EXPECT_TRUE(mac_.input().monitors().empty());
    EXPECT_FALSE(switcher().searchField());
}

// The wheel over the panel, without the trigger's tap: the panel's own monitor steps.
TEST_F(SwitcherInputTest, WheelNotchesOverThePanelStepByTheirSpacingAndASwipeStepsOnce) {
    openAnchored();
    switcher().selectPath(*pathTitled("Finder"));
    pointAtMiddleOf(panelFrame());
    scheduler_.advance(1s);  // notches are spaced from the last one, counted from uptime 0
    const auto notches = [&](std::initializer_list<Duration> stamps) {
        for (const auto stamp : stamps) mac_.input().scrollWheel(-1, -1, stamp);
        scheduler_.advance(200ms);
    };
    notches({0ms, 50ms});
    EXPECT_EQ(selection(), pathTitled("Safari"));
    notches({0ms, 80ms});
    EXPECT_EQ(selection(), pathTitled("Downloads"));  // Notes, then the folder
    // A notch that steps is consumed; the one too soon passes on.
    EXPECT_EQ(std::ranges::count_if(mac_.input().applicationDeliveries(),
                                    [](const auto& delivery) { return delivery.event.type == EventType::scrollWheel; }),
              1);

    for (int event = 0; event < 5; ++event)
        mac_.input().swipe(3, 0, event == 0 ? kScrollPhaseBegan : kScrollPhaseChanged);
    mac_.input().swipe(0, 0, kScrollPhaseEnded);
    scheduler_.runUntilIdle();
    EXPECT_EQ(selection(), pathTitled("Notes"));
    mac_.input().swipe(4, 0, kScrollPhaseBegan);
    scheduler_.runUntilIdle();
    EXPECT_EQ(selection(), pathTitled("Safari"));
}

TEST_F(SwitcherInputTest, TheMiddleButtonOnThePanelConfirmsARetainedPanelElseActivatesTheFocusedWindow) {
    openAnchored();
    pointAtMiddleOf(panelFrame());
    switcher().selectPath(*pathTitled("Safari"));
    mac_.input().mouseDown(2);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().isOpen());  // passed on: neither retained nor a windows list
    EXPECT_EQ(mac_.input().applicationDeliveries().back().event.type, EventType::otherMouseDown);

    std::vector<std::string> activated;
    menu().activateWindow = notingActivations(activated);
    showWindows("Safari", {"One", "Two"});
    menu().enterWindowFocusFromTop();
    pointAtMiddleOf(panelFrame());
    const auto deliveries = mac_.input().applicationDeliveries().size();
    mac_.input().mouseDown(2);
    scheduler_.runUntilIdle();
    EXPECT_THAT(activated, ::testing::ElementsAre("Safari One"));
    EXPECT_EQ(mac_.input().applicationDeliveries().size(), deliveries);  // consumed

    switcher().autoModePanelRetained = true;
    switcher().selectPath(*pathTitled("Notes"));
    mac_.input().mouseDown(2);
    scheduler_.advance(2s);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(mac_.workspace().frontmostApplication()->bundleIdentifier, "com.apple.Notes");
}

}  // namespace
}  // namespace tavelin
