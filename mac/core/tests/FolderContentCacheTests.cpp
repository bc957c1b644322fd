#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "mac/core/DockStateService.h"
#include "mac/core/FolderContentCache.h"
#include "mac/core/tests/FolderWorld.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Operation = sim::SimFileSystem::Operation;

class FolderContentCacheTest : public FolderWorld {
  protected:
    // A Dock whose other tiles are one folder, "Stacks" in the home folder.
    static sim::Desktop desktopWithStacks() {
        auto desktop = standardDesktop();
        desktop.dock = sim::DesktopDock{.others = {{sim::DesktopDockTileKind::folder, "~/Stacks"}}};
        return desktop;
    }

    FolderContentCacheTest() : FolderWorld(desktopWithStacks()) {
        makeFile("Stacks/a.txt", "a", at(1));
        makeFile("Stacks/Sub/inner.txt", "inner", at(2));
        makeFolder("Stacks/Sub/Deeper");
        setModified(home() / "Stacks/Sub", at(3));
        setModified(home() / "Stacks", at(4));
        settings().folderChildrenSort = FolderArrangement::name;
        cache->attach(dockState);
        scheduler_.runUntilIdle();
        tile = dockFolders().at(0);
    }

    // The folder tiles of the current Dock snapshot, in Dock order.
    std::vector<DockItem> dockFolders() const {
        std::vector<DockItem> folders;
        for (const auto& item : dockState->snapshot()->items) {
            if (item.kind == DockItemKind::folder) folders.push_back(item);
        }
        return folders;
    }
    // The user sets the Dock's other tiles to these folders of the home folder; the Dock is read again.
    std::vector<DockItem> setDockFolders(const std::vector<std::string>& names) {
        sim::DesktopDock dock;
        for (const auto& name : names) dock.others.push_back({sim::DesktopDockTileKind::folder, "~/" + name});
        mac().dock()->configure(dock);
        dockState->rebuild();
        scheduler_.runUntilIdle();
        return dockFolders();
    }
    // The folders listed so far; the Trash, which the Dock state reads for its icon, left out.
    std::vector<fs::path> foldersListed() {
        auto listed = files().listedFolders();
        std::erase(listed, *mac().folders().trashDirectory());
        return listed;
    }
    // How often the folder was listed so far.
    std::size_t listings(const fs::path& folder) {
        return static_cast<std::size_t>(std::ranges::count(files().listedFolders(), folder));
    }
    std::size_t watchesOf(const fs::path& folder) {
        return static_cast<std::size_t>(
            std::ranges::count(watcher_.watches(), folder, &ManualFileWatcher::Watched::path));
    }
    // The "missing" listing of the tile, given without reading the folder.
    void expectRefused(std::string_view relative) {
        const auto refused = cache->snapshot(tile, relative, false);
        EXPECT_FALSE(refused.isReadable) << relative;
        EXPECT_EQ(refused.errorReason, "missing") << relative;
        EXPECT_THAT(refused.children, IsEmpty()) << relative;
        EXPECT_EQ(refused.path, tile.path) << relative;
    }
    void grant(const DockItem& item) { permissions->setFolderAccess(FolderAccessState::granted, *item.path); }

    std::shared_ptr<PermissionsService> permissions = makePermissions();
    std::shared_ptr<FolderContentCache> cache = makeCache(permissions);
    std::shared_ptr<DockStateService> dockState = startDockState();
    DockItem tile;
};

TEST_F(FolderContentCacheTest, AnUnchangedTileIsServedFromTheCacheUntilItsFolderChanges) {
    const auto first = cache->snapshot(tile, "", true);
    ASSERT_TRUE(first.isReadable);
    scheduler_.advance(5s);
    EXPECT_EQ(cache->snapshot(tile, "", false), first);  // same revision: not listed again
    EXPECT_EQ(listings(*tile.path), 1u);

    makeFile("Stacks/b.txt", "b");
    setModified(*tile.path, at(100));
    const auto second = cache->snapshot(tile, "", false);
    EXPECT_EQ(second.children.size(), 3u);
    EXPECT_EQ(second.revision, first.revision + 5);
    EXPECT_EQ(listings(*tile.path), 2u);
}

