#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "mac/switcher/tests/SwitcherWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ContentMode = SwitcherController::ContentMode;

WindowListSnapshot windowList(const ItemID& item, std::vector<std::string> titles) {
    WindowListSnapshot snapshot{.appItemID = item, .listGeneration = 1};
    for (std::size_t i = 0; i < titles.size(); ++i)
        snapshot.windows.push_back(WindowDescriptor{.windowID = WindowID(std::to_string(100 + i)), .title = titles[i]});
    return snapshot;
}

std::vector<std::string> titles(const std::vector<WindowDescriptor>& windows) {
    std::vector<std::string> result;
    for (const auto& window : windows) result.push_back(window.title);
    return result;
}

class SwitcherOverlayTest : public SwitcherWorld {
  protected:
    using SwitcherWorld::SwitcherWorld;

    // The panel open with every cell anchored in one row of 84-point cells.
    void openAnchored(bool selectNextAfterActive = true) {
        switcher().openPanel(selectNextAfterActive);
        SwitcherController::CellAnchors anchors;
        std::int64_t column = 0;
        for (const auto& entry : DockMainGrid::cells(switcher().navigator.value()->presentation()))
            anchors[entry.path] = Rect{16 + 84 * static_cast<double>(column++), 12, 84, 100};
        switcher().cellAnchorsChanged(std::move(anchors));
    }
    void showWindows(std::string_view title, std::vector<std::string> windows) {
        const auto path = *pathTitled(title);
        const auto item = itemAt(path);
        switcher().presentDockAnchoredMenu(item, path, ContentMode::windowsOnly, windowList(item.itemID, windows));
    }
    SwitcherDockAnchoredMenuController& menu() { return switcher().dockAnchoredMenu(); }
    // A Downloads folder holding three files.
    void fillDownloads() {
        for (const auto* name : {"alpha.txt", "Beta.pdf", "gamma.txt"}) {
            std::ofstream(mac_.diskPath("~/Downloads") / name) << "x";
        }
    }
};

TEST_F(SwitcherOverlayTest, WindowFocusWrapsAtBothEndsAndFollowsTheFilter) {
    openAnchored();
    showWindows("Safari", {"Inbox", "News", "Docs"});
    EXPECT_FALSE(menu().focusedWindow());
    menu().enterWindowFocusFromTop();
    EXPECT_EQ(menu().focusedWindow()->title, "Inbox");
    menu().moveWindowFocus(false);
    EXPECT_EQ(menu().focusedWindow()->title, "Docs");
    menu().moveWindowFocus(true);
    EXPECT_EQ(menu().focusedWindow()->title, "Inbox");

    // The focused window stays focused while listed, at its new place; a filter that hides it clears it.
    menu().moveWindowFocus(false);
    menu().setWindowFilter("o");
    EXPECT_THAT(titles(menu().displayedWindows()), ElementsAre("Inbox", "Docs"));
    EXPECT_EQ(menu().model.focusedWindowIndex.value(), 1);
    menu().setWindowFilter("NEW");
    EXPECT_THAT(titles(menu().displayedWindows()), ElementsAre("News"));
    EXPECT_EQ(menu().model.focusedWindowIndex.value(), -1);
    EXPECT_FALSE(menu().focusedWindow());
}

TEST_F(SwitcherOverlayTest, AWindowListArrivingAfterANewerPresentationIsVoided) {
    openAnchored();
    const auto path = *pathTitled("Safari");
    const auto safari = itemAt(path);
    switcher().presentDockAnchoredMenu(safari, path, ContentMode::windowsOnly, std::nullopt);
    const auto epoch = switcher().windowsFetchEpoch;
    EXPECT_FALSE(menu().model.snapshot.value());
    // The user opens the list again before the first fetch answers: that answer is stale.
    switcher().presentDockAnchoredMenu(safari, path, ContentMode::windowsOnly, std::nullopt);
    switcher().applyFetchedWindowList(safari, epoch, windowList(safari.itemID, {"Old"}));
    EXPECT_FALSE(menu().model.snapshot.value());
    switcher().applyFetchedWindowList(safari, switcher().windowsFetchEpoch, windowList(safari.itemID, {"New"}));
    EXPECT_THAT(titles(menu().displayedWindows()), ElementsAre("New"));
    // A list for another item is not shown.
    auto finder = itemAt(*pathTitled("Finder"));
    switcher().applyFetchedWindowList(finder, switcher().windowsFetchEpoch, windowList(finder.itemID, {"Home"}));
    EXPECT_THAT(titles(menu().displayedWindows()), ElementsAre("New"));
}

class SafariWindows : public SwitcherOverlayTest {
  protected:
    SafariWindows() : SwitcherOverlayTest([] {
        auto desktop = standardDesktop();
        desktop.windows = {{.application = "com.apple.Safari", .title = "News", .frame = Rect{100, 100, 800, 600}},
                           {.application = "com.apple.Safari", .title = "Docs", .frame = Rect{200, 150, 800, 600}}};
        return desktop;
    }()) {}
};

