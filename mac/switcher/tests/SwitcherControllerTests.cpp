#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/tests/SwitcherWorld.h"
#include "platform/Workspace.h"

#include <fstream>

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class SwitcherControllerTest : public SwitcherWorld {
  protected:
    std::string selectedTitle() {
        const auto item = switcher().selectedDockItem();
        return item ? item->title : "";
    }
    std::optional<ui::Image> trashIcon() {
        for (const auto& entry : DockMainGrid::cells(switcher().navigator.value()->presentation())) {
            if (const auto* item = entry.cell.asItem(); item && item->kind == DockItemKind::trash)
                return switcher().iconImage(entry.cell);
        }
        return std::nullopt;
    }
};

TEST_F(SwitcherControllerTest, OpeningNotesTheFrontmostApplicationThenBuildsAndShowsThePanel) {
    std::vector<std::string> seen;
    switcher().onPanelOpenChanged = [&](bool open) {
        seen.push_back(open ? "open" : "closed");
        seen.push_back(mac_.appWindows().panels().back().visible ? "visible" : "hidden");
        seen.push_back(std::to_string(calls({"Application.activate"}).size()));
    };
    mac_.calls().clear();
    switcher().openPanel(true);

    const auto trace = calls({"Panel.", "Application.activate"});
    ASSERT_THAT(trace, SizeIs(15));
    EXPECT_EQ(trace[0], "Panel.make 720x480 style=0xA080");
    EXPECT_THAT(std::vector(trace.begin() + 1, trace.begin() + 9),
                ElementsAre("Panel.setFloatingPanel on", "Panel.setLevel 101", "Panel.setCollectionBehavior 0x101",
                            "Panel.setMovableByWindowBackground off", "Panel.setBackgroundColor clear",
                            "Panel.setContentView container unclipped", "Panel.setBecomesKeyOnlyIfNeeded off",
                            "Panel.setAppearance none"));
    EXPECT_TRUE(trace[9].starts_with("Panel.setContentSize "));
    EXPECT_TRUE(trace[10].starts_with("Panel.setFrameOrigin "));
    EXPECT_THAT(std::vector(trace.begin() + 11, trace.end()),
                ElementsAre("Panel.setDelegate", "Panel.makeKeyAndOrderFront", "Panel.makeFirstResponder",
                            "Application.activate ignoringOtherApps"));
    // Told last, with the panel up and the application activated.
    EXPECT_THAT(seen, ElementsAre("open", "visible", "1"));

    const auto& panel = lastPanel();
    EXPECT_EQ(panel.configuration.contentRect, (Rect{0, 0, 720, 480}));
    EXPECT_TRUE(panel.floating);
    EXPECT_FALSE(panel.movableByWindowBackground);
    EXPECT_TRUE(panel.backgroundClear);
    EXPECT_FALSE(panel.contentClips);
    EXPECT_NE(panel.delegate, nullptr);
    EXPECT_TRUE(switcher().panel()->window().isKeyWindow());
    // Safari was in front before the panel activated the program: the selection is the cell after it.
    EXPECT_EQ(selectedTitle(), "Notes");
    EXPECT_DOUBLE_EQ(switcher().panelBecameVisibleUptime, std::chrono::duration<double>(scheduler_.clock().uptime()).count());
}

TEST_F(SwitcherControllerTest, ThePanelIsCentredUnroundedInTheTargetScreensVisibleFrame) {
    mac_.displays().setScreens({sim::DesktopScreen{.name = "Odd", .frame = Rect{0, 0, 1441, 901}, .number = 7,
                                                   .visibleFrame = Rect{0, 0, 1441, 876}}});
    scheduler_.runUntilIdle();
    switcher().openPanel(false);
    const Rect frame = panelFrame();
    // Finder, Safari, Notes, Downloads and the Trash in one row of 72-point icons; the line between the
    // applications and the others takes no column.
    EXPECT_DOUBLE_EQ(frame.width, 5 * 84 + 32);
    EXPECT_DOUBLE_EQ(frame.x + frame.width / 2, 720.5);
    EXPECT_DOUBLE_EQ(frame.y + frame.height / 2, 438);
    EXPECT_EQ(switcher().lastFollowedScreenID(), ScreenID("7"));
    EXPECT_EQ(selectedTitle(), "Safari");
}