TEST_F(FolderContentCacheTest, AWatcherEventRelistsTheTileHalfASecondLaterOnceForABurst) {
    grant(tile);
    (void)cache->snapshot(tile, "", false);
    EXPECT_EQ(watchesOf(*tile.path), 1u);

    makeFile("Stacks/b.txt", "b");
    watcher_.emit(*tile.path, FileEvent::entryCreated);
    scheduler_.advance(400ms);
    for (int file = 0; file < 200; ++file) watcher_.emit(*tile.path, FileEvent::entryCreated);
    scheduler_.advance(99ms);
    EXPECT_EQ(listings(*tile.path), 1u);
    scheduler_.advance(1ms);
    EXPECT_EQ(listings(*tile.path), 2u);
    EXPECT_EQ(watchesOf(*tile.path), 1u);  // replaced, not added to
    scheduler_.advance(5s);
    EXPECT_EQ(listings(*tile.path), 2u);  // the burst is one relist

    // A change after the relist gets its own.
    makeFile("Stacks/c.txt", "c");
    watcher_.emit(*tile.path, FileEvent::entryCreated);
    scheduler_.advance(500ms);
    EXPECT_EQ(listings(*tile.path), 3u);
    EXPECT_EQ(cache->snapshot(tile, "", false).children.size(), 4u);
    EXPECT_EQ(listings(*tile.path), 3u);
}

TEST_F(FolderContentCacheTest, ASubfolderIsServedFor60SecondsWhateverChanges) {
    grant(tile);
    const auto sub = cache->snapshot(tile, "Sub", false);
    EXPECT_TRUE(sub.isReadable);
    EXPECT_EQ(sub.folderID, tile.itemID);
    EXPECT_EQ(sub.title, "Sub");
    EXPECT_EQ(sub.path, (home() / "Stacks/Sub").string());
    ASSERT_EQ(sub.children.size(), 2u);
    EXPECT_EQ(sub.children[0].childID, ChildID("Sub/Deeper"));

    makeFile("Stacks/Sub/new.txt");
    setModified(home() / "Stacks/Sub", at(200));
    scheduler_.advance(59s);
    EXPECT_EQ(cache->snapshot(tile, "Sub", false), sub);
    scheduler_.advance(1s);
    EXPECT_EQ(cache->snapshot(tile, "Sub", false).children.size(), 3u);
    EXPECT_EQ(watchesOf(home() / "Stacks/Sub"), 0u);  // only tiles are watched
}

TEST_F(FolderContentCacheTest, AnUnsettledFolderIsReadOnlyWhenTheUserAsks) {
    const auto pending = cache->snapshot(tile, "", false);
    EXPECT_FALSE(pending.isReadable);
    EXPECT_EQ(pending.errorReason, "pending");
    EXPECT_EQ(pending.revision, 1);
    EXPECT_EQ(pending.path, tile.path);
    EXPECT_THAT(pending.children, IsEmpty());
    EXPECT_THAT(foldersListed(), IsEmpty());

    const auto listed = cache->snapshot(tile, "", true);
    EXPECT_TRUE(listed.isReadable);
    EXPECT_EQ(permissions->folderAccess(*tile.path), FolderAccessState::granted);
    EXPECT_EQ(cache->snapshot(tile, "", false), listed);
    // A stored listing is served before the gate is asked.
    permissions->setFolderAccess(FolderAccessState::denied, *tile.path);
    EXPECT_EQ(cache->snapshot(tile, "", false), listed);

    // Recorded as denied: "permission" whoever asks, without touching the disk.
    const auto other = folderItem("other", makeFolder("Other"));
    permissions->setFolderAccess(FolderAccessState::denied, *other.path);
    for (const bool userInitiated : {false, true}) {
        const auto refused = cache->snapshot(other, "", userInitiated);
        EXPECT_EQ(refused.errorReason, "permission");
        EXPECT_EQ(refused.revision, 1);
    }
    EXPECT_EQ(listings(*other.path), 0u);
}

