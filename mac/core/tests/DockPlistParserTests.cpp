#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/core/tests/DockWorld.h"
#include "platform/FileContents.h"
#include "platform/sim/DockTiles.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

using sim::dockApplicationTile;
using sim::dockFileReference;
using sim::dockFileTile;
using sim::dockFolderTile;
using sim::dockSpacerTile;
using sim::dockURLTile;

class DockPlistParserTest : public DockWorld {
  protected:
    // The running state after a rebuild's two syncs over `plist`.
    RunningAppsService::State syncedState(const PlistDict& plist) {
        runningApps().refreshPinned(plist);
        runningApps().syncUnpinnedRunningOrder(plist);
        return runningApps().state();
    }
    ParsedDock legacy(const PlistDict& plist) {
        return parser().parseLegacyPlist(plist, syncedState(plist), settings());
    }

    // "identifier@dockIndex" of each item, in list order.
    static std::vector<std::string> placed(const ParsedDock& dock) {
        std::vector<std::string> placed;
        for (const auto& item : dock.items)
            placed.push_back(item.itemID.rawValue() + "@" + std::to_string(item.dockIndex));
        return placed;
    }
    static const DockItem& item(const ParsedDock& dock, std::string_view id) {
        for (const auto& item : dock.items) {
            if (item.itemID.rawValue() == id) return item;
        }
        ADD_FAILURE() << "no item " << id;
        static const DockItem none;
        return none;
    }
};

TEST(DockFileReference, FilePathsFromURLsAndPlainPaths) {
    const auto path = [](PlistDict reference) { return DockPlistParser::filePath(reference); };
    const auto url = [](std::string text, PlistValue type = 15) {
        return PlistDict{{"_CFURLString", std::move(text)}, {"_CFURLStringType", std::move(type)}};
    };
    EXPECT_THAT(path(url("file:///Users/me/My%20Files/")), Optional(std::string("/Users/me/My Files")));
    EXPECT_THAT(path(url("file://localhost/Applications/Safari.app/")),
                Optional(std::string("/Applications/Safari.app")));
    EXPECT_THAT(path(url("file:///")), Optional(std::string("/")));
    // "file://" leads to the URL route whatever the type says.
    EXPECT_THAT(path(url("file:///a%20b", 0)), Optional(std::string("/a b")));
    EXPECT_THAT(path(PlistDict{{"_CFURLString", "file:///a%20b"}}), Optional(std::string("/a b")));
    // Web links and texts that are no URL come back unchanged (but for a trailing '/').
    EXPECT_THAT(path(url("https://example.org/news/")), Optional(std::string("https://example.org/news")));
    EXPECT_THAT(path(url("file:///bad%zz")), Optional(std::string("file:///bad%zz")));
    // A plain path, also when the type is not the integer 15.
    EXPECT_THAT(path(url("/Users/me/%20/", "15")), Optional(std::string("/Users/me/%20")));
    EXPECT_THAT(path(url("/Users/me/", 15.0)), Optional(std::string("/Users/me")));
    EXPECT_THAT(path(url("/")), Optional(std::string("/")));
    // Nothing to read.
    EXPECT_EQ(path(url("")), std::nullopt);
    EXPECT_EQ(path(PlistDict{{"_CFURLString", 15}}), std::nullopt);
    EXPECT_EQ(path(PlistDict{}), std::nullopt);
}

TEST_F(DockPlistParserTest, PreferencesComeFromTheDefaultsDomainFirstThenTheFile) {
    start();
    // The domain was opened empty, so the file is read.
    mac().userDefaults().domain("com.apple.dock");
    writeDockPlist(PlistDict{{"show-recents", false}});
    EXPECT_THAT(parser().loadDockPlist(), Optional(PlistDict{{"show-recents", false}}));

    // The domain holds values: it wins over what the file says now.
    mac().userDefaults().domain("com.apple.dock")->set("show-recents", true);
    writeDockPlist(PlistDict{{"persistent-apps", PlistArray{}}});
    EXPECT_THAT(parser().loadDockPlist(), Optional(PlistDict{{"show-recents", true}}));
}