TEST_F(SwitcherControllerTest, OpeningWhileOpenChangesNothing) {
    switcher().openPanel(true);
    const auto selection = switcher().navigator.value()->selection();
    mac_.calls().clear();
    switcher().openPanel(false);
    EXPECT_THAT(calls({"Panel.", "Workspace.frontmostApplication"}), IsEmpty());
    EXPECT_EQ(switcher().navigator.value()->selection(), selection);
    EXPECT_THAT(mac_.appWindows().panels(), SizeIs(1));
}

class EmptySnapshotWorld : public SwitcherWorld {
  protected:
    EmptySnapshotWorld() : SwitcherWorld([] {
        auto desktop = standardDesktop();
        desktop.dock.reset();
        return desktop;
    }()) {}
};

TEST_F(EmptySnapshotWorld, ThePanelOpensOverAnEmptySnapshotStampedWithTheSortSetting) {
    ASSERT_FALSE(dockState_->snapshot());
    settings_.runningAppsSort = RunningAppsSort::name;
    switcher().openPanel(true);
    const auto& snapshot = switcher().navigator.value()->snapshot();
    EXPECT_EQ(snapshot.dockGeneration, 0);
    EXPECT_THAT(snapshot.items, IsEmpty());
    EXPECT_EQ(snapshot.runningSort, RunningAppsSort::name);
    EXPECT_EQ(snapshot.generatedAt, scheduler_.clock().now());
    EXPECT_FALSE(switcher().navigator.value()->selection());
}

TEST_F(SwitcherControllerTest, ClosingRunsItsStepsInOrderAndNeverReusesThePanel) {
    std::vector<std::string> seen;
    switcher().onPanelOpenChanged = [&](bool open) {
        if (!open) seen.push_back("open false, delegate " + std::string(lastPanel().delegate ? "set" : "none"));
    };
    switcher().onTriggerSessionArmedChanged = [&](bool armed) { seen.push_back(armed ? "armed" : "armed false"); };
    switcher().openPanel(true);
    switcher().setFilterText("saf");
    auto textSubscription = switcher().filterText.publisher().dropFirst().sink([&](const std::string& text) {
        seen.push_back("filterText '" + text + "', navigator " + (switcher().navigator.value() ? "set" : "none"));
    });
    mac_.calls().clear();
    switcher().close(true);

    EXPECT_THAT(seen, ElementsAre("open false, delegate set", "armed false", "filterText '', navigator set"));
    EXPECT_THAT(calls({"Panel."}), ElementsAre("Panel.setDelegate none", "Panel.setContentView empty",
                                               "Panel.orderOut"));
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_FALSE(switcher().navigator.value());
    EXPECT_EQ(switcher().panelBecameVisibleUptime, 0);
    EXPECT_TRUE(lastPanel().released);

    // Closed: closing again calls nothing; opening again builds a new panel.
    seen.clear();
    switcher().close(true);
    EXPECT_THAT(seen, IsEmpty());
    switcher().openPanel(true);
    EXPECT_THAT(mac_.appWindows().panels(), SizeIs(2));
}

TEST_F(SwitcherControllerTest, ASnapshotWithTheSameCellsRefreshesWithoutRefitting) {
    switcher().openPanel(true);
    const auto tick = switcher().uiTick.value();
    mac_.calls().clear();
    rebuildDock();
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);
    EXPECT_THAT(calls({"Panel."}), IsEmpty());
}

TEST_F(SwitcherControllerTest, ASnapshotWithAnotherCellRefitsAndRecentres) {
    switcher().openPanel(true);
    const Rect before = panelFrame();
    mac_.workspace().launch("com.apple.TextEdit");
    rebuildDock();
    ASSERT_TRUE(pathTitled("TextEdit"));
    const Rect after = panelFrame();
    EXPECT_GT(after.width, before.width);
    EXPECT_DOUBLE_EQ(after.x + after.width / 2, 720);
    EXPECT_DOUBLE_EQ(after.y + after.height / 2, 437.5);
}

