#include <gtest/gtest.h>

#include "dockmodel/DockPresentationBuilder.h"
#include "dockmodel/tests/DockModelFixtures.h"

namespace tavelin {
namespace {

using namespace testing;

DockPresentation build(const DockSnapshot& snapshot, const PresentationOptions& options = showAll(),
                       const ExpandedFolders& expanded = {}, const FolderSearchHits& hits = {}) {
    return DockPresentationBuilder::build(snapshot, expanded, options, hits);
}

PresentationOptions searching(std::string text, PresentationOptions options = showAll()) {
    options.filterText = std::move(text);
    return options;
}

TEST(DockPresentationBuilder, Tiering) {
    const auto separatorsOff = showAllWith([](auto& o) { o.showSeparators = o.reproduceSpacers = false; });
    const struct {
        const char* name;
        DockSnapshot snapshot;
        PresentationOptions options;
        std::string expected;
    } cases[] = {
        {"the Dock's three groups",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 1), runningApp("C", 3), other("F", 5),
                     other("T", 6, DockItemKind::trash)},
                    {separator(2), separator(4, DockRegion::runningApps)}),
         showAll(), "segment-0:fixedApps[A B |] segment-1:runningApps[C |] segment-2:dockOthers[F T]"},
        {"an item before a separator of the same index",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 1), runningApp("C", 2)}, {separator(1)}), showAll(),
         "segment-0:fixedApps[A B |] segment-1:runningApps[C]"},
        {"two separators in a row",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 3)}, {separator(1), separator(2)}), showAll(),
         "segment-0:fixedApps[A |] segment-1:runningApps[|] segment-2:dockOthers[B]"},
        {"the fourth and fifth tiers are other tiles",
         snapshotOf(
             {fixedApp("A", 0), fixedApp("B", 2), fixedApp("C", 4), fixedApp("D", 6), fixedApp("E", 8)},
             {separator(1), separator(3), separator(5), separator(7)}),
         showAll(),
         "segment-0:fixedApps[A |] segment-1:runningApps[B |] segment-2:dockOthers[C |] "
         "segment-3:dockOthers[D |] "
         "segment-4:dockOthers[E]"},
        {"separators and small spacers off: a full spacer stays",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 4)},
                    {separator(1, DockRegion::fixedApps, SeparatorKind::spacer),
                     separator(2, DockRegion::fixedApps, SeparatorKind::smallSpacer), separator(3)}),
         separatorsOff, "segment-0:fixedApps[A _ B]"},
        {"small spacers reproduced",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 3)},
                    {separator(1, DockRegion::fixedApps, SeparatorKind::spacer),
                     separator(2, DockRegion::fixedApps, SeparatorKind::smallSpacer)}),
         showAll(), "segment-0:fixedApps[A _ . B]"},
        {"small spacers off, lines on",
         snapshotOf({fixedApp("A", 0), fixedApp("B", 3)},
                    {separator(1, DockRegion::fixedApps, SeparatorKind::smallSpacer), separator(2)}),
         showAllWith([](auto& o) { o.reproduceSpacers = false; }),
         "segment-0:fixedApps[A |] segment-1:runningApps[B]"},
        {"items out of order", snapshotOf({fixedApp("B", 2), fixedApp("A", 0), fixedApp("C", 5)}), showAll(),
         "segment-0:fixedApps[A B C]"},
        {"a separator ending the Dock closes its tier", snapshotOf({fixedApp("A", 0)}, {separator(1)}),
         showAll(), "segment-0:fixedApps[A |]"},
        {"an empty Dock", snapshotOf({}), showAll(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(build(c.snapshot, c.options)), c.expected) << c.name;
}

// Without the Accessibility order each region numbers its tiles on its own and the numbers are then made
// sequential by interleaving the regions; the Dock's order is region first, then index.
TEST(DockPresentationBuilder, OrdersByRegionBeforeDockIndexWithoutSeparatorLines) {
    const auto perRegion = snapshotOf({fixedApp("A", 0), fixedApp("B", 5), runningApp("R", 1), other("F", 2),
                                       other("T", 3, DockItemKind::trash)},
                                      {separator(4, DockRegion::fixedApps, SeparatorKind::spacer)});
    EXPECT_EQ(describe(build(perRegion)), "segment-0:fixedApps[A _ B R F T]");
    auto titled = perRegion;
    for (auto& item : titled.items) item.title = "a" + item.title;
    EXPECT_EQ(describe(build(titled, searching("a"))), "search:fixedApps[A B R F T]");
}

// The Accessibility order is the Dock's own, left to right: an unpinned running application before the
// only separator line stays where the Dock shows it, whatever its region.
TEST(DockPresentationBuilder, OrdersByDockIndexAloneWithSeparatorLines) {
    const auto probe = snapshotOf({fixedApp("A", 0), fixedApp("B", 1), runningApp("R", 2), other("F", 4),
                                   other("T", 5, DockItemKind::trash)},
                                  {separator(3)});
    EXPECT_EQ(describe(build(probe)), "segment-0:fixedApps[A B R |] segment-1:runningApps[F T]");

    auto between = snapshotOf({fixedApp("aA", 0), runningApp("aR", 1), fixedApp("aB", 2)}, {separator(3)});
    EXPECT_EQ(describe(build(between, searching("a"))), "search:fixedApps[aA aR aB]");
}

