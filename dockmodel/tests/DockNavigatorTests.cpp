#include <gtest/gtest.h>

#include "dockmodel/DockMainGrid.h"
#include "dockmodel/DockNavigator.h"
#include "dockmodel/tests/DockModelFixtures.h"

namespace tavelin {
namespace {

using namespace testing;
using Direction = DockNavigator::Direction;

// A B | C | D E F over three tiers: D a folder, the others applications, E being Finder.
DockSnapshot threeTierDock() {
    auto finder = runningApp("E", 6);
    finder.region = DockRegion::dockOthers;
    finder.bundleID = "com.apple.finder";
    return snapshotOf({fixedApp("A", 0), fixedApp("B", 1), runningApp("C", 3), other("D", 5), finder,
                       other("F", 7, DockItemKind::app)},
                      {separator(2), separator(4, DockRegion::runningApps)});
}

DockPresentation presentationOf(std::vector<DockPresentation::Tier> tiers) {
    return DockPresentation{std::move(tiers)};
}

std::string selected(const DockNavigator& navigator) {
    if (!navigator.selection()) return "none";
    return describe(*navigator.presentation().cell(*navigator.selection()));
}

void selectItem(DockNavigator& navigator, std::string_view id) {
    for (const auto& entry : DockMainGrid::cells(navigator.presentation())) {
        if (describe(entry.cell) == id) return navigator.select(entry.path);
    }
    FAIL() << "no cell " << id;
}

TEST(DockNavigator, InitialSelection) {
    const auto running = DockRegion::runningApps;
    const auto fixed = DockRegion::fixedApps;
    const auto others = DockRegion::dockOthers;
    const struct {
        const char* name;
        DockPresentation presentation;
        std::string expected;
    } cases[] = {
        {"second of the running tier",
         presentationOf({tierOf("segment-0", fixed, "A |"), tierOf("segment-1", running, "_ R1 R2 R3 |")}),
         "R2"},
        {"only one running",
         presentationOf({tierOf("segment-0", fixed, "A |"), tierOf("segment-1", running, "R1")}), "R1"},
        {"running tier of a separator only",
         presentationOf({tierOf("segment-0", fixed, "_ A B |"), tierOf("segment-1", running, "|")}), "A"},
        {"other tiles are never chosen",
         presentationOf({tierOf("segment-0", fixed, "|"), tierOf("segment-1", running, "|"),
                         tierOf("segment-2", others, "F")}),
         "none"},
        {"one search tier", presentationOf({tierOf("search", fixed, "S1 S2")}), "S1"},
        {"a folder child counts",
         presentationOf({tierOf("segment-0", fixed, "|"), tierOf("segment-1", running, "R P/c")}), "P/c"},
        {"nothing at all", presentationOf({}), "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(selected(DockNavigator(c.presentation)), c.expected) << c.name;
}

TEST(DockNavigator, StepsAndArrows) {
    const struct {
        const char* start;
        std::function<void(DockNavigator&)> step;
        const char* expected;
        const char* name;
    } cases[] = {
        {"F", [](auto& n) { n.moveNext(false); }, "A", "next wraps at the end"},
        {"F", [](auto& n) { n.moveNext(true); }, "A", "next wraps whatever the flag"},
        {"A", [](auto& n) { n.movePrevious(false); }, "F", "previous wraps at the start"},
        {"B", [](auto& n) { n.moveNext(false); }, "C", "next crosses into the next tier"},
        {"B", [](auto& n) { n.move(Direction::right, false); }, "C", "right crosses tiers"},
        {"F", [](auto& n) { n.move(Direction::right, false); }, "F", "right stops at the end"},
        {"F", [](auto& n) { n.move(Direction::right, true); }, "A", "right wraps when asked"},
        {"A", [](auto& n) { n.move(Direction::left, false); }, "A", "left stops at the start"},
        {"A", [](auto& n) { n.move(Direction::left, true); }, "F", "left wraps when asked"},
        {"B", [](auto& n) { n.move(Direction::down, true); }, "C", "down to the nearest"},
        {"C", [](auto& n) { n.move(Direction::down, false); }, "D", "down again"},
        {"F", [](auto& n) { n.move(Direction::up, false); }, "C", "up to the nearest"},
        {"B", [](auto& n) { n.move(Direction::up, true); }, "B", "up from the first tier stays"},
        {"E", [](auto& n) { n.move(Direction::down, true); }, "E", "down from the last tier stays"},
    };
    for (const auto& c : cases) {
        DockNavigator navigator(threeTierDock(), showAll());
        selectItem(navigator, c.start);
        c.step(navigator);
        EXPECT_EQ(selected(navigator), c.expected) << c.name;
    }
}

TEST(DockNavigator, UpAndDownPickTheNearestCellAndSkipEmptyTiers) {
    const auto fixed = DockRegion::fixedApps;
    DockNavigator navigator(
        presentationOf({tierOf("segment-0", fixed, "A0 A1 A2 A3 A4 A5 |"), tierOf("segment-1", fixed, "|"),
                        tierOf("segment-2", fixed, "_ _ _ B3 _ _ _ B7")}));
    navigator.select({0, 5});
    navigator.move(Direction::down, false);
    EXPECT_EQ(selected(navigator), "B3");  // 3 and 7 are both two away: the lower index wins
    navigator.move(Direction::up, false);
    EXPECT_EQ(selected(navigator), "A3");

    // Without a selection nothing moves; a selected spacer still steps by tier.
    DockNavigator empty(presentationOf({}));
    empty.move(Direction::down, true);
    empty.moveNext(true);
    EXPECT_EQ(selected(empty), "none");
    navigator.select({1, 0});
    navigator.moveNext(false);
    EXPECT_EQ(selected(navigator), "|");
    navigator.move(Direction::down, false);
    EXPECT_EQ(selected(navigator), "B3");
}

TEST(DockNavigator, SelectChecksRangesOnly) {
    DockNavigator navigator(threeTierDock(), showAll());
    navigator.select({0, 2});
    EXPECT_EQ(selected(navigator), "|");
    for (const CellPath outside : {CellPath{0, 3}, CellPath{3, 0}, CellPath{-1, 0}, CellPath{0, -1}})
        navigator.select(outside);
    EXPECT_EQ(selected(navigator), "|");
}

TEST(DockNavigator, SelectsRelativeToTheActiveApplication) {
    const std::string finder = "com.apple.finder";
    const struct {
        std::optional<std::string> active;
        bool next;
        const char* expected;
    } cases[] = {
        {"com.example.C", false, "C"},
        {"com.example.C", true, "D"},
        {"com.example.F", true, "A"},                          // the last one: wraps to the first
        {std::string(DockNavigator::ownBundleID), true, "E"},  // ourselves: Finder, not the one after it
        {std::nullopt, true, "E"},
        {"com.example.gone", false, "E"},
    };
    for (const auto& c : cases) {
        DockNavigator navigator(threeTierDock(), showAll());
        if (c.next) {
            navigator.selectNextAfterActiveApp(c.active, finder);
        } else {
            navigator.selectActiveApp(c.active, finder);
        }
        EXPECT_EQ(selected(navigator), c.expected) << c.active.value_or("(none)") << (c.next ? " next" : "");
    }
    DockNavigator withoutFinder(threeTierDock(), showAll());
    withoutFinder.selectNextAfterActiveApp(std::string(DockNavigator::ownBundleID), "com.example.absent");
    EXPECT_EQ(selected(withoutFinder), "A");
    // Our own tile in the Dock is never stepped from.
    auto withUs = threeTierDock();
    withUs.items[0].bundleID = std::string(DockNavigator::ownBundleID);
    DockNavigator ours(withUs, showAll());
    ours.selectNextAfterActiveApp(std::string(DockNavigator::ownBundleID), finder);
    EXPECT_EQ(selected(ours), "E");
    DockNavigator nothing(snapshotOf({}), showAll());
    nothing.selectActiveApp("com.example.C", finder);
    EXPECT_EQ(selected(nothing), "none");
}

TEST(DockNavigator, RebuildKeepsTheSelectionOrItsNeighbours) {
    const auto without = [](std::initializer_list<std::string_view> gone) {
        auto snapshot = threeTierDock();
        std::erase_if(snapshot.items, [&](const DockItem& item) {
            return std::find(gone.begin(), gone.end(), item.itemID.rawValue()) != gone.end();
        });
        return snapshot;
    };
    const struct {
        const char* name;
        const char* start;
        DockSnapshot next;
        const char* expected;
    } cases[] = {
        {"the selected item stays", "D", without({"A", "C"}), "D"},
        {"the selected application quits", "C", without({"C"}), "D"},
        {"it and the one after it quit", "C", without({"C", "D"}), "E"},
        {"the last one quits", "F", without({"F"}), "A"},
        {"the last ones quit: the first survivor from the start", "F", without({"A", "E", "F"}), "B"},
        {"everything goes", "C", snapshotOf({}), "none"},
    };
    for (const auto& c : cases) {
        DockNavigator navigator(threeTierDock(), showAll());
        selectItem(navigator, c.start);
        navigator.apply(c.next);
        EXPECT_EQ(selected(navigator), c.expected) << c.name;
    }

    // An item that moves to another tier is followed there.
    DockNavigator navigator(threeTierDock(), showAll());
    selectItem(navigator, "A");
    auto moved = threeTierDock();
    moved.items[0].region = DockRegion::dockOthers;
    moved.items[0].dockIndex = 8;
    navigator.apply(moved);
    EXPECT_EQ(selected(navigator), "A");
    EXPECT_EQ(navigator.selection(), (CellPath{2, 3}));

    // With nothing selected before, the first cell is taken.
    DockNavigator fromEmpty(snapshotOf({}), showAll());
    fromEmpty.apply(threeTierDock());
    EXPECT_EQ(selected(fromEmpty), "A");
}

TEST(DockNavigator, Activation) {
    const struct {
        DockItemKind kind;
        std::optional<DockAction> expected;
    } cases[] = {
        {DockItemKind::app, DockAction::launchOrActivate(ItemID("X"))},
        {DockItemKind::folder, DockAction::openFileOrURL(ItemID("X"))},
        {DockItemKind::file, DockAction::openFileOrURL(ItemID("X"))},
        {DockItemKind::url, DockAction::openFileOrURL(ItemID("X"))},
        {DockItemKind::trash, DockAction::activateTrash()},
        {DockItemKind::unknown, DockAction::showInFinder(ItemID("X"))},
    };
    for (const auto& c : cases) {
        DockNavigator navigator(snapshotOf({dockItem("X", DockRegion::fixedApps, 0, c.kind)}), showAll());
        EXPECT_EQ(navigator.activate(), c.expected) << toString(c.kind);
    }

    DockNavigator navigator(presentationOf({tierOf("segment-0", DockRegion::fixedApps, "P/c |")}));
    EXPECT_EQ(navigator.activate(), DockAction::openChild(ItemID("P"), ChildID("c")));
    navigator.select({0, 1});
    EXPECT_EQ(navigator.activate(), std::nullopt);
    EXPECT_EQ(DockNavigator(presentationOf({})).activate(), std::nullopt);
}

TEST(DockNavigator, OpensAndClosesFolders) {
    const auto snapshot = snapshotOf({fixedApp("A", 0), other("Docs", 1), other("Z", 2, DockItemKind::app)});
    DockNavigator navigator(snapshot, showAll());
    EXPECT_FALSE(navigator.collapseCurrentFolder());  // A is no open folder

    selectItem(navigator, "Docs");
    EXPECT_TRUE(
        navigator.expand(ItemID("Docs"), folderListing("Docs", {folderChild("a"), folderChild("b")})));
    EXPECT_EQ(describe(navigator.presentation()), "segment-0:fixedApps[A Docs Docs/a Docs/b Z]");
    EXPECT_EQ(navigator.layoutIdentityKeys(),
              (std::vector<std::string>{"i:A", "i:Docs", "c:Docs/a", "c:Docs/b", "i:Z"}));

    // From a child: the folder closes and its tile is selected.
    selectItem(navigator, "Docs/b");
    EXPECT_TRUE(navigator.collapseCurrentFolder());
    EXPECT_EQ(describe(navigator.presentation()), "segment-0:fixedApps[A Docs Z]");
    EXPECT_EQ(selected(navigator), "Docs");

    // From the tile itself: it keeps its place.
    navigator.expand(ItemID("Docs"), folderListing("Docs", {folderChild("a")}));
    selectItem(navigator, "Docs");
    EXPECT_TRUE(navigator.collapseCurrentFolder());
    EXPECT_EQ(selected(navigator), "Docs");
    EXPECT_TRUE(navigator.expanded().empty());
    EXPECT_FALSE(navigator.collapseCurrentFolder());

    // A child that leaves the listing hands the selection to the cell after it, not to its folder.
    navigator.expand(ItemID("Docs"), folderListing("Docs", {folderChild("a"), folderChild("b")}));
    selectItem(navigator, "Docs/b");
    navigator.expand(ItemID("Docs"), folderListing("Docs", {folderChild("a")}));
    EXPECT_EQ(selected(navigator), "Z");

    DockNavigator withSpacer(snapshotOf({fixedApp("A", 0)}, {separator(1)}), showAll());
    withSpacer.select({0, 1});
    EXPECT_FALSE(withSpacer.collapseCurrentFolder());
}

TEST(DockNavigator, SearchAndFolderHits) {
    auto snapshot = threeTierDock();
    snapshot.items[3].title = "Documents";
    auto unavailable = other("Gone", 8);
    unavailable.isAvailable = false;
    auto pathless = other("NoPath", 9);
    pathless.path.reset();
    snapshot.items.push_back(unavailable);
    snapshot.items.push_back(pathless);
    DockNavigator navigator(snapshot, showAllWith([](auto& o) { o.showUnavailableItems = false; }));
    EXPECT_EQ(navigator.searchableFolders(),
              (std::vector<DockNavigator::SearchableFolder>{{ItemID("D"), "/Users/me/D"}}));

    const FolderSearchHits hits = {{ItemID("F"), {folderChild("docs.txt")}}};
    navigator.setSearchFolderHits(hits);  // no search yet: only dropped
    EXPECT_TRUE(navigator.searchFolderHits().empty());
    EXPECT_EQ(describe(navigator.presentation()),
              "segment-0:fixedApps[A B |] segment-1:runningApps[C |] segment-2:dockOthers[D E F NoPath]");

    selectItem(navigator, "D");
    navigator.filter("doc");
    EXPECT_EQ(describe(navigator.presentation()), "search:fixedApps[D]");
    EXPECT_EQ(selected(navigator), "D");
    navigator.setSearchFolderHits(hits);
    EXPECT_EQ(describe(navigator.presentation()), "search:fixedApps[D F/docs.txt]");

    navigator.filter("docu");  // a new text drops the hits of the old one
    EXPECT_TRUE(navigator.searchFolderHits().empty());
    EXPECT_EQ(describe(navigator.presentation()), "search:fixedApps[D]");
    navigator.filter("");
    EXPECT_EQ(selected(navigator), "D");
    EXPECT_EQ(navigator.options().filterText, "");
}

}  // namespace
}  // namespace tavelin