TEST_F(DockPlistParserTest, DamagedPreferenceFilesReadAsNothing) {
    const auto valid = serializePlist(PlistDict{{"persistent-apps", PlistArray{}}}, PlistFormat::binary);
    ASSERT_TRUE(valid);
    for (const auto& bytes : std::vector<std::optional<std::string>>{
             valid->substr(0, valid->size() / 2),  // truncated
             std::string("bplist00\xFF\xFF\xFF", 11), std::string(),
             std::string("<?xml version=\"1.0\"?><plist><array><string>x</string></array></plist>"),
             *serializePlist(PlistValue("a text"), PlistFormat::binary),
             std::nullopt,  // no file at all
         }) {
        TemporaryFolder home;
        VirtualScheduler scheduler;
        sim::SimMac mac(sim::Desktop{}, home.path(), scheduler, log_);
        if (bytes) {
            ASSERT_TRUE(writeFileAtomically(home / "Library/Preferences/com.apple.dock.plist", *bytes));
        }
        const DockPlistParser parser(mac.userDefaults(), mac.folders(), mac.workspace(), mac.host());
        EXPECT_EQ(parser.loadDockPlist(), std::nullopt) << ::testing::PrintToString(bytes);
    }
}

TEST_F(DockPlistParserTest, AStandardDockFromItsPreferenceFile) {
    start();
    mac().workspace().launch("com.apple.Terminal");
    scheduler_.runUntilIdle();
    settings().excludedBundleIDs = {"com.apple.Safari"};  // only running applications are excluded
    const auto app = [&](const char* bundleID, const char* label, const char* path) {
        return dockApplicationTile(bundleID, label, disk(path));
    };
    writeDockPlist(PlistDict{
        {"persistent-apps",
         PlistArray{
             app("com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app"),
             app("com.apple.Safari", "Safari", "/Applications/Safari.app"),
             dockSpacerTile("spacer-tile"),
             dockSpacerTile("small-spacer-tile"),
             app("com.example.gone", "Gone", "/Applications/Gone.app"),  // stale: neither installed nor there
             dockSpacerTile("flex-spacer-tile"),
             app("com.apple.mail", "", "/System/Applications/Mail.app"),
         }},
        {"persistent-others",
         PlistArray{
             dockFolderTile(disk("~/Downloads"), "Downloads", 2, 3),
             dockFolderTile(disk("~/Documents"), "", std::nullopt, std::nullopt),
             dockFolderTile(disk("~/Odd"), "Odd", -1, 9),  // -1 survives the unsigned integers of the file
             PlistDict{{"tile-type", "directory-tile"},
                       {"tile-data", PlistDict{{"showas", "2"}, {"arrangement", 2.0}}}},
             dockURLTile("https://example.org/", "Example"),
             dockFileTile(disk("~/Documents/Report.pdf"), "Report"),
             dockFileTile(disk("~/Desktop/News.webloc"), ""),
             PlistDict{{"tile-type", "recents-tile"}, {"tile-data", PlistDict{{"file-label", "Stacks"}}}},
             dockSpacerTile("spacer-tile"),
         }},
        {"recent-apps", PlistArray{app("com.apple.Notes", "Notes", "/System/Applications/Notes.app"),
                                   app("com.apple.Notes", "Notes again", "/System/Applications/Notes.app"),
                                   app("com.apple.Safari", "Safari", "/Applications/Safari.app")}},
    });
    const auto plist = parser().loadDockPlist();
    ASSERT_TRUE(plist);
    const auto dock = legacy(*plist);

    // In list order, each renumbered into one sequence in which the regions interleave.
    EXPECT_THAT(
        placed(dock),
        ElementsAre("fixedApps-com.apple.finder-0@0", "fixedApps-com.apple.Safari-1@3",
                    "fixedApps-com.example.gone-4@10", "fixedApps-com.apple.mail-6@14",
                    "running-com.apple.Notes@1", "running-com.apple.Terminal@4", "dockOthers-folder-0@2",
                    "dockOthers-folder-1@5", "dockOthers-folder-2@6", "dockOthers-folder-3@8",
                    "dockOthers-url-4@11", "dockOthers-" + disk("~/Documents/Report.pdf") + "-5@12",
                    "dockOthers-" + disk("~/Desktop/News.webloc") + "-6@15", "dockOthers-unknown-7@16",
                    "trash@17"));
    EXPECT_THAT(
        dock.separators,
        ElementsAre(DockSeparator{"fixedApps-sp-2", DockRegion::fixedApps, 7, SeparatorKind::spacer},
                    DockSeparator{"fixedApps-sp-3", DockRegion::fixedApps, 9, SeparatorKind::smallSpacer},
                    DockSeparator{"fixedApps-sp-5", DockRegion::fixedApps, 13, SeparatorKind::spacer},
                    DockSeparator{"dockOthers-sp-8", DockRegion::dockOthers, 18, SeparatorKind::spacer}));

    const auto& safari = item(dock, "fixedApps-com.apple.Safari-1");
    EXPECT_EQ(safari.kind, DockItemKind::app);
    EXPECT_EQ(safari.path, disk("/Applications/Safari.app"));
    EXPECT_TRUE(safari.isDockPinned && safari.isRunning && safari.isAvailable);
    const auto& gone = item(dock, "fixedApps-com.example.gone-4");
    EXPECT_EQ(gone.title, "Gone");
    EXPECT_TRUE(gone.isDockPinned && gone.isAvailable);
    EXPECT_FALSE(gone.isRunning);
    EXPECT_EQ(item(dock, "fixedApps-com.apple.mail-6").title, "com.apple.mail");

    const auto& notes = item(dock, "running-com.apple.Notes");
    EXPECT_EQ(notes.title, "Notes");  // the recent tile's label: Notes does not run
    EXPECT_EQ(notes.path, disk("/System/Applications/Notes.app"));
    EXPECT_TRUE(notes.isRecentAppsTile);
    EXPECT_FALSE(notes.isRunning || notes.isDockPinned);
    const auto& terminal = item(dock, "running-com.apple.Terminal");
    EXPECT_EQ(terminal.path, disk("/System/Applications/Utilities/Terminal.app"));
    EXPECT_TRUE(terminal.isRunning);
    EXPECT_FALSE(terminal.isRecentAppsTile);

    const auto folder = [&](const char* id) {
        const auto& f = item(dock, id);
        return std::tuple(f.kind, f.title, f.path, f.folderDisplayMode, f.folderArrangement, f.isAvailable);
    };
    EXPECT_EQ(folder("dockOthers-folder-0"),
              std::tuple(DockItemKind::folder, "Downloads", disk("~/Downloads"), FolderDisplayMode::grid,
                         FolderArrangement::dateModified, true));
    EXPECT_EQ(folder("dockOthers-folder-1"),
              std::tuple(DockItemKind::folder, disk("~/Documents"), disk("~/Documents"),
                         FolderDisplayMode::automatic, FolderArrangement::dockDefault, true));
    EXPECT_EQ(folder("dockOthers-folder-2"),
              std::tuple(DockItemKind::folder, "Odd", disk("~/Odd"), FolderDisplayMode::unknown,
                         FolderArrangement::dockDefault, true));
    // Mistyped numbers count as absent; no path at all leaves the folder unavailable.
    EXPECT_EQ(folder("dockOthers-folder-3"),
              std::tuple(DockItemKind::folder, "Folder", std::optional<std::string>(),
                         FolderDisplayMode::automatic, FolderArrangement::dockDefault, false));

    const auto& link = item(dock, "dockOthers-url-4");
    EXPECT_EQ(
        std::tuple(link.kind, link.title, link.path, link.isAvailable),
        std::tuple(DockItemKind::url, "Example", std::optional<std::string>("https://example.org/"), true));
    const auto& report = item(dock, "dockOthers-" + disk("~/Documents/Report.pdf") + "-5");
    EXPECT_EQ(std::tuple(report.kind, report.title, report.isDockPinned),
              std::tuple(DockItemKind::file, "Report", false));
    EXPECT_EQ(item(dock, "dockOthers-" + disk("~/Desktop/News.webloc") + "-6").title,
              disk("~/Desktop/News.webloc"));
    const auto& stacks = item(dock, "dockOthers-unknown-7");
    EXPECT_EQ(std::tuple(stacks.kind, stacks.title, stacks.isAvailable, stacks.activationPolicy),
              std::tuple(DockItemKind::unknown, "Stacks", false, ActivationPolicy::unknown));
    const auto& trash = item(dock, "trash");
    EXPECT_EQ(
        std::tuple(trash.kind, trash.region, trash.title, trash.path),
        std::tuple(DockItemKind::trash, DockRegion::dockOthers, "Trash", std::optional(disk("~/.Trash"))));
}