TEST_F(SwitcherControllerTest, TheSnapshotSubscriptionSkipsTheCurrentValueAndFollowsNothingWhileClosed) {
    switcher();
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().uiTick.value(), 0);
    rebuildDock();
    EXPECT_EQ(switcher().uiTick.value(), 0);
}

TEST_F(SwitcherControllerTest, IdleForThirtySecondsClosesWithOneLogLine) {
    switcher().openPanel(true);
    scheduler_.advance(29999ms);
    EXPECT_TRUE(switcher().isOpen());
    scheduler_.advance(1ms);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_THAT(actionLog_.lines(), ElementsAre("switcher idleTimer close 30s"));
}

// Each restart moves the close 30 s on: someone typing a long search or stepping with the wheel keeps
// the panel.
TEST_F(SwitcherControllerTest, AKeyAWheelStepAndAHoverEachRestartTheIdleTimer) {
    switcher().openPanel(true);
    scheduler_.advance(20s);
    switcher().handlePanelEvent(InputEvent{.type = EventType::keyDown, .keyCode = 0});
    scheduler_.advance(20s);
    switcher().applyWheelStep(true);
    scheduler_.advance(20s);
    switcher().hoverCell(CellPath{0, 0}, DockPresentation::Cell::spacer(SeparatorKind::spacer));
    scheduler_.advance(29999ms);
    EXPECT_TRUE(switcher().isOpen());
    scheduler_.advance(1ms);
    EXPECT_FALSE(switcher().isOpen());
    // A panel closed otherwise leaves no idle line behind.
    switcher().openPanel(true);
    switcher().close(true);
    scheduler_.advance(60s);
    EXPECT_THAT(actionLog_.lines(), SizeIs(1));
}

TEST_F(SwitcherControllerTest, AnotherOfOurWindowsBecomingKeyClosesThePanelATurnLater) {
    switcher().openPanel(true);
    auto settingsWindow = mac_.appWindows().makeWindow(AppWindowConfiguration{.title = "Settings"});
    settingsWindow->makeKeyAndOrderFront();
    EXPECT_TRUE(switcher().isOpen());
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
}

TEST_F(SwitcherControllerTest, APopoverOfThePanelTakingTheKeyboardKeepsItOpen) {
    switcher().openPanel(true);
    auto popover = mac_.appWindows().makePopover();
    popover->show(Rect{100, 100, 10, 10}, switcher().panel()->window());
    ASSERT_TRUE(mac_.appWindows().makeKey(popover->windowNumber()));
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().isOpen());
}

TEST_F(SwitcherControllerTest, AShownOverlayKeepsThePanelOpenWhenItResignsKey) {
    switcher().openPanel(true);
    const auto path = pathTitled("Safari");
    ASSERT_TRUE(path);
    switcher().cellAnchorsChanged({{*path, Rect{16, 12, 84, 100}}});
    switcher().presentDockAnchoredMenu(itemAt(*path), *path,
                                       SwitcherController::ContentMode::contextOnly, std::nullopt);
    mac_.appWindows().resignKeyWindow();
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher().isOpen());
    switcher().dockAnchoredMenu().close();
    mac_.appWindows().makeKey(switcher().panel()->window().windowNumber());
    mac_.appWindows().resignKeyWindow();
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
}

TEST_F(SwitcherControllerTest, AnotherApplicationActivatingClosesThePanelOurOwnDoesNot) {
    switcher().openPanel(true);
    scheduler_.runUntilIdle();  // our own activation at opening is delivered
    EXPECT_TRUE(switcher().isOpen());
    mac_.workspace().activate(mac_.workspace().process(std::string_view("com.apple.finder"))->processIdentifier);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
}

TEST_F(SwitcherControllerTest, ADisplayChangeASpaceChangeOrSleepClosesThePanel) {
    const std::vector<std::function<void()>> causes = {
        [&] { mac_.displays().setFrame(0, Rect{0, 0, 1280, 800}); },
        [&] { mac_.workspace().activeSpaceDidChange(); },
        [&] { mac_.workspace().willSleep(); },
    };
    for (const auto& cause : causes) {
        switcher().openPanel(true);
        scheduler_.runUntilIdle();
        cause();
        scheduler_.runUntilIdle();
        EXPECT_FALSE(switcher().isOpen());
    }
    // Closed, the observers are gone: a later change finds nothing to close.
    switcher().openPanel(true);
    switcher().close(true);
    mac_.workspace().willSleep();
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
}