TEST_F(FolderContentCacheTest, ListingsRecordAccessButAMissingFolderRecordsNothing) {
    files().refuse(Operation::list, *tile.path, FileSystemError::posix(EACCES, *tile.path));
    EXPECT_EQ(cache->snapshot(tile, "", true).errorReason, "permission");
    EXPECT_EQ(permissions->folderAccess(*tile.path), FolderAccessState::denied);
    EXPECT_EQ(watchesOf(*tile.path), 0u);

    const auto gone = folderItem("gone", home() / "Gone");
    EXPECT_EQ(cache->snapshot(gone, "", true).errorReason, "missing");
    EXPECT_EQ(cache->snapshot(gone, "", false).errorReason, "missing");  // no gate for a missing path
    EXPECT_THAT(permissions->storedFolderPaths(), ElementsAre(*tile.path));

    const auto unreadable = folderItem("unreadable", makeFolder("Unreadable"));
    files().refuse(Operation::list, *unreadable.path, FileSystemError::posix(EIO, *unreadable.path));
    EXPECT_EQ(cache->snapshot(unreadable, "", true).errorReason, "unreadable");
    EXPECT_EQ(permissions->folderAccess(*unreadable.path), FolderAccessState::unknown);
}

TEST_F(FolderContentCacheTest, ARelativePathFromOutsideNeverLeavesTheTilesFolder) {
    grant(tile);
    makeFile("secret.txt", "outside");
    const std::vector<std::string> hostile = {"..",
                                              "../",
                                              "Sub/../..",
                                              "/etc",
                                              "/",
                                              "Sub//Deeper",
                                              "./Sub",
                                              "Sub/.",
                                              "Sub/",
                                              "../Stacks/Sub",
                                              std::string("Sub\0x", 5)};
    for (const auto& relative : hostile) expectRefused(relative);
    EXPECT_THAT(foldersListed(), IsEmpty());

    const auto deeper = cache->snapshot(tile, "Sub/Deeper", false);
    EXPECT_TRUE(deeper.isReadable);
    EXPECT_EQ(deeper.path, (home() / "Stacks/Sub/Deeper").string());
}

TEST_F(FolderContentCacheTest, ASymbolicLinkBelowTheTileIsNeverFollowed) {
    grant(tile);
    makeFile("Outside/secret.txt", "outside");
    makeFolder("Outside/Deeper");
    fs::create_directory_symlink("../Outside", home() / "Stacks/Escape");
    fs::create_directory_symlink(home() / "Outside", home() / "Stacks/Sub/Escape");
    fs::create_directory_symlink("Sub", home() / "Stacks/Alias");

    for (const auto* relative : {"Escape", "Escape/Deeper", "Sub/Escape", "Sub/Escape/Deeper", "Alias"})
        expectRefused(relative);
    EXPECT_THAT(foldersListed(), IsEmpty());

    // Nothing was stored: once the link is a folder, it is listed at once.
    fs::remove(home() / "Stacks/Escape");
    makeFile("Stacks/Escape/inside.txt");
    EXPECT_TRUE(cache->snapshot(tile, "Escape", false).isReadable);

    // The tile's own path may be a link.
    fs::create_directory_symlink(home() / "Stacks", home() / "StacksLink");
    const auto linked = cache->snapshot(folderItem("linked", home() / "StacksLink"), "Sub", false);
    EXPECT_TRUE(linked.isReadable);
    EXPECT_EQ(linked.children.size(), 3u);  // inner.txt, Deeper and the link Escape
}