TEST_F(DockPlistParserTest, WithoutTheFinderAmongTheFixedTilesOneIsMadeUpFirst) {
    auto desktop = standardDesktop();
    desktop.applications[0].name = "Le Finder";
    start(desktop);
    const auto dock = legacy(PlistDict{
        {"persistent-apps", PlistArray{dockApplicationTile("com.apple.Safari", "Safari", std::nullopt)}}});
    EXPECT_THAT(placed(dock),
                ElementsAre("fixedApps-com.apple.finder-0@0", "fixedApps-com.apple.Safari-1@2", "trash@1"));
    const auto& finder = dock.items.front();
    EXPECT_EQ(finder.title, "Le Finder");
    EXPECT_EQ(finder.path, disk("/System/Library/CoreServices/Finder.app"));
    EXPECT_TRUE(finder.isDockPinned && finder.isRunning);

    // With nothing known of the Finder, the fallbacks.
    start(sim::Desktop{});
    const auto bare = legacy(PlistDict{});
    ASSERT_THAT(placed(bare), ElementsAre("fixedApps-com.apple.finder-0@0", "trash@1"));
    EXPECT_EQ(bare.items.front().title, "Finder");
    EXPECT_EQ(bare.items.front().path, "/System/Library/CoreServices/Finder.app");
    EXPECT_FALSE(bare.items.front().isRunning);
    EXPECT_THAT(bare.separators, IsEmpty());
}

