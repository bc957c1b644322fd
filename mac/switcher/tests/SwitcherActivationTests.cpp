#include <gmock/gmock.h>
#include <fstream>
#include <gtest/gtest.h>

#include "mac/core/IconService.h"
#include "mac/switcher/tests/SwitcherActivationWorld.h"
#include "protocol/CommandResultPayload.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using Kind = DockAction::Kind;

class SwitcherActivationTest : public SwitcherActivationWorld {};

// Which actions close the panel: by the table, found or not, with and without closeAfter. Quit and
// force quit are left to the next test (they would end Safari).
TEST_F(SwitcherActivationTest, EachActionClosesThePanelByItsRowFoundOrNot) {
    setReferenceSetting(false);  // the plain way: no hand-off outlives a row
    const ItemID safari = item("Safari").itemID;
    const ItemID downloads = item("Downloads").itemID;
    const ItemID gone("no-such-item");
    struct Row {
        DockAction action;
        bool closes;  // with closeAfter
    };
    const Row rows[] = {
        {DockAction::launchOrActivate(safari), true},
        {DockAction::launchOrActivate(gone), true},
        {DockAction::openFolder(downloads), false},
        {DockAction::openFolder(gone), false},
        {DockAction::openChild(downloads, ChildID("missing.txt")), true},
        {DockAction::openChild(gone, ChildID("missing.txt")), true},
        {DockAction::openFileOrURL(downloads), true},
        {DockAction::openFileOrURL(gone), true},
        {DockAction::showInFinder(safari), true},
        {DockAction::showInFinder(gone), true},
        {DockAction::hideApp(safari), false},
        {DockAction::unhideApp(safari), false},
        {DockAction::hideApp(gone), false},
        {DockAction::isProcessRunning(safari), false},
        {DockAction::showInFinderChild(downloads, ChildID("a.txt")), false},
        {DockAction::activateTrash(), true},
        {DockAction::emptyTrash(), true},
    };
    for (const auto& row : rows) {
        for (const bool closeAfter : {false, true}) {
            open();
            switcher().perform(row.action, closeAfter);
            // Checked before the main queue runs: an application coming to the front closes the panel
            // a turn later by a rule of its own.
            EXPECT_EQ(switcher().isOpen(), !(closeAfter && row.closes))
                << "action " << static_cast<int>(row.action.kind) << " " << row.action.itemID.rawValue()
                << " closeAfter " << closeAfter;
            switcher().close(true);
            scheduler_.runUntilIdle();
        }
    }
}

TEST_F(SwitcherActivationTest, ApplicationActionsNeedTheItemsBundleIDAndDoNothingForAnotherItem) {
    open();
    switcher().perform(DockAction::hideApp(item("Safari").itemID), true);
    switcher().perform(DockAction::hideApp(item("Downloads").itemID), true);  // no bundle ID
    switcher().perform(DockAction::isProcessRunning(item("Safari").itemID), true);
    switcher().perform(DockAction::unhideApp(item("Safari").itemID), true);
    EXPECT_THAT(calls({"RunningApplication.hide"}), SizeIs(1));
    EXPECT_THAT(calls({"RunningApplication.unhide"}), SizeIs(1));
    switcher().perform(DockAction::forceQuitApp(item("Safari").itemID), true);
    EXPECT_THAT(calls({"RunningApplication.forceTerminate"}), SizeIs(1));
    EXPECT_TRUE(switcher().isOpen());
}