TEST_F(FolderContentCacheTest, TheSixtyFifthEntryEvictsTheOneStoredFirst) {
    grant(tile);
    for (int i = 0; i < 65; ++i) makeFolder("Stacks/Many/" + std::to_string(i));
    for (int i = 0; i < 65; ++i) (void)cache->snapshot(tile, "Many/" + std::to_string(i), false);
    EXPECT_EQ(listings(home() / "Stacks/Many/1"), 1u);

    (void)cache->snapshot(tile, "Many/1", false);
    EXPECT_EQ(listings(home() / "Stacks/Many/1"), 1u);
    (void)cache->snapshot(tile, "Many/0", false);
    EXPECT_EQ(listings(home() / "Stacks/Many/0"), 2u);  // it was the first, and went
    // Stored again, it is the newest: the one stored second went for it.
    (void)cache->snapshot(tile, "Many/0", false);
    EXPECT_EQ(listings(home() / "Stacks/Many/0"), 2u);
}

TEST_F(FolderContentCacheTest, ATileLeavingTheDockTakesItsEntriesAndItsWatcher) {
    makeFolder("Other");
    auto folders = setDockFolders({"Other", "Stacks"});
    ASSERT_EQ(folders.size(), 2u);
    const auto other = folders[0];
    tile = folders[1];
    grant(tile);
    grant(other);
    (void)cache->snapshot(tile, "", false);
    (void)cache->snapshot(tile, "Sub", false);
    (void)cache->snapshot(other, "", false);
    EXPECT_EQ(watchesOf(*tile.path), 1u);
    EXPECT_EQ(watchesOf(*other.path), 1u);

    ASSERT_EQ(setDockFolders({"Other"}).at(0), other);
    EXPECT_EQ(watchesOf(*tile.path), 0u);
    EXPECT_EQ(watchesOf(*other.path), 1u);
    (void)cache->snapshot(tile, "Sub", false);
    EXPECT_EQ(listings(home() / "Stacks/Sub"), 2u);
    (void)cache->snapshot(other, "", false);
    EXPECT_EQ(listings(*other.path), 1u);

    // A tile put before it gives the folder another identifier: the old watch goes.
    makeFolder("New");
    folders = setDockFolders({"New", "Other"});
    ASSERT_NE(folders.at(1).itemID, other.itemID);
    EXPECT_EQ(watchesOf(*other.path), 0u);
    (void)cache->snapshot(folders[1], "", false);
    EXPECT_EQ(watchesOf(*other.path), 1u);
    EXPECT_EQ(listings(*other.path), 2u);
}

TEST_F(FolderContentCacheTest, APrefetchPassListsTheFirstSixteenGrantedFoldersAndTwelveSubfoldersEach) {
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) names.push_back("Dock/" + std::to_string(i));
    for (int i = 0; i < 30; ++i) makeFolder("Dock/10/Sub " + std::to_string(i));
    const auto items = setDockFolders(names);
    ASSERT_EQ(items.size(), 20u);
    for (const auto& item : items) grant(item);
    permissions->setFolderAccess(FolderAccessState::unknown, *items[3].path);

    cache->checkAllRootFolders({});  // no folders to check: only the pass
    EXPECT_THAT(foldersListed(), IsEmpty());
    scheduler_.runUntilIdle();

    // The first sixteen by Dock position, but the unsettled one.
    for (int i = 0; i < 20; ++i) {
        const auto expected = (i < 16 && i != 3) ? 1u : 0u;
        EXPECT_EQ(listings(*items[i].path), expected) << i;
    }
    EXPECT_TRUE(permissions->folderCheckDone.value());

    // Of folder 10's thirty sub-folders, the first twelve in display order: Sub 0, Sub 1, Sub 10 to 19.
    for (int i = 0; i < 30; ++i) {
        const auto sub = home() / "Dock/10" / ("Sub " + std::to_string(i));
        EXPECT_EQ(listings(sub), (i < 2 || (i >= 10 && i < 20)) ? 1u : 0u) << i;
    }
    const auto listed = foldersListed().size();
    const auto prefetched = cache->snapshot(items[10], "Sub 11", false);
    EXPECT_TRUE(prefetched.isReadable);
    EXPECT_EQ(prefetched.title, "Sub 11");
    EXPECT_EQ(foldersListed().size(), listed);
}