TEST_F(SafariWindows, AWindowsListShownWithoutOneIsFetchedUnlessANewerPresentationBringsItsOwn) {
    openAnchored();
    const auto path = *pathTitled("Safari");
    switcher().presentDockAnchoredMenu(itemAt(path), path, ContentMode::windowsOnly, std::nullopt);
    EXPECT_FALSE(menu().model.snapshot.value());
    scheduler_.runUntilIdle();
    EXPECT_THAT(titles(menu().displayedWindows()), UnorderedElementsAre("Docs", "News"));
    EXPECT_GE(menu().model.snapshot.value()->listGeneration, 1);

    switcher().presentDockAnchoredMenu(itemAt(path), path, ContentMode::windowsOnly, std::nullopt);
    switcher().presentDockAnchoredMenu(itemAt(path), path, ContentMode::windowsOnly,
                                       windowList(itemAt(path).itemID, {"Prefetched"}));
    scheduler_.runUntilIdle();
    EXPECT_THAT(titles(menu().displayedWindows()), ElementsAre("Prefetched"));
}

TEST_F(SwitcherOverlayTest, TheDwellOverlayOpensHalfASecondAfterTheLastStep) {
    openAnchored(false);  // Safari selected, running
    switcher().scheduleSelectionDwellOverlay();
    scheduler_.advance(400ms);
    switcher().scheduleSelectionDwellOverlay();
    scheduler_.advance(400ms);
    EXPECT_FALSE(menu().isShown());
    scheduler_.advance(100ms);
    EXPECT_TRUE(menu().showsWindowsList());
    EXPECT_EQ(menu().model.presentedItemID.value(), itemAt(*pathTitled("Safari")).itemID);
    EXPECT_TRUE(switcher().overlayOpenedFromKeyboard);
}

TEST_F(SwitcherOverlayTest, TheDwellOverlayOfAFolderIsItsUnfocusedPopoverAndOfAStoppedAppNothing) {
    fillDownloads();
    openAnchored();
    switcher().selectPath(*pathTitled("Notes"));
    switcher().scheduleSelectionDwellOverlay();
    scheduler_.advance(500ms);
    EXPECT_FALSE(menu().isShown());
    EXPECT_FALSE(switcher().folderPopover().isShown());
    EXPECT_FALSE(switcher().overlayOpenedFromKeyboard);

    switcher().selectPath(*pathTitled("Downloads"));
    switcher().scheduleSelectionDwellOverlay();
    scheduler_.advance(500ms);
    EXPECT_TRUE(switcher().folderPopover().isShown());
    EXPECT_FALSE(switcher().folderFocusIndex());
    EXPECT_TRUE(switcher().overlayOpenedFromKeyboard);

    // Leaving the cell closes it; closing the panel cancels a pending dwell.
    switcher().selectPath(*pathTitled("Safari"));
    EXPECT_FALSE(switcher().folderPopover().isShown());
    switcher().scheduleSelectionDwellOverlay();
    switcher().close(true);
    scheduler_.advance(1s);
    EXPECT_FALSE(menu().isShown());
}

TEST_F(SwitcherOverlayTest, FolderFocusCyclesOverVisibleChildrenAndBackClosesTheLastLevel) {
    fillDownloads();
    openAnchored();
    const auto path = *pathTitled("Downloads");
    switcher().presentFolder(itemAt(path), path, true);
    ASSERT_TRUE(switcher().folderPopover().isShown());
    EXPECT_EQ(switcher().folderFocusIndex(), 0);
    switcher().cycleFolderFocus(false);
    EXPECT_EQ(switcher().folderFocusIndex(), 2);
    switcher().cycleFolderFocus(true);
    EXPECT_EQ(switcher().folderFocusIndex(), 0);

    switcher().setFolderFilterText("z");
    switcher().folderNavigateBack();
    EXPECT_FALSE(switcher().folderPopover().isShown());
    EXPECT_THAT(switcher().folderStack(), IsEmpty());
    EXPECT_FALSE(switcher().folderDockItem());
    EXPECT_EQ(switcher().folderFilterText.value(), "");
}

TEST_F(SwitcherOverlayTest, ActivatingTheFocusedFolderChildOpensItLikeTheDockAndClosesThePanel) {
    fillDownloads();
    mac_.workspace().installedApplication("com.apple.TextEdit")->opens = {"txt"};
    openAnchored();
    const auto path = *pathTitled("Downloads");
    switcher().presentFolder(itemAt(path), path, true);
    switcher().cycleFolderFocus(false);  // the last child
    const std::string last = *switcher().folderStack().back().children[2].path;
    switcher().activateFolderFocus();
    EXPECT_THAT(mac_.workspaceActions().openedURLs(), ElementsAre(EndsWith(last)));
    EXPECT_FALSE(switcher().isOpen());
}

