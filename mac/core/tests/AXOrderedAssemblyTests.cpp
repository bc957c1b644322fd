#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/core/PlistTileMetadata.h"
#include "mac/core/tests/DockWorld.h"
#include "platform/FileURL.h"
#include "platform/sim/DockTiles.h"

namespace tavelin {
namespace {

using sim::DesktopDockTileKind;
using ::testing::ElementsAre;

class AXOrderedAssemblyTest : public DockWorld {
  protected:
    // What a rebuild does: the preferences from the file, the two syncs, the Accessibility order.
    ParsedDock rebuild() {
        scheduler_.runUntilIdle();
        const auto plist = parser().loadDockPlist();
        EXPECT_TRUE(plist);
        runningApps().refreshPinned(plist);
        runningApps().syncUnpinnedRunningOrder(plist);
        const auto entries = axReader().readEntries();
        EXPECT_TRUE(entries);
        return parser().parse(entries.value_or(std::vector<Entry>{}), plist.value_or(PlistDict{}),
                              runningApps().state(), settings());
    }
    ParsedDock assemble(const std::vector<Entry>& entries, const PlistDict& plist) {
        scheduler_.runUntilIdle();
        runningApps().refreshPinned(plist);
        runningApps().syncUnpinnedRunningOrder(plist);
        return parser().parse(entries, plist, runningApps().state(), settings());
    }
    static std::vector<std::string> placed(const ParsedDock& dock) {
        std::vector<std::string> placed;
        for (const auto& item : dock.items) {
            placed.push_back(std::string(toString(item.region)) + " " + item.itemID.rawValue() + "@" +
                             std::to_string(item.dockIndex));
        }
        return placed;
    }
    Application app(const char* title, const char* macPath, const char* bundleID) {
        return Application{title, disk(macPath), bundleID};
    }
};

TEST_F(AXOrderedAssemblyTest, TheDockAsItShowsItselfWithTwoSeparators) {
    auto& mac = startWithDock({
        .fixed = {{.target = "com.apple.finder"}, {.target = "com.apple.Safari"}},
        .others =
            {{.kind = DesktopDockTileKind::folder, .target = "~/Downloads", .showAs = 2, .arrangement = 1}},
    });
    mac.workspace().launch("com.apple.Notes");
    const auto dock = rebuild();

    const auto downloads = disk("~/Downloads");
    EXPECT_THAT(placed(dock),
                ElementsAre("fixedApps ax-0-com.apple.finder@0", "fixedApps ax-1-com.apple.Safari@1",
                            "runningApps ax-3-com.apple.Notes@3",
                            "dockOthers ax-5-folder-" + downloads + "@5", "dockOthers trash@6"));
    EXPECT_THAT(
        dock.separators,
        ElementsAre(DockSeparator{"ax-separator-2", DockRegion::fixedApps, 2, SeparatorKind::separator},
                    DockSeparator{"ax-separator-4", DockRegion::runningApps, 4, SeparatorKind::separator}));
    const auto& safari = dock.items[1];
    EXPECT_EQ(std::tuple(safari.title, safari.path, safari.isDockPinned, safari.isRunning),
              std::tuple("Safari", std::optional(disk("/Applications/Safari.app")), true, true));
    const auto& notes = dock.items[2];
    EXPECT_EQ(std::tuple(notes.isDockPinned, notes.isRunning, notes.isRecentAppsTile),
              std::tuple(false, true, false));
    const auto& folder = dock.items[3];
    EXPECT_EQ(std::tuple(folder.kind, folder.title, folder.folderDisplayMode, folder.folderArrangement,
                         folder.isDockPinned),
              std::tuple(DockItemKind::folder, "Downloads", FolderDisplayMode::grid, FolderArrangement::name,
                         true));
    EXPECT_EQ(dock.items[4].path, disk("~/.Trash"));
}

TEST_F(AXOrderedAssemblyTest, WithOneSeparatorTheTilesAfterItAreReadAsRunning) {
    startWithDock(
        {.fixed = {{.target = "com.apple.finder"}},
         .others = {{.kind = DesktopDockTileKind::folder, .target = "~/Downloads"},
                    {.kind = DesktopDockTileKind::file, .target = "~/Report.pdf", .label = "Report"}}});
    mac().workspace().launch("com.apple.Notes");
    const auto dock = assemble(
        {app("Finder", "/System/Library/CoreServices/Finder.app", "com.apple.finder"),
         app("Notes", "/System/Applications/Notes.app", "com.apple.Notes"), Separator{},
         app("Mail", "/System/Applications/Mail.app", "com.apple.mail"),
         Folder{"Downloads", disk("~/Downloads")}, Document{"Report", disk("~/Report.pdf")}, Trash{""}},
        *parser().loadDockPlist());
    EXPECT_THAT(placed(dock),
                ElementsAre("fixedApps ax-0-com.apple.finder@0", "runningApps ax-1-com.apple.Notes@1",
                            "runningApps ax-3-com.apple.mail@3",
                            "dockOthers ax-4-folder-" + disk("~/Downloads") + "@4",
                            "dockOthers ax-5-doc-" + disk("~/Report.pdf") + "@5", "dockOthers trash@6"));
    EXPECT_THAT(dock.separators, ElementsAre(DockSeparator{"ax-separator-2", DockRegion::fixedApps, 2,
                                                           SeparatorKind::separator}));
    EXPECT_EQ(dock.items[4].title, "Report");
    EXPECT_EQ(dock.items[4].kind, DockItemKind::file);
    EXPECT_EQ(dock.items[5].title, "Trash");
}

TEST_F(AXOrderedAssemblyTest, DroppedEntriesLeaveGapsInTheIndices) {
    startWithDock({.fixed = {{.target = "com.apple.finder"}}});
    auto& workspace = mac().workspace();
    workspace.launchProcess({.bundleIdentifier = "com.example.agent", .activationPolicy = 1});
    workspace.launchProcess({.bundleIdentifier = "com.example.recentAgent", .activationPolicy = 1});
    workspace.launchProcess({.bundleIdentifier = "com.example.excluded"});
    settings().excludedBundleIDs = {"com.example.excluded", "com.apple.finder"};
    const PlistDict plist{
        {"persistent-apps", PlistArray{sim::dockApplicationTile("com.apple.finder", "Finder", std::nullopt),
                                       sim::dockApplicationTile("com.example.agent", "Agent", std::nullopt)}},
        {"recent-apps",
         PlistArray{sim::dockApplicationTile("com.example.recentAgent", "Recent", std::nullopt)}},
    };
    const auto dock = assemble(
        {Application{"Finder", std::nullopt, "com.apple.finder"},
         Application{"Agent", std::nullopt, "com.example.agent"},  // pinned among the fixed tiles: stays
         Folder{"Nowhere", std::nullopt}, Document{"", std::nullopt}, Separator{},
         Application{"", std::nullopt, "com.example.excluded"},
         Application{"", std::nullopt, "com.example.agent"},
         Application{"", std::nullopt, "com.example.recentAgent"}, Separator{}, Trash{"Bin"}},
        plist);
    EXPECT_THAT(placed(dock),
                ElementsAre("fixedApps ax-0-com.apple.finder@0", "fixedApps ax-1-com.example.agent@1",
                            "runningApps ax-7-com.example.recentAgent@7", "dockOthers trash@9"));
    EXPECT_THAT(
        dock.separators,
        ElementsAre(DockSeparator{"ax-separator-4", DockRegion::fixedApps, 4, SeparatorKind::separator},
                    DockSeparator{"ax-separator-8", DockRegion::runningApps, 8, SeparatorKind::separator}));
    EXPECT_EQ(dock.items[1].activationPolicy, ActivationPolicy::accessory);
    EXPECT_TRUE(dock.items[2].isRecentAppsTile);
    EXPECT_EQ(dock.items[3].title, "Bin");
}

TEST_F(AXOrderedAssemblyTest, ThePreferencesCompleteWhatTheTreeLacks) {
    startWithDock({});
    mac().workspace().launch("com.apple.Terminal");
    std::filesystem::create_directories(home_ / "Work/Projects");
    const PlistDict plist{
        {"persistent-apps", PlistArray{sim::dockApplicationTile("com.apple.mail", "Post", "/Mail/Post.app")}},
        {"persistent-others", PlistArray{sim::dockFolderTile(disk("~/Downloads"), "Downloads", 2, 2),
                                         sim::dockFolderTile(disk("~/Work/Projects"), "", 3, std::nullopt),
                                         sim::dockFileTile(disk("~/Report.pdf"), "Report")}},
    };
    const auto dock = assemble({Application{"POST", std::nullopt, std::nullopt},      // by its label, any case
                                Application{"Terminal", std::nullopt, std::nullopt},  // by the running name
                                Application{"LOMARET", std::nullopt, std::nullopt},   // the program itself
                                Separator{}, Separator{}, Application{"Unknown", std::nullopt, std::nullopt},
                                Folder{"downloads", std::nullopt}, Folder{" Projects\n", std::nullopt},
                                Document{"REPORT", std::nullopt}},
                               plist);
    const auto program = disk("/Applications/Lomaret.app");
    const auto resolved = [&](std::size_t i) {
        return std::tuple(dock.items[i].bundleID, dock.items[i].path, dock.items[i].title);
    };
    ASSERT_EQ(dock.items.size(), 7u);
    EXPECT_EQ(resolved(0), std::tuple("com.apple.mail", "/Mail/Post.app", "POST"));
    EXPECT_EQ(dock.items[0].region, DockRegion::fixedApps);
    EXPECT_EQ(resolved(1), std::tuple("com.apple.Terminal",
                                      disk("/System/Applications/Utilities/Terminal.app"), "Terminal"));
    EXPECT_EQ(resolved(2), std::tuple("jp.fenwold.lomaret", program, "LOMARET"));
    EXPECT_EQ(resolved(3), std::tuple(std::nullopt, std::nullopt, "Unknown"));
    EXPECT_EQ(dock.items[3].itemID.rawValue(), "ax-5-Unknown");
    EXPECT_EQ(dock.items[3].region, DockRegion::dockOthers);
    EXPECT_EQ(
        std::tuple(dock.items[4].path, dock.items[4].title, dock.items[4].folderDisplayMode,
                   dock.items[4].folderArrangement),
        std::tuple(disk("~/Downloads"), "Downloads", FolderDisplayMode::grid, FolderArrangement::dateAdded));
    EXPECT_EQ(std::tuple(dock.items[5].path, dock.items[5].title, dock.items[5].folderDisplayMode),
              std::tuple(disk("~/Work/Projects"), " Projects\n", FolderDisplayMode::list));
    EXPECT_EQ(std::tuple(dock.items[6].itemID.rawValue(), dock.items[6].title, dock.items[6].kind),
              std::tuple("ax-8-doc-" + disk("~/Report.pdf"), "Report", DockItemKind::file));

    const PlistTileMetadata metadata(plist, {}, mac().workspace(), mac().host());
    // A folder that says nothing of its display counts as 0, automatic.
    EXPECT_EQ(metadata.folderInfoByPath.find(disk("~/Report.pdf")), nullptr);
    EXPECT_EQ(metadata.folderInfoByPath.find(disk("~/Downloads"))->showas, 2);
    auto plainFolder = plist;
    plainFolder.set("persistent-others", PlistArray{sim::dockFolderTile(disk("~/Work"), "Work", std::nullopt, 1)});
    EXPECT_EQ(PlistTileMetadata(plainFolder, {}, mac().workspace(), mac().host())
                  .folderInfoByPath.find(disk("~/Work"))->showas,
              0);
    // The program's own name, the display name or "Tavelin", in any case.
    for (const auto* title : {"lomaret", "TAVELIN"}) {
        EXPECT_EQ(metadata.resolveApp(std::nullopt, std::nullopt, title, runningApps().state()),
                  (PlistTileMetadata::ResolvedApp{program, "jp.fenwold.lomaret"}));
    }
    // Its own bundle ID without a path: its own bundle; with one, the path shown stays.
    EXPECT_EQ(metadata.resolveApp(std::nullopt, "jp.fenwold.lomaret", "", runningApps().state()),
              (PlistTileMetadata::ResolvedApp{program, "jp.fenwold.lomaret"}));
    EXPECT_EQ(metadata.resolveApp("/Copies/Lomaret.app", "jp.fenwold.lomaret", "", runningApps().state()),
              (PlistTileMetadata::ResolvedApp{"/Copies/Lomaret.app", "jp.fenwold.lomaret"}));
}

TEST_F(AXOrderedAssemblyTest, AWebLinkTileStaysALinkWithOrWithoutAccessibility) {
    startWithDock(
        {.others = {{.kind = DesktopDockTileKind::url, .target = "https://example.org/news", .label = "News"},
                    {.kind = DesktopDockTileKind::file, .target = "~/Desktop/Site.webloc"}}});
    const auto dock = rebuild();
    const auto kindOf = [](const ParsedDock& dock, const std::string& path) {
        const auto found = std::ranges::find(dock.items, std::optional(path), &DockItem::path);
        return found == dock.items.end() ? std::nullopt
                                         : std::optional(std::tuple(found->kind, found->title));
    };
    EXPECT_EQ(kindOf(dock, "https://example.org/news"), std::tuple(DockItemKind::url, "News"));
    EXPECT_EQ(kindOf(dock, disk("~/Desktop/Site.webloc")), std::tuple(DockItemKind::url, "Site.webloc"));

    // The preference file alone says the same of the link.
    const auto legacy =
        parser().parseLegacyPlist(*parser().loadDockPlist(), runningApps().state(), settings());
    EXPECT_EQ(kindOf(legacy, "https://example.org/news"), std::tuple(DockItemKind::url, "News"));
}

TEST_F(AXOrderedAssemblyTest, AnApplicationShownTwiceInTheRunningSectionIsKeptOnceWithoutRenumbering) {
    startWithDock({});
    const auto notes = *mac().workspace().launch("com.apple.Notes");
    mac().workspace().activate(notes);
    const auto dock =
        assemble({Separator{}, Application{"Notes", std::nullopt, "com.apple.Notes"},
                  Application{"Notes", std::nullopt, "com.apple.Notes"}, Separator{}, Trash{""}},
                 PlistDict{});
    EXPECT_THAT(placed(dock), ElementsAre("runningApps ax-1-com.apple.Notes@1", "dockOthers trash@4"));
    EXPECT_TRUE(dock.items[0].isActive);
    EXPECT_EQ(dock.separators.back().dockIndex, 3);
}

TEST_F(AXOrderedAssemblyTest, TheExampleDesktopReadsAlikeWithAndWithoutAccessibility) {
    auto loaded = sim::SimMac::load(std::filesystem::path(TAVELIN_SOURCE_DIR) / "examples/desktop.json",
                                    home_.path(), scheduler_, log_);
    ASSERT_TRUE(loaded) << loaded.error().message;
    mac_ = std::move(*loaded);
    settings_ = std::make_unique<AppSettings>(mac_->standardUserDefaults(), mac_->host(), scheduler_.main());
    mac_->accessibility().setProcessTrusted(true);
    const auto inAXOrder = rebuild();
    auto legacy = parser().parseLegacyPlist(*parser().loadDockPlist(), runningApps().state(), settings());

    // The same tiles in the same order, once the file's items are put in Dock order.
    std::ranges::stable_sort(legacy.items, {},
                             [](const DockItem& item) { return std::tuple(item.region, item.dockIndex); });
    const auto facts = [](const ParsedDock& dock) {
        std::vector<std::string> facts;
        for (const auto& item : dock.items) {
            facts.push_back(
                std::string(toString(item.region)) + " " + std::string(toString(item.kind)) + " " +
                item.title + " " + item.path.value_or("-") + " " + item.bundleID.value_or("-") +
                // The file alone pins only applications; the tree pins every tile of the Dock's own.
                (item.isDockPinned && item.kind != DockItemKind::file ? " pinned" : "") +
                (item.isRunning ? " running" : "") + (item.isActive ? " active" : "") +
                (item.isRecentAppsTile ? " recent" : ""));
        }
        return facts;
    };
    EXPECT_EQ(facts(inAXOrder), facts(legacy));
    EXPECT_EQ(inAXOrder.items.size(),
              12u);  // five fixed, a recent and a running application, four others, the Trash
    EXPECT_THAT(log_.lines(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace tavelin