TEST_F(SwitcherControllerTest, ASavedIconSizeIsTakenOnlyWithinItsBounds) {
    const std::vector<std::pair<double, double>> cases = {{47.9, 72}, {112.1, 72}, {48, 48}, {112, 112}, {90, 90}};
    for (const auto& [saved, expected] : cases) {
        mac_.standardUserDefaults().set(SwitcherController::kPanelIconSizeKey, saved);
        switcher_.reset();
        EXPECT_DOUBLE_EQ(switcher().panelIconSize.value(), expected) << saved;
    }
}

TEST_F(SwitcherControllerTest, TheThemeSetsThePanelsAppearance) {
    settings_.theme = ThemeSetting::dark;
    switcher().openPanel(true);
    EXPECT_EQ(lastPanel().appearance, Appearance::darkAqua);
    switcher().close(true);
    settings_.theme = ThemeSetting::light;
    switcher().openPanel(true);
    EXPECT_EQ(lastPanel().appearance, Appearance::aqua);
}

class ThreeScreens : public SwitcherWorld {
  protected:
    ThreeScreens() : SwitcherWorld([] {
        auto desktop = standardDesktop();
        desktop.screens = {
            {.name = "Left", .frame = Rect{0, 0, 1440, 900}, .number = 1, .visibleFrame = Rect{0, 0, 1440, 875}},
            {.name = "Middle", .frame = Rect{1440, 0, 1920, 1080}, .number = 2,
             .visibleFrame = Rect{1440, 0, 1920, 1055}},
            {.name = "Top", .frame = Rect{0, 900, 1440, 900}, .number = 3, .visibleFrame = Rect{0, 900, 1440, 875}}};
        desktop.windows = {{.application = "com.apple.Safari", .title = "News", .frame = Rect{1600, 200, 800, 600}},
                           {.application = "com.apple.finder", .title = "Home", .frame = Rect{100, 1000, 600, 400}}};
        return desktop;
    }()) {}

    std::optional<std::string> screenUnderMouseAt(Point point) {
        mac_.displays().setMouseLocation(point);
        const auto screen = switcher().screenUnderMouse();
        return screen ? std::optional(screen->localizedName) : std::nullopt;
    }
};

TEST_F(ThreeScreens, ThePointerBelongsToOneScreenOnTheirSharedEdges) {
    EXPECT_EQ(screenUnderMouseAt({1440, 500}), "Middle");  // the left edge belongs to the screen
    EXPECT_EQ(screenUnderMouseAt({1439.5, 500}), "Left");
    EXPECT_EQ(screenUnderMouseAt({100, 900}), "Left");     // the top edge belongs to the lower screen
    EXPECT_EQ(screenUnderMouseAt({100, 1800}), "Top");     // and the top screen's top edge to it
    EXPECT_EQ(screenUnderMouseAt({100, 0}), std::nullopt);  // the bottom edge does not
    EXPECT_EQ(screenUnderMouseAt({5000, 5000}), std::nullopt);
}

TEST_F(ThreeScreens, TheTargetScreenFollowsTheSetting) {
    mac_.displays().setMouseLocation({2000, 500});
    EXPECT_EQ(switcher().targetScreen()->localizedName, "Middle");
    mac_.displays().setMouseLocation({5000, 5000});
    EXPECT_EQ(switcher().targetScreen(), mac_.displays().mainScreen());
}