TEST(FolderPopoverModelTest, VisibleChildrenMatchTheFilterWithoutCaseInListingOrder) {
    FolderSnapshot folder;
    for (const auto* title : {"Report.pdf", "notes.txt", "REPORT-2.pdf"})
        folder.children.push_back(FolderChild{.childID = ChildID(title), .title = title});
    FolderPopoverModel model;
    EXPECT_EQ(model.visibleChildren(folder).size(), 3u);
    model.filterText = "report";
    const auto visible = model.visibleChildren(folder);
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0].title, "Report.pdf");
    EXPECT_EQ(visible[1].title, "REPORT-2.pdf");
}

TEST_F(SwitcherOverlayTest, AnEmptyClickDismissesOnlyAFolderOrAWindowsList) {
    openAnchored();
    const auto path = *pathTitled("Safari");
    switcher().presentDockAnchoredMenu(itemAt(path), path, ContentMode::contextOnly, std::nullopt);
    switcher().dismissSubDisplaysFromEmptyClick();
    EXPECT_TRUE(menu().isShown());
    showWindows("Safari", {"Inbox"});
    switcher().overlayOpenedFromKeyboard = true;
    switcher().dismissSubDisplaysFromEmptyClick();
    EXPECT_FALSE(menu().isShown());
    EXPECT_FALSE(switcher().overlayOpenedFromKeyboard);
}

TEST_F(SwitcherOverlayTest, WindowsListClicksHitTheReportedCells) {
    openAnchored();
    showWindows("Safari", {"Inbox", "News"});
    menu().setWindowCellFrames({Rect{100, 500, 260, 28}, Rect{100, 472, 260, 28}});
    std::vector<std::string> activated;
    menu().activateWindow = notingActivations(activated);
    const auto safari = itemAt(*pathTitled("Safari"));
    InputEvent click{.type = EventType::leftMouseDown, .location = Point{150, 480}};
    EXPECT_TRUE(menu().handleWindowsListLeftMouseDown(click, safari));
    scheduler_.runUntilIdle();
    EXPECT_THAT(activated, ElementsAre("Safari News"));
    click.location = Point{150, 400};
    EXPECT_FALSE(menu().handleWindowsListLeftMouseDown(click, safari));
    EXPECT_FALSE(menu().handleWindowsListRightMouseDown(click));
    click.location = Point{150, 510};
    EXPECT_TRUE(menu().handleWindowsListRightMouseDown(click));
    EXPECT_TRUE(menu().windowActionMenuShown());
    EXPECT_EQ(menu().focusedWindow()->title, "Inbox");  // the action menu acts on the row clicked
    menu().close();
    EXPECT_FALSE(menu().windowActionMenuShown());
    EXPECT_FALSE(menu().handleWindowsListRightMouseDown(click));
}

TEST_F(SwitcherOverlayTest, TheContextMenuOffersTheRowsOfItsItem) {
    openAnchored();
    const auto path = *pathTitled("Safari");
    switcher().presentDockContextMenu(itemAt(path), path, InputEvent{.type = EventType::rightMouseDown});
    EXPECT_EQ(menu().model.contentMode.value(), ContentMode::contextOnly);
    std::vector<std::string> rows;
    for (const auto& holder : switcher().contextMenuActionHolders()) rows.push_back(holder.title);
    EXPECT_THAT(rows, ElementsAre("context.showInFinder", "context.hide", "context.quit"));

    DockItem trash{.itemID = ItemID("trash"), .kind = DockItemKind::trash};
    const auto trashRows = SwitcherCellContextMenuModifier{{CellPath{}, DockPresentation::Cell::item(trash)}, {}}.rows();
    ASSERT_EQ(trashRows.size(), 2u);
    EXPECT_EQ(trashRows[1].action.kind, DockAction::Kind::emptyTrash);
}

TEST_F(SwitcherOverlayTest, AWindowsListClosesWhenItsApplicationQuitsAndStaysWhenItLeavesTheDock) {
    openAnchored();
    showWindows("Safari", {"Inbox"});
    mac_.workspace().terminate(mac_.workspace().process(std::string_view("com.apple.Safari"))->processIdentifier);
    rebuildDock();
    EXPECT_FALSE(menu().isShown());

    mac_.workspace().launch("com.apple.TextEdit");
    rebuildDock();
    SwitcherController::CellAnchors anchors = switcher().cellAnchors();
    anchors[*pathTitled("TextEdit")] = Rect{400, 12, 84, 100};
    switcher().cellAnchorsChanged(anchors);
    showWindows("TextEdit", {"Untitled"});
    mac_.workspace().terminate(mac_.workspace().process(std::string_view("com.apple.TextEdit"))->processIdentifier);
    rebuildDock();
    EXPECT_FALSE(pathTitled("TextEdit"));
    EXPECT_TRUE(menu().showsWindowsList());
}

}  // namespace
}  // namespace tavelin