TEST(DockPresentationBuilder, ItemFilterInTiersAndInSearch) {
    const auto unavailable = [] {
        auto item = fixedApp("X", 0);
        item.isAvailable = false;
        return item;
    }();
    const auto hidden = [] {
        auto item = runningApp("X", 0);
        item.isHidden = true;
        return item;
    }();
    const auto background = [](DockRegion region, ActivationPolicy policy, bool recentTile) {
        auto item = dockItem("X", region, 0);
        item.activationPolicy = policy;
        item.isRecentAppsTile = recentTile;
        return item;
    };
    const auto hideBackground =
        showAllWith([](auto& o) { o.backgroundOnlyAppsMode = BackgroundOnlyAppsMode::hide; });
    const struct {
        const char* name;
        DockItem item;
        PresentationOptions options;
        bool kept;
    } cases[] = {
        {"unavailable, not shown", unavailable, showAllWith([](auto& o) { o.showUnavailableItems = false; }),
         false},
        {"unavailable, shown", unavailable, showAll(), true},
        {"hidden, dimmed", hidden, showAllWith([](auto& o) { o.hiddenAppsMode = HiddenAppsMode::dimmed; }),
         true},
        {"hidden, hide", hidden, showAllWith([](auto& o) { o.hiddenAppsMode = HiddenAppsMode::hide; }),
         false},
        {"accessory running, hide", background(DockRegion::runningApps, ActivationPolicy::accessory, false),
         hideBackground, false},
        {"prohibited running, hide", background(DockRegion::runningApps, ActivationPolicy::prohibited, false),
         hideBackground, false},
        {"unknown policy running, hide",
         background(DockRegion::runningApps, ActivationPolicy::unknown, false), hideBackground, false},
        {"accessory running, trailing",
         background(DockRegion::runningApps, ActivationPolicy::accessory, false),
         showAllWith([](auto& o) { o.backgroundOnlyAppsMode = BackgroundOnlyAppsMode::trailing; }), true},
        {"accessory recent-apps tile, hide",
         background(DockRegion::runningApps, ActivationPolicy::accessory, true), hideBackground, true},
        {"accessory pinned, hide", background(DockRegion::fixedApps, ActivationPolicy::accessory, false),
         hideBackground, true},
        {"accessory other tile, hide", background(DockRegion::dockOthers, ActivationPolicy::accessory, false),
         hideBackground, true},
    };
    for (const auto& c : cases) {
        const auto snapshot = snapshotOf({c.item});
        EXPECT_EQ(DockPresentationBuilder::passesItemFilter(c.item, c.options), c.kept) << c.name;
        EXPECT_EQ(build(snapshot, c.options).tiers.size(), c.kept ? 1u : 0u) << c.name;
        auto search = c.options;
        search.filterText = "x";
        EXPECT_EQ(build(snapshot, search).tiers.size(), c.kept ? 1u : 0u) << c.name << " (search)";
    }
}

TEST(DockPresentationBuilder, FolderChildrenAndHits) {
    const auto snapshot = snapshotOf({fixedApp("A", 0), other("Docs", 1), other("Z", 2, DockItemKind::app)});
    const ExpandedFolders open = {
        {ItemID("Docs"), folderListing("Docs", {folderChild("a"), folderChild("b")})}};
    const FolderSearchHits hits = {{ItemID("Docs"), {folderChild("b"), folderChild("c")}}};

    EXPECT_EQ(describe(build(snapshot, showAll(), open)), "segment-0:fixedApps[A Docs Docs/a Docs/b Z]");
    EXPECT_EQ(describe(build(snapshot, showAll(), open, hits)),
              "segment-0:fixedApps[A Docs Docs/a Docs/b Docs/c Z]");
    EXPECT_EQ(describe(build(snapshot, showAll(), {}, hits)), "segment-0:fixedApps[A Docs Docs/b Docs/c Z]");
    // Only a folder tile opens, even when a listing is filed under another item.
    const ExpandedFolders underAnApp = {{ItemID("A"), folderListing("A", {folderChild("x")})}};
    EXPECT_EQ(describe(build(snapshot, showAll(), underAnApp)), "segment-0:fixedApps[A Docs Z]");
}

TEST(DockPresentationBuilder, SearchListsApplicationsFirst) {
    auto mail = runningApp("Mail", 3);
    auto mailer = fixedApp("Mailer", 0);
    mailer.title = "Photo Mailer";
    auto maps = fixedApp("Maps", 1);
    auto archive = other("Archive", 5);
    archive.title = "MAIL archive";
    auto apps = other("Apps", 6);
    apps.title = "Applications";
    const auto snapshot = snapshotOf({mail, mailer, maps, archive, apps}, {separator(2)});
    const FolderSearchHits hits = {
        {ItemID("Apps"), {folderChild("notes.txt"), folderChild("Mailspring", FolderChildKind::app)}},
    };
    const ExpandedFolders open = {{ItemID("Apps"), folderListing("Apps", {folderChild("ignored")})}};

    EXPECT_EQ(describe(build(snapshot, searching("mail"), open, hits)),
              "search:fixedApps[Mailer Mail Apps/Mailspring Archive Apps/notes.txt]");
    // A single blank already searches.
    EXPECT_EQ(describe(build(snapshot, searching(" "))), "search:fixedApps[Mailer Archive]");
    EXPECT_EQ(describe(build(snapshot, searching("xyz"))), "");
}

TEST(DockPresentationBuilder, SearchMatchesTitlesCaseInsensitivelyWithDiacritics) {
    auto cafe = fixedApp("Cafe", 0);
    cafe.title = "Café";
    auto plain = fixedApp("Plain", 1);
    plain.title = "Cafeteria";
    const auto snapshot = snapshotOf({cafe, plain});
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"CAFÉ", "search:fixedApps[Cafe]"},
        {"cafe\u0301", "search:fixedApps[Cafe]"},  // decomposed é
        {"cafe", "search:fixedApps[Plain]"},       // the accent is not ignored
        {"caf", "search:fixedApps[Cafe Plain]"},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(build(snapshot, searching(c.text))), c.expected) << c.text;
}

}  // namespace
}  // namespace tavelin