// The main screen is the key window's: the frontmost application's front window, then the panel itself.
TEST_F(ThreeScreens, TheActiveApplicationsScreenFollowsTheFrontmostApplication) {
    settings_.targetScreen = TargetScreenSetting::activeAppScreen;
    mac_.displays().setMouseLocation({100, 100});
    EXPECT_EQ(switcher().targetScreen()->localizedName, "Middle");  // Safari's window
    switcher().openPanel(true);
    scheduler_.runUntilIdle();
    const Rect frame = panelFrame();
    EXPECT_DOUBLE_EQ(frame.x + frame.width / 2, 1440 + 960);
    // The program is in front now, its panel key: the panel stays where it is on a refit.
    EXPECT_EQ(switcher().targetScreen()->localizedName, "Middle");
    switcher().close(true);

    mac_.workspace().activate(mac_.workspace().process(std::string_view("com.apple.finder"))->processIdentifier);
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().targetScreen()->localizedName, "Top");
}

TEST_F(ThreeScreens, MainScreenSettingOpensOnTheFirstScreenWhateverThePointer) {
    settings_.targetScreen = TargetScreenSetting::mainScreen;
    mac_.displays().setMouseLocation({2000, 500});
    switcher().openPanel(true);
    const Rect frame = panelFrame();
    EXPECT_DOUBLE_EQ(frame.x + frame.width / 2, 720);
    EXPECT_EQ(switcher().lastFollowedScreenID(), ScreenID("1"));
    // Following the pointer is for the pointer's screen setting only.
    switcher().followPanelToMouseScreenIfNeeded();
    EXPECT_EQ(panelFrame(), frame);
}

TEST_F(ThreeScreens, ThePanelFollowsThePointerOnlyAcrossScreens) {
    mac_.displays().setMouseLocation({700, 400});
    switcher().openPanel(true);
    const Rect opened = panelFrame();
    mac_.calls().clear();
    mac_.displays().setMouseLocation({100, 100});
    switcher().followPanelToMouseScreenIfNeeded();
    EXPECT_THAT(calls({"Panel."}), IsEmpty());

    mac_.displays().setMouseLocation({3000, 100});
    switcher().followPanelToMouseScreenIfNeeded();
    const Rect moved = panelFrame();
    EXPECT_EQ(switcher().lastFollowedScreenID(), ScreenID("2"));
    EXPECT_DOUBLE_EQ(moved.x + moved.width / 2, 1440 + 960);
    EXPECT_DOUBLE_EQ(moved.y + moved.height / 2, 527.5);
    EXPECT_NE(moved, opened);

    // Off every screen the panel stays.
    mac_.calls().clear();
    mac_.displays().setMouseLocation({9000, 100});
    switcher().followPanelToMouseScreenIfNeeded();
    EXPECT_THAT(calls({"Panel."}), IsEmpty());
}

// Notes named in 100 characters: its label, 100 × 6.6 + 48 = 708 points, is wider than the grid.
class LongNamedNotes : public SwitcherWorld {
  protected:
    LongNamedNotes()
        : SwitcherWorld([] {
              auto desktop = standardDesktop();
              desktop.applications[2].name = "Notes" + std::string(95, '.');
              return desktop;
          }()) {}
};

TEST_F(LongNamedNotes, ALongSelectedNameWidensThePanelOnlyWithoutASearchText) {
    switcher().openPanel(true);  // Notes selected
    const auto& presentation = switcher().navigator.value()->presentation();
    EXPECT_EQ(SwitcherController::title(*switcher().navigator.value()->selection(), presentation)->size(),
              100u);
    EXPECT_EQ(SwitcherController::title(CellPath{0, 99}, presentation), std::nullopt);
    EXPECT_DOUBLE_EQ(switcher().panelLabelMaxWidth.value(), 708);
    EXPECT_DOUBLE_EQ(panelFrame().width, 708 + 32);

    switcher().setFilterText("notes");
    switcher().fitPanelToContent();
    EXPECT_DOUBLE_EQ(switcher().panelLabelMaxWidth.value(), switcher().panelGridInnerWidth.value());
    EXPECT_DOUBLE_EQ(panelFrame().width, switcher().panelGridInnerWidth.value() + 32);
}

