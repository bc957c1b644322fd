#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "mac/core/SnapshotComposer.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> ids(const std::vector<DockItem>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) result.push_back(item.itemID.rawValue());
    return result;
}
std::vector<std::string> ids(const std::vector<ItemID>& items) {
    std::vector<std::string> result;
    for (const auto& id : items) result.push_back(id.rawValue());
    return result;
}

class SnapshotComposerTest : public ::testing::Test {
  protected:
    std::string disk(const std::string& macPath) const { return mac_.diskPath(macPath).string(); }

    static DockItem running(std::string bundleID) {
        return DockItem{.itemID = ItemID("running-" + bundleID),
                        .region = DockRegion::runningApps,
                        .bundleID = bundleID,
                        .isRunning = true};
    }
    static DockItem other(std::string id, DockItemKind kind, std::optional<std::string> path) {
        return DockItem{.itemID = ItemID(std::move(id)),
                        .region = DockRegion::dockOthers,
                        .kind = kind,
                        .path = std::move(path)};
    }
    std::vector<std::string> filtered(std::vector<DockItem> items) {
        composer_.applyFilters(items);
        return ids(items);
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    sim::SimMac mac_{sim::Desktop{.applications = {{"com.apple.Safari", "Safari", "/Applications/Safari.app"},
                                                   {"com.apple.Notes", "Notes", "/Applications/Notes.app"}}},
                     home_.path(), scheduler_, log_};
    AppSettings settings_{mac_.standardUserDefaults(), mac_.host(), scheduler_.main()};
    IconService icons_{{mac_.workspaceIcons(), mac_.workspace(), mac_.fileSystem(), mac_.folders(),
                        mac_.host(), mac_.notificationCenter()}};
    SnapshotComposer composer_{settings_, icons_, mac_.workspace(), mac_.fileSystem()};
};

TEST_F(SnapshotComposerTest, RunningApplicationsPassTheirOwnRulesFirst) {
    auto hidden = running("com.apple.Safari");
    hidden.isHidden = true;
    auto accessory = running("com.apple.Notes");
    accessory.activationPolicy = ActivationPolicy::accessory;
    auto recentAccessory = accessory;
    recentAccessory.itemID = ItemID("recent-notes");
    recentAccessory.isRecentAppsTile = true;
    auto pinnedHidden = hidden;
    pinnedHidden.itemID = ItemID("fixed-safari");
    pinnedHidden.region = DockRegion::fixedApps;

    settings_.hiddenApps.set(HiddenAppsSetting::dim);
    EXPECT_THAT(filtered({hidden, accessory, recentAccessory, pinnedHidden}),
                ElementsAre("running-com.apple.Safari", "recent-notes", "fixed-safari"));
    settings_.hiddenApps.set(HiddenAppsSetting::hide);
    EXPECT_THAT(filtered({hidden, recentAccessory, pinnedHidden}),
                ElementsAre("recent-notes", "fixed-safari"));

    // The exclusion list leaves the fixed applications alone.
    settings_.hiddenApps.set(HiddenAppsSetting::show);
    settings_.excludedBundleIDs.set({"com.apple.Safari"});
    EXPECT_THAT(filtered({hidden, pinnedHidden}), ElementsAre("fixed-safari"));
}

TEST_F(SnapshotComposerTest, WhatIsNotOnDiskIsDroppedWhateverTheSettingSays) {
    const auto downloads = home_ / "Downloads";
    std::filesystem::create_directories(downloads);
    auto unavailable = other("unavailable", DockItemKind::folder, downloads.string());
    unavailable.isAvailable = false;
    auto staleApp = running("com.apple.Notes");
    staleApp.path = "/Applications/Old/Notes.app";
    auto unknownApp = running("org.example.Gone");
    unknownApp.path = "/Applications/Gone.app";
    auto ownBuild = running("org.example.Own");  // unknown to the workspace, but there
    ownBuild.path = (home_ / "Own.app").string();
    std::filesystem::create_directories(*ownBuild.path);
    const std::vector<DockItem> items{
        other("downloads", DockItemKind::folder, downloads.string()),
        other("gone", DockItemKind::folder, (home_ / "Gone").string()),
        other("no-path", DockItemKind::file, std::nullopt),
        unavailable,
        staleApp,
        unknownApp,
        ownBuild,
        other("trash", DockItemKind::trash, std::nullopt),
        other("unknown", DockItemKind::unknown, downloads.string()),
    };

    settings_.showUnavailableItems.set(true);
    EXPECT_THAT(filtered(items), ElementsAre("downloads", "unavailable", "running-com.apple.Notes",
                                             "running-org.example.Own", "trash"));
    settings_.showUnavailableItems.set(false);
    EXPECT_THAT(filtered(items),
                ElementsAre("downloads", "running-com.apple.Notes", "running-org.example.Own", "trash"));
}

TEST_F(SnapshotComposerTest, WebLinksAreOnDiskAndLinkFilesOnlyWhileTheyExist) {
    const auto webloc = home_ / "Example.webloc";
    std::ofstream(webloc) << "link";
    EXPECT_TRUE(composer_.isOnDisk(other("a", DockItemKind::url, "https://example.org/")));
    EXPECT_TRUE(composer_.isOnDisk(other("b", DockItemKind::url, "http://example.org/")));
    EXPECT_FALSE(composer_.isOnDisk(other("c", DockItemKind::url, "ftp://example.org/")));
    EXPECT_FALSE(composer_.isOnDisk(other("d", DockItemKind::url, std::nullopt)));
    EXPECT_TRUE(composer_.isOnDisk(other("e", DockItemKind::url, webloc.string())));
    std::filesystem::remove(webloc);
    EXPECT_FALSE(composer_.isOnDisk(other("e", DockItemKind::url, webloc.string())));
}

class SnapshotDiffTest : public ::testing::Test {
  protected:
    static DockItem item(std::string id, std::string title) {
        return DockItem{.itemID = ItemID(std::move(id)), .title = std::move(title)};
    }
    static DockSnapshot snapshot(std::int64_t generation, std::vector<DockItem> items,
                                 std::vector<DockSeparator> separators = {}) {
        return DockSnapshot{.dockGeneration = generation,
                            .eventSequence = generation + 10,
                            .items = std::move(items),
                            .separators = std::move(separators)};
    }
};

TEST_F(SnapshotDiffTest, SnapshotsThatDifferOnlyInGenerationGiveTheFullOrderAndNothingElse) {
    const std::vector<DockItem> items{item("a", "A"), item("b", "B")};
    const std::vector<DockSeparator> separators{
        DockSeparator{.separatorID = "ax-separator-2", .dockIndex = 2}};
    const auto diff = SnapshotComposer::diff(snapshot(4, items, separators), snapshot(5, items, separators));
    EXPECT_EQ(diff.fromGeneration, 4);
    EXPECT_EQ(diff.toGeneration, 5);
    EXPECT_EQ(diff.eventSequence, 15);
    EXPECT_THAT(diff.upserts, IsEmpty());
    EXPECT_THAT(diff.removes, IsEmpty());
    EXPECT_THAT(ids(diff.reorders), ElementsAre("a", "b"));
    EXPECT_EQ(diff.separators, std::nullopt);
}

TEST_F(SnapshotDiffTest, ChangedNewAndRemovedItemsAndChangedSeparators) {
    const auto from = snapshot(1, {item("a", "A"), item("b", "B"), item("a", "A again"), item("c", "C")},
                               {DockSeparator{.separatorID = "s", .dockIndex = 1}});
    const auto to = snapshot(2, {item("c", "C"), item("a", "A again"), item("d", "D"), item("b", "B")});
    const auto diff = SnapshotComposer::diff(from, to);
    // "a" is compared with the first old "a".
    EXPECT_THAT(ids(diff.upserts), ElementsAre("a", "d"));
    EXPECT_THAT(ids(diff.removes), IsEmpty());
    EXPECT_THAT(ids(diff.reorders), ElementsAre("c", "a", "d", "b"));
    EXPECT_EQ(diff.separators, std::vector<DockSeparator>{});  // cleared, not unchanged

    const auto renamed =
        SnapshotComposer::diff(to, snapshot(3, {item("c", "C"), item("a", "Renamed"), item("b", "B")}));
    EXPECT_THAT(ids(renamed.upserts), ElementsAre("a"));
    EXPECT_THAT(ids(renamed.removes), ElementsAre("d"));
}

}  // namespace
}  // namespace tavelin
