#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "mac/switcher/tests/SwitcherInputWorld.h"

namespace tavelin {
namespace {

using ::testing::UnorderedElementsAreArray;

// Dock folders on every kind of volume, each holding "match.txt" and "xylophone.txt".
sim::Desktop foldersDesktop() {
    auto desktop = SwitcherWorld::standardDesktop();
    desktop.dock->others.clear();
    for (const auto* folder : {"~/Downloads", "~/Documents", "~/Projects", "~/Archive", "~/Stick", "~/Share",
                               "~/Odd Volume", "~/Denied"})
        desktop.dock->others.push_back({sim::DesktopDockTileKind::folder, folder});
    return desktop;
}

class SwitcherFolderSearchTest : public SwitcherInputWorld {
  protected:
    SwitcherFolderSearchTest() : SwitcherInputWorld(foldersDesktop()) {
        for (const auto* name :
             {"Downloads", "Documents", "Projects", "Archive", "Stick", "Share", "Odd Volume", "Denied"}) {
            const auto folder = mac_.diskPath(std::string("~/") + name);
            std::filesystem::create_directories(folder);
            for (const auto* file : {"match.txt", "xylophone.txt"}) std::ofstream(folder / file) << "x";
        }
        rebuildDock();
        auto& files = mac_.fileSystem();
        files.mount(path("Stick"), VolumeFacts{.isRemovable = false, .isEjectable = true, .isLocal = true});
        files.mount(path("Share"), VolumeFacts{.isRemovable = false, .isEjectable = false, .isLocal = false});
        files.mount(path("Projects"), VolumeFacts{});  // nothing reported: local
        files.refuse(sim::SimFileSystem::Operation::readVolume, path("Odd Volume"),
                     FileSystemError::posix(EIO, path("Odd Volume")));
        permissions_->setFolderAccess(FolderAccessState::denied, path("Denied").string());
        openAnchored();
        pointAway();
    }

    std::filesystem::path path(const std::string& name) { return mac_.diskPath("~/" + name); }
    std::string titleOfFolder(const ItemID& id) {
        for (const auto& item : switcher().navigator.value()->snapshot().items)
            if (item.itemID == id) return item.title;
        return {};
    }
    // The folders whose hits the navigator holds, by title.
    std::vector<std::string> foldersWithHits() {
        std::vector<std::string> titles;
        for (const auto& [id, hits] : switcher().navigator.value()->searchFolderHits())
            titles.push_back(titleOfFolder(id));
        return titles;
    }
    // Runs the main queue and every folder listing until the search has finished.
    void finishSearch() {
        do {
            scheduler_.runUntilIdle();
        } while (utilityQueue_.step());
        scheduler_.runUntilIdle();
    }
};

TEST_F(SwitcherFolderSearchTest, OnlyFoldersWhoseReadingRaisesNoPromptAreSearched) {
    switcher().setFilterText("match");
    finishSearch();
    // Not Downloads or Documents (standard folders without a record), not the removable, network,
    // unreadable or denied ones.
    EXPECT_THAT(foldersWithHits(), UnorderedElementsAreArray({"Projects", "Archive"}));

    // The records are read again for each search: a grant since the last keystroke counts at once.
    for (const auto* name : {"Documents", "Stick", "Share", "Odd Volume"})
        permissions_->setFolderAccess(FolderAccessState::granted, path(name).string());
    permissions_->setFolderAccess(FolderAccessState::denied, path("Projects").string());
    switcher().setFilterText("matc");
    finishSearch();
    EXPECT_THAT(foldersWithHits(),
                UnorderedElementsAreArray({"Documents", "Archive", "Stick", "Share", "Odd Volume"}));
    const auto& hits = switcher().navigator.value()->searchFolderHits();
    for (const auto& [id, children] : hits) {
        ASSERT_EQ(children.size(), 1u);
        EXPECT_EQ(children[0].title, "match");
    }
}

TEST_F(SwitcherFolderSearchTest, AnEarlierKeystrokesHitsAreNeverShownAndClearingLeavesNone) {
    switcher().setFilterText("xylo");
    scheduler_.runUntilIdle();
    ASSERT_TRUE(utilityQueue_.step());  // the first folder of "xylo" is listed...
    switcher().setFilterText("match");  // ...when the user types on
    finishSearch();
    const auto& hits = switcher().navigator.value()->searchFolderHits();
    ASSERT_FALSE(hits.empty());
    for (const auto& [id, children] : hits) EXPECT_EQ(children[0].title, "match");

    switcher().setFilterText("");
    finishSearch();
    EXPECT_TRUE(switcher().navigator.value()->searchFolderHits().empty());
    EXPECT_TRUE(switcher().folderSearchTask().isFinished());
}

TEST_F(SwitcherFolderSearchTest, ASearchWithoutHitsReplacesTheEarlierHitsWhole) {
    switcher().setFilterText("match");
    finishSearch();
    ASSERT_FALSE(switcher().navigator.value()->searchFolderHits().empty());
    const auto tick = switcher().uiTick.value();
    switcher().setFilterText("matchless");
    finishSearch();
    EXPECT_TRUE(switcher().navigator.value()->searchFolderHits().empty());
    EXPECT_EQ(switcher().uiTick.value(), tick + 2);  // the text, then the applied (empty) hits
}

}  // namespace
}  // namespace tavelin