TEST_F(SwitcherControllerTest, TheLockedPanelRefusesEveryOtherFirstResponder) {
    switcher().openPanel(true);
    auto& panel = *switcher().panel();
    auto field = std::make_shared<Responder>();
    Responder other;
    ASSERT_TRUE(panel.makeFirstResponderUnlocked(field.get()));
    panel.searchInput = field;
    panel.locksSearchInput = true;
    EXPECT_FALSE(panel.makeFirstResponder(&other));
    EXPECT_FALSE(panel.makeFirstResponder(nullptr));
    EXPECT_EQ(panel.window().firstResponder(), field.get());
    EXPECT_TRUE(panel.makeFirstResponder(field.get()));
    // The host view never takes the keyboard, lock or not.
    panel.locksSearchInput = false;
    EXPECT_FALSE(panel.makeFirstResponder(switcher().panelHost().get()));
    // Closing drops the lock and the input.
    switcher().close(true);
    EXPECT_THAT(mac_.appWindows().panels(), SizeIs(1));
}

TEST_F(SwitcherControllerTest, SelectionHelpersReadTheNavigatorsPresentation) {
    EXPECT_FALSE(switcher().selectedDockItem());
    switcher().openPanel(false);
    const auto safari = pathTitled("Safari");
    ASSERT_TRUE(safari);
    EXPECT_EQ(switcher().pathFor(itemAt(*safari).itemID), safari);
    EXPECT_EQ(switcher().selectedDockItem()->title, "Safari");
    EXPECT_EQ(switcher().cell(*safari)->asItem()->title, "Safari");
    EXPECT_FALSE(switcher().cell(CellPath{-1, 0}));
    EXPECT_FALSE(switcher().cell(CellPath{0, -1}));
    EXPECT_FALSE(switcher().cell(CellPath{99, 0}));
    EXPECT_FALSE(switcher().pathFor(ItemID("nothing")));

    const auto notes = pathTitled("Notes");
    ASSERT_TRUE(notes);
    const auto tick = switcher().uiTick.value();
    switcher().selectPath(*notes);
    EXPECT_EQ(switcher().selectedDockItem()->title, "Notes");
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);
}

// Cells of 84 by 100 in rows of three, the second row holding one cell.
TEST_F(SwitcherControllerTest, APointBesideAShortLastRowHitsNoCell) {
    switcher().cellAnchorsChanged({{CellPath{0, 0}, Rect{16, 12, 84, 100}},
                                   {CellPath{0, 1}, Rect{100, 12, 84, 100}},
                                   {CellPath{0, 2}, Rect{184, 12, 84, 100}},
                                   {CellPath{0, 3}, Rect{16, 124, 84, 100}}});
    EXPECT_EQ(switcher().cellPath(Point{150, 150}), std::nullopt);
    EXPECT_EQ(switcher().cellPath(Point{150, 50}), (CellPath{0, 1}));
    EXPECT_EQ(switcher().cellPath(Point{20, 200}), (CellPath{0, 3}));
}

TEST_F(SwitcherControllerTest, AnIconIsDecodedAgainInALaterOpeningOnlyWhenItsPictureChanged) {
    const auto finderIcon = [&] { return switcher().iconImage(*switcher().cell(*pathTitled("Finder"))); };
    switcher().openPanel(true);
    const auto empty = trashIcon();
    const auto finder = finderIcon();
    ASSERT_TRUE(empty && finder);
    switcher().close(true);

    std::ofstream(home_ / ".Trash/old.txt") << "x";
    switcher().openPanel(true);
    const auto full = trashIcon();
    ASSERT_TRUE(full);
    EXPECT_NE(full->pixel(40, 16), empty->pixel(40, 16)) << "the Trash's picture follows its state";
    EXPECT_EQ(finderIcon()->pixel(64, 64), finder->pixel(64, 64));
}

TEST_F(SwitcherControllerTest, TheTrashCellFollowsTheTrashFillingWhileThePanelStaysOpen) {
    switcher().openPanel(true);
    const auto empty = trashIcon();
    ASSERT_TRUE(empty);
    std::ofstream(home_ / ".Trash/dropped.txt") << "x";
    dockState_->refreshTrashIconIfChanged();
    scheduler_.runUntilIdle();
    ASSERT_TRUE(switcher().isOpen());
    const auto full = trashIcon();
    ASSERT_TRUE(full);
    EXPECT_NE(full->pixel(40, 16), empty->pixel(40, 16));
}

}  // namespace
}  // namespace tavelin