// The confirm of a cell: a folder child opens like the Dock, a folder tile opens the folder (through
// the Finder, which hosts it), a spacer does nothing and keeps the panel.
TEST_F(SwitcherActivationTest, SelectAndActivateOpensAChildOrAFolderAndIgnoresASpacer) {
    setReferenceSetting(false);
    std::ofstream(mac_.diskPath("~/Downloads") / "notes.txt") << "x";
    mac_.workspace().installedApplication("com.apple.TextEdit")->opens = {"txt"};
    open();
    const auto model = switcher().navigator.value();
    std::optional<CellPath> spacer;
    for (const auto& entry : DockMainGrid::cells(model->presentation())) {
        if (entry.cell.asSpacer()) spacer = entry.path;
    }
    ASSERT_TRUE(spacer);
    switcher().selectAndActivate(*spacer);
    EXPECT_TRUE(switcher().isOpen());

    switcher().selectAndActivate(*pathTitled("Downloads"));
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_THAT(mac_.workspaceActions().openedURLs(), ElementsAre(testing::EndsWith("/Downloads/")));

    // The search shows the folder's child as a cell of its own.
    permissions_->setFolderAccess(FolderAccessState::granted, mac_.diskPath("~/Downloads").string());
    open();
    switcher().setFilterText("notes");
    do {
        scheduler_.runUntilIdle();
    } while (utilityQueue_.step());
    std::optional<CellPath> child;
    for (const auto& entry : DockMainGrid::cells(switcher().navigator.value()->presentation())) {
        if (entry.cell.asFolderChild()) child = entry.path;
    }
    ASSERT_TRUE(child);
    switcher().selectAndActivate(*child);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_THAT(mac_.workspaceActions().openedURLs().back(), testing::EndsWith("/Downloads/notes.txt"));
}

// The reference way when exactly one of the setting and Shift is on; it pins and hands off.
TEST_F(SwitcherActivationTest, ShiftInvertsTheSettingForOneActivation) {
    struct Row {
        bool setting;
        bool shift;
        bool referenceWay;
    };
    for (const Row row : {Row{true, false, true}, Row{true, true, false}, Row{false, false, false},
                          Row{false, true, true}}) {
        setReferenceSetting(row.setting);
        holdShift(row.shift);
        open();
        switcher().activateDockItemWithDisplayPolicy(item("Safari"), true, std::nullopt);
        EXPECT_FALSE(switcher().isOpen());
        EXPECT_EQ(switcher().hasActivationHandoff(), row.referenceWay) << row.setting << row.shift;
        EXPECT_EQ(pinDepth(), row.referenceWay ? 1 : 0) << row.setting << row.shift;
        scheduler_.runUntilIdle();
        EXPECT_EQ(pinDepth(), 0);
        EXPECT_FALSE(switcher().hasActivationHandoff());
    }
}

// Plain way: a first pointer move that happened is not asked again after the launch.
TEST_F(SwitcherActivationTest, ThePlainWayAsksForThePointerTwiceOrThreeTimes) {
    setReferenceSetting(false);
    open();
    switcher().activateDockItemWithDisplayPolicy(item("Safari"), false, std::nullopt);
    EXPECT_THAT(logLines("pointer "), SizeIs(2));  // before the activation, and once more after it
    EXPECT_TRUE(switcher().isOpen());  // closeAfter not set

    // TextEdit shows its window as it launches: the first request finds none, the second and third do.
    actionLog_.clear();
    mac_.workspace().installedApplication("com.apple.TextEdit")->launchWindow = "Untitled";
    switcher().activateDockItemWithDisplayPolicy(item("TextEdit"), true, std::nullopt);
    EXPECT_THAT(logLines("pointer "), SizeIs(2));
    EXPECT_FALSE(switcher().isOpen());
}

TEST_F(SwitcherActivationTest, AnItemWithoutAHostOpensAtOnceWithoutPinOrTask) {
    open();
    DockItem orphan = item("Downloads");
    orphan.kind = DockItemKind::file;
    orphan.path = "/nowhere/file.unknownext";
    switcher().activateDockItemWithDisplayPolicy(orphan, true, orphan.path);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_FALSE(switcher().hasActivationHandoff());
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_EQ(resolver_->pinnedScreenID, std::nullopt);
}