TEST_F(DockPlistParserTest, MistypedValuesReadAsAbsent) {
    start();
    runningApps().refreshPinned(PlistDict{{"persistent-apps", PlistArray{}}});
    const auto dock = legacy(PlistDict{
        {"persistent-apps", "com.apple.Safari"},
        {"persistent-others", PlistArray{dockFolderTile("/Downloads", "Downloads", 2, 1), "not a tile"}},
        {"recent-apps", PlistDict{}},
    });
    EXPECT_THAT(placed(dock),
                ElementsAre("fixedApps-com.apple.finder-0@0", "running-com.apple.Safari@1", "trash@2"));

    const auto odd = legacy(
        PlistDict{{"persistent-apps",
                   PlistArray{PlistDict{{"tile-type", "file-tile"}, {"tile-data", "data"}},
                              PlistDict{{"tile-type", 5}, {"file-label", 5}},
                              PlistDict{{"tile-type", "url-tile"}, {"tile-data", PlistDict{{"url", "x"}}}},
                              dockURLTile("https://example.org/", "")}}});
    EXPECT_THAT(placed(odd), ElementsAre("fixedApps-com.apple.finder-0@0", "fixedApps--1@3",
                                         "fixedApps-unknown-2@4", "fixedApps-url-3@5", "fixedApps-url-4@6",
                                         "running-com.apple.Safari@1", "trash@2"));
    EXPECT_EQ(odd.items[1].title, "Item");
    EXPECT_EQ(odd.items[1].kind, DockItemKind::file);
    EXPECT_EQ(odd.items[2].title, "?");
    EXPECT_EQ(std::tuple(odd.items[3].title, odd.items[3].isAvailable), std::tuple("URL", false));
    EXPECT_EQ(odd.items[4].title, "https://example.org/");  // no label: the link itself
}