TEST_F(FolderContentCacheTest, CheckingAllFoldersSkipsTheDeniedOnesAndListsTheUnsettledOnes) {
    const auto denied = folderItem("denied", makeFolder("Denied"), 1);
    const auto unsettled = folderItem("unsettled", makeFolder("Unsettled"), 2);
    permissions->setFolderAccess(FolderAccessState::denied, *denied.path);
    cache->checkAllRootFolders({unsettled, tile, denied, DockItem{.itemID = ItemID("app")}});
    EXPECT_EQ(listings(*denied.path), 0u);
    EXPECT_EQ(permissions->folderAccess(*unsettled.path), FolderAccessState::granted);
    EXPECT_EQ(permissions->folderAccess(*tile.path), FolderAccessState::granted);
    EXPECT_TRUE(mac().standardUserDefaults().boolForKey("permissions.folderCheckDone"));
    EXPECT_EQ(cache->folderStatus({unsettled, tile, denied, DockItem{.itemID = ItemID("app")}}),
              (FolderContentCache::FolderStatus{3, 2, 1}));
    EXPECT_EQ(cache->folderStatus({}), (FolderContentCache::FolderStatus{0, 0, 0}));
}

TEST_F(FolderContentCacheTest, ThePassiveRecheckReadsOnlySettledFolders) {
    const auto granted = folderItem("granted", makeFolder("Granted"));
    const auto denied = folderItem("denied", makeFolder("Denied"));
    const auto flaky = folderItem("flaky", makeFolder("Flaky"));
    const auto stored = makeFolder("Stored").string();
    permissions->setFolderAccess(FolderAccessState::granted, *granted.path);
    permissions->setFolderAccess(FolderAccessState::denied, *denied.path);
    permissions->setFolderAccess(FolderAccessState::granted, *flaky.path);
    permissions->setFolderAccess(FolderAccessState::granted, stored);
    files().refuse(Operation::list, *granted.path, FileSystemError::posix(EPERM, *granted.path));
    files().refuse(Operation::list, *flaky.path, FileSystemError::posix(EIO, *flaky.path));
    files().refuse(Operation::list, stored, {FileErrorDomain::cocoa, kCocoaFileReadNoPermission, "no"});

    cache->passiveRecheckFolderAccess({tile, granted, denied, flaky});
    EXPECT_EQ(listings(*tile.path), 0u);  // unknown: never read
    EXPECT_EQ(permissions->folderAccess(*granted.path), FolderAccessState::denied);
    EXPECT_EQ(permissions->folderAccess(*denied.path), FolderAccessState::granted);
    EXPECT_EQ(permissions->folderAccess(*flaky.path), FolderAccessState::granted);
    EXPECT_EQ(permissions->folderAccess(stored), FolderAccessState::denied);
    EXPECT_EQ(listings(stored), 1u);
}

TEST_F(FolderContentCacheTest, WithoutThePermissionsServiceListingGoesOnUnguarded) {
    permissions.reset();
    const auto listed = cache->snapshot(tile, "", false);
    EXPECT_TRUE(listed.isReadable);
    cache->checkAllRootFolders({tile});
    cache->passiveRecheckFolderAccess({tile});
    scheduler_.runUntilIdle();
    EXPECT_EQ(listings(*tile.path), 1u);  // no prefetch without it
    EXPECT_EQ(cache->folderStatus({tile}), (FolderContentCache::FolderStatus{1, 0, 0}));
}

TEST_F(FolderContentCacheTest, AListingsTokensLeadToTheChildrensPictures) {
    grant(tile);
    const auto listing = cache->snapshot(tile, "", false);
    ASSERT_EQ(listing.children.size(), 2u);
    const auto icons =
        this->icons().iconData({*listing.children[0].iconToken, *listing.children[1].iconToken}, {});
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[1].token, *listing.children[1].iconToken);
    EXPECT_EQ(icons[1].pixelSize, 128);
}

}  // namespace
}  // namespace tavelin