// A launched application's window, shown 0.3 s after the launch on the first display, is brought to
// the second, where the panel stood; the command goes through the pipeline as a remote one.
TEST_F(SwitcherActivationTest, TheHandOffBringsTheLaunchedWindowToThePanelsDisplay) {
    auto* textEdit = mac_.workspace().installedApplication("com.apple.TextEdit");
    textEdit->launchDelay = 300ms;
    textEdit->launchWindow = "Untitled";
    open();
    switcher().perform(DockAction::launchOrActivate(item("TextEdit").itemID), true);
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(pinDepth(), 1);
    EXPECT_EQ(resolver_->pinnedScreenID, ScreenID("2"));
    EXPECT_TRUE(windowsOf("com.apple.TextEdit").empty());  // the launch waits for a later turn
    mac_.displays().setMouseLocation({700, 450});          // the pin decides, not the pointer

    scheduler_.advance(5s);
    const auto windows = windowsOf("com.apple.TextEdit");
    ASSERT_THAT(windows, SizeIs(1));
    EXPECT_GE(windows[0].bounds.x, 1440);
    EXPECT_THAT(logLines("remote command kind=windowActivate window="), SizeIs(1));
    EXPECT_THAT(logLines("referenceDisplayActivate"), IsEmpty());
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_EQ(resolver_->pinnedScreenID, std::nullopt);
    EXPECT_FALSE(switcher().hasActivationHandoff());
}

// The pin names the panel's screen only while it is connected; without it the pointer's screen is
// the target. Without any screen the depth still rises and falls.
TEST_F(SwitcherActivationTest, APinToADisconnectedDisplayFallsBackToThePointersScreen) {
    mac_.workspace().installedApplication("com.apple.TextEdit")->launchWindow = "Untitled";
    open();
    switcher().perform(DockAction::launchOrActivate(item("TextEdit").itemID), true);
    mac_.displays().removeScreen(1);
    mac_.displays().setMouseLocation({700, 450});
    scheduler_.advance(5s);
    const auto windows = windowsOf("com.apple.TextEdit");
    ASSERT_THAT(windows, SizeIs(1));
    EXPECT_LT(windows[0].bounds.x, 1440);
    EXPECT_EQ(pinDepth(), 0);
}

TEST_F(SwitcherActivationTest, WithoutAWindowTheHandOffTriesOnceMoreAndLogsTheAbort) {
    open();
    switcher().perform(DockAction::launchOrActivate(item("TextEdit").itemID), true);
    scheduler_.advance(10s);
    EXPECT_THAT(logLines("ensureVisibleWindow"),
                ElementsAre("ensureVisibleWindow bundle=com.apple.TextEdit listEmpty=true"));
    EXPECT_THAT(logLines("referenceDisplayActivate"),
                ElementsAre("referenceDisplayActivate abort no window bundle=com.apple.TextEdit liveAX=false"));
    EXPECT_EQ(pinDepth(), 0);
}

TEST_F(SwitcherActivationTest, AFailedLaunchGoesStraightToTheUnpin) {
    open();
    DockItem missing = item("TextEdit");
    missing.bundleID = "com.example.NotInstalled";
    switcher().activateDockItemWithDisplayPolicy(missing, true, std::nullopt);
    EXPECT_EQ(pinDepth(), 1);
    scheduler_.advance(10s);
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_THAT(logLines("referenceDisplayActivate"), IsEmpty());
    EXPECT_THAT(logLines("remote command"), IsEmpty());
}

// Two activations in one turn: the first is cancelled before it starts and must still release its pin.
TEST_F(SwitcherActivationTest, AHandOffCancelledBeforeItStartsReleasesItsPin) {
    open();
    switcher().activateDockItemWithDisplayPolicy(item("Safari"), false, std::nullopt);
    switcher().activateDockItemWithDisplayPolicy(item("Safari"), false, std::nullopt);
    EXPECT_TRUE(switcher().isOpen());  // closeAfter not set
    EXPECT_EQ(pinDepth(), 2);
    scheduler_.runUntilIdle();
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_THAT(logLines("remote command kind=windowActivate"), SizeIs(1));

    // Opening the panel right after an activation cancels its hand-off before it starts.
    switcher().activateDockItemWithDisplayPolicy(item("Safari"), true, std::nullopt);
    open();
    scheduler_.runUntilIdle();
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_THAT(logLines("remote command kind=windowActivate"), SizeIs(1));
}