TEST_F(DockPlistParserTest, RegionsInterleaveByTheirOwnNumbersAndKeepTheirInnerOrder) {
    start();
    RunningAppsService::State running;
    running.pinnedBundleIDs = {"com.apple.finder", "com.apple.Safari"};
    running.unpinnedRunningOrder = {"com.apple.Notes"};
    running.byBundleID["com.apple.Notes"] = {.bundleID = "com.apple.Notes", .localizedName = "Notes"};
    const PlistDict plist{
        {"persistent-apps",
         PlistArray{dockApplicationTile("com.apple.finder", "A", std::nullopt), dockSpacerTile("spacer-tile"),
                    dockApplicationTile("com.apple.Safari", "B", std::nullopt)}},
        {"persistent-others", PlistArray{dockFolderTile("/F", "F", std::nullopt, std::nullopt)}},
    };
    const auto dock = parser().parseLegacyPlist(plist, running, settings());
    EXPECT_THAT(placed(dock), ElementsAre("fixedApps-com.apple.finder-0@0", "fixedApps-com.apple.Safari-2@5",
                                          "running-com.apple.Notes@1", "dockOthers-folder-0@2", "trash@3"));
    EXPECT_THAT(dock.separators, ElementsAre(DockSeparator{"fixedApps-sp-1", DockRegion::fixedApps, 4,
                                                           SeparatorKind::spacer}));
}

// Pinned are the fixed applications only: an application tile among the other tiles is not.
TEST_F(DockPlistParserTest, AnApplicationAmongTheOtherTilesIsNotPinned) {
    start();
    const PlistDict plist{
        {"persistent-apps", PlistArray{dockApplicationTile("com.apple.Safari", "Safari", std::nullopt)}},
        {"persistent-others", PlistArray{dockApplicationTile("com.apple.Notes", "Notes", std::nullopt)}},
    };
    const auto dock = legacy(plist);
    EXPECT_TRUE(item(dock, "fixedApps-com.apple.Safari-1").isDockPinned);  // after the Finder made up
    EXPECT_FALSE(item(dock, "dockOthers-com.apple.Notes-0").isDockPinned);
}

TEST_F(DockPlistParserTest, RunningApplicationsThatThePanelLeavesOut) {
    start();
    RunningAppsService::State running;
    running.pinnedBundleIDs = {"com.apple.finder", "com.apple.Safari"};
    running.unpinnedRunningOrder = {"com.apple.Safari",     "com.example.agent",   "com.example.recentAgent",
                                    "com.example.excluded", "com.example.strange", "com.apple.Notes"};
    const auto record = [&](std::string bundleID, ActivationPolicy policy) {
        running.byBundleID[bundleID] = {
            .bundleID = bundleID, .localizedName = bundleID, .activationPolicy = policy};
    };
    record("com.example.agent", ActivationPolicy::accessory);
    record("com.example.recentAgent", ActivationPolicy::prohibited);
    record("com.example.excluded", ActivationPolicy::regular);
    record("com.example.strange", ActivationPolicy::unknown);
    running.byBundleID["com.example.recentAgent"].localizedName = "Recent Agent";
    running.recentPlistBundleIDs = {"com.example.recentAgent", "com.apple.Notes"};
    running.unpinnedRecentTileInfo["com.example.recentAgent"] = {"Agent tile", std::nullopt};
    running.unpinnedRecentTileInfo["com.apple.Notes"] = {"Notes tile", "/nowhere/Notes.app"};
    settings().excludedBundleIDs = {"com.example.excluded", "com.apple.Safari"};

    const auto items = parser().runningAppsInDockOrder(running, settings().excludedBundleIDs.value(),
                                                       {"com.apple.finder", "com.apple.Safari"});
    ASSERT_EQ(items.size(), 2u);
    // Running: its own name, not the recent tile's label.
    EXPECT_EQ(std::tuple(items[0].itemID.rawValue(), items[0].dockIndex, items[0].isRecentAppsTile,
                         items[0].activationPolicy, items[0].title),
              std::tuple("running-com.example.recentAgent", 0, true, ActivationPolicy::prohibited, "Recent Agent"));
    // Not running: the recent tile's label, and the installed application since the recorded path is gone.
    EXPECT_EQ(std::tuple(items[1].itemID.rawValue(), items[1].dockIndex, items[1].title, items[1].path,
                         items[1].isRunning),
              std::tuple("running-com.apple.Notes", 1, "Notes tile",
                         std::optional(disk("/System/Applications/Notes.app")), false));
}