// A hand-off that ends while a newer one runs leaves the newer one cancellable by the next opening.
TEST_F(SwitcherActivationTest, AFinishingHandOffLeavesTheNewerOnesHandle) {
    mac_.workspace().installedApplication("com.apple.Notes")->launchDelay = 1s;
    mac_.workspace().installedApplication("com.apple.TextEdit")->launchDelay = 1500ms;
    open();
    switcher().activateDockItemWithDisplayPolicy(item("Notes"), true, std::nullopt);
    scheduler_.advance(1ms);  // Notes' hand-off waits for the launch
    switcher().activateDockItemWithDisplayPolicy(item("TextEdit"), false, std::nullopt);
    scheduler_.advance(100ms);  // Notes', cancelled under way, has ended; TextEdit's still waits
    ASSERT_THAT(logLines("referenceDisplayActivate abort"),
                ElementsAre("referenceDisplayActivate abort no window bundle=com.apple.Notes liveAX=false"));
    EXPECT_EQ(pinDepth(), 1);
    EXPECT_TRUE(switcher().hasActivationHandoff());

    open();  // cancels TextEdit's hand-off: its waits end at once
    scheduler_.advance(5s);
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_FALSE(switcher().hasActivationHandoff());
}

// A folder opens inside the hand-off, which then brings its Finder window to the panel's display.
TEST_F(SwitcherActivationTest, AFolderOpensInsideTheHandOffAndItsWindowComesToThePanelsDisplay) {
    open();
    switcher().perform(DockAction::openFileOrURL(item("Downloads").itemID), true);
    EXPECT_THAT(mac_.workspaceActions().openedURLs(), IsEmpty());
    scheduler_.advance(10s);
    EXPECT_THAT(mac_.workspaceActions().openedURLs(), ElementsAre(testing::EndsWith("/Downloads/")));
    EXPECT_THAT(logLines("activate complete"), ElementsAre(testing::EndsWith(":Downloads")));
    const auto windows = windowsOf("com.apple.finder");
    ASSERT_THAT(windows, SizeIs(1));
    EXPECT_GE(windows[0].bounds.x, 1440);
}

// A successful empty refreshes the Trash tile's icon at once; a failed one leaves it as it was.
TEST_F(SwitcherActivationTest, OnlyASuccessfulEmptyRefreshesTheTrashIcon) {
    std::ofstream(home_.path() / ".Trash/old.txt") << "old";
    rebuildDock();
    const auto trashToken = [&] {
        const auto& items = dockState_->snapshot()->items;
        return std::ranges::find(items, DockItemKind::trash, &DockItem::kind)->iconToken;
    };
    ASSERT_EQ(trashToken(), IconToken(kTrashTokenFull));
    open();
    // Emptied by other means meanwhile, but the command fails: no refresh.
    std::filesystem::remove(home_.path() / ".Trash/old.txt");
    mac_.appleScripts().setExecutionError("Finder", "Finder got an error: busy (-10810)");
    switcher().perform(DockAction::emptyTrash(), false);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenFull));
    mac_.appleScripts().setExecutionError("Finder", std::nullopt);
    switcher().perform(DockAction::emptyTrash(), false);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenEmpty));
    EXPECT_TRUE(switcher().isOpen());
}

TEST(CommandResultPayloadTextTest, TheFailureLineNamesTheErrorsDescription) {
    EXPECT_EQ(CommandResultPayload::failure(ProtocolError::notFound()).textualForm(), "failure(Not found)");
    EXPECT_EQ(CommandResultPayload::failure(ProtocolError::unavailable("move failed")).textualForm(),
              "failure(move failed)");
    EXPECT_EQ(CommandResultPayload::success().textualForm(), "success");
}

}  // namespace
}  // namespace tavelin