TEST_F(DockPlistParserTest, RecentApplicationPaths) {
    start();
    const auto parser = this->parser();
    EXPECT_EQ(parser.resolveRecentAppPath("jp.fenwold.lomaret", "/elsewhere"),
              disk("/Applications/Lomaret.app"));
    const auto recorded = disk("/Applications/Safari.app");
    EXPECT_EQ(parser.resolveRecentAppPath("com.example.x", recorded), recorded);
    EXPECT_EQ(parser.resolveRecentAppPath("com.apple.mail", "/gone/Mail.app"),
              disk("/System/Applications/Mail.app"));
    EXPECT_EQ(parser.resolveRecentAppPath("com.example.x", "/gone/X.app"), "/gone/X.app");
    EXPECT_EQ(parser.resolveRecentAppPath("com.example.x", std::nullopt), std::nullopt);
}

TEST_F(DockPlistParserTest, RunningApplicationsListedTwiceBecomeOne) {
    RunningAppsService::State running;
    running.byBundleID["com.apple.Notes"] = {
        .bundleID = "com.apple.Notes", .localizedName = "Notes", .isHidden = true};
    const auto app = [](std::string id, DockRegion region, bool active, bool attention) {
        return DockItem{.itemID = ItemID(id),
                        .region = region,
                        .bundleID = "com.apple.Notes",
                        .isActive = active,
                        .activationPolicy = ActivationPolicy::accessory,
                        .needsAttention = attention};
    };
    std::vector<DockItem> items{
        app("a", DockRegion::runningApps, false, false), app("b", DockRegion::fixedApps, true, true),
        app("c", DockRegion::runningApps, true, false), app("d", DockRegion::runningApps, false, true),
        app("e", DockRegion::runningApps, false, false)};
    items[4].bundleID = "com.example.gone";
    items[4].isRunning = items[4].isActive = items[4].isHidden = true;
    DockPlistParser::dedupeRunningAppsByBundle(items, running);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].itemID.rawValue(), "a");
    // Refreshed from the running record: running, hidden, regular; the record's own flags win.
    EXPECT_EQ(std::tuple(items[0].isRunning, items[0].isHidden, items[0].isActive, items[0].activationPolicy),
              std::tuple(true, true, false, ActivationPolicy::regular));
    EXPECT_EQ(items[1].itemID.rawValue(), "b");  // another region: left alone
    EXPECT_TRUE(items[1].isActive);
    // Not running any more: the flags of a running application go, hidden and the policy stay.
    EXPECT_EQ(std::tuple(items[2].isRunning, items[2].isActive, items[2].isHidden, items[2].activationPolicy),
              std::tuple(false, false, true, ActivationPolicy::accessory));
}

}  // namespace
}  // namespace tavelin
