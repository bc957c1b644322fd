#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/core/RunningAppAttention.h"
#include "mac/core/tests/DockWorld.h"
#include "platform/sim/DockTiles.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

class RunningAppsServiceTest : public DockWorld {
  protected:
    std::vector<std::string> runningBundleIDs() {
        std::vector<std::string> ids;
        for (const auto& [bundleID, info] : runningApps().state().byBundleID) ids.push_back(bundleID);
        return ids;
    }
    const RunningAppsService::RunningAppInfo& info(const std::string& bundleID) {
        return runningApps().state().byBundleID.at(bundleID);
    }
    std::optional<std::string> activeBundleID() {
        std::optional<std::string> active;
        for (const auto& [bundleID, info] : runningApps().state().byBundleID) {
            if (info.isActive) active = bundleID;
        }
        return active;
    }
    // Counts the announcements of the state from now on.
    int& countAnnouncements() {
        announcements_ = 0;
        subscription_ =
            runningApps().statePublisher().dropFirst().sink([this](const auto&) { ++announcements_; });
        return announcements_;
    }
    static PlistDict appTile(const std::string& bundleID) {
        return sim::dockApplicationTile(bundleID, bundleID, std::nullopt);
    }

    int announcements_ = 0;
    Subscription subscription_;
};

TEST_F(RunningAppsServiceTest, RecordsEveryRunningApplicationButTheProgramItself) {
    auto& mac = start();
    auto& workspace = mac.workspace();
    workspace.addRunningProcess({.localizedName = "no bundle"});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.helper", .activationPolicy = 7});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.twice", .localizedName = "First"});
    workspace.addRunningProcess(
        {.bundleIdentifier = "com.example.twice", .localizedName = "Second", .isHidden = true});
    EXPECT_THAT(runningBundleIDs(), ElementsAre("com.apple.Safari", "com.apple.finder", "com.example.helper",
                                                "com.example.twice"));
    EXPECT_EQ(info("com.example.helper").localizedName, "com.example.helper");
    EXPECT_EQ(info("com.example.helper").activationPolicy, ActivationPolicy::unknown);
    EXPECT_EQ(info("com.example.twice").localizedName, "Second");
    EXPECT_TRUE(info("com.example.twice").isHidden);
    EXPECT_EQ(info("com.apple.Safari").activationPolicy, ActivationPolicy::regular);
}

TEST_F(RunningAppsServiceTest, ActiveMeansTheRegularApplicationTheUserLastHadInFront) {
    auto& mac = start();
    auto& workspace = mac.workspace();
    const auto safari = workspace.process("com.apple.Safari")->processIdentifier;
    const auto finder = workspace.process("com.apple.finder")->processIdentifier;
    const auto program = workspace.process("jp.fenwold.lomaret")->processIdentifier;
    EXPECT_EQ(activeBundleID(), std::nullopt);

    workspace.activate(safari);
    scheduler_.runUntilIdle();
    EXPECT_EQ(activeBundleID(), "com.apple.Safari");
    EXPECT_FALSE(info("com.apple.Safari").needsAttention);

    // The switcher in front: the application the user came from stays the active one.
    workspace.activate(program);
    scheduler_.runUntilIdle();
    EXPECT_EQ(activeBundleID(), "com.apple.Safari");

    // An accessory application in front: the walk finds no active regular one, so Safari stays too.
    const auto helper =
        workspace.launchProcess({.bundleIdentifier = "com.example.helper", .activationPolicy = 1});
    workspace.activate(helper);
    scheduler_.runUntilIdle();
    EXPECT_EQ(activeBundleID(), "com.apple.Safari");

    workspace.activate(finder);
    scheduler_.runUntilIdle();
    EXPECT_EQ(activeBundleID(), "com.apple.finder");

    // Quitting the remembered application forgets it.
    workspace.terminate(finder);
    scheduler_.runUntilIdle();
    EXPECT_EQ(activeBundleID(), std::nullopt);
}

TEST_F(RunningAppsServiceTest, LaunchesAppendUnpinnedApplicationsAndQuitsRemoveThem) {
    auto& mac = start();
    auto& workspace = mac.workspace();
    runningApps().refreshPinned(PlistDict{{"persistent-apps", PlistArray{appTile("com.apple.Safari")}}});
    auto& announcements = countAnnouncements();

    const auto notes = workspace.launch("com.apple.Notes");
    workspace.launch("com.apple.Safari");  // runs already
    workspace.launchProcess({.bundleIdentifier = "jp.fenwold.lomaret"});
    EXPECT_THAT(runningApps().state().unpinnedRunningOrder, IsEmpty()) << "delivered on the main queue";
    scheduler_.runUntilIdle();
    EXPECT_THAT(runningApps().state().unpinnedRunningOrder, ElementsAre("com.apple.Notes"));
    EXPECT_EQ(info("com.apple.Notes").launchDate, scheduler_.clock().now());
    // Notes: its append and its refresh; the program itself: a refresh only.
    EXPECT_EQ(announcements, 3);

    workspace.terminate(*notes);
    scheduler_.runUntilIdle();
    EXPECT_THAT(runningApps().state().unpinnedRunningOrder, IsEmpty());
    EXPECT_FALSE(runningApps().state().byBundleID.contains("com.apple.Notes"));

    // A recent tile stays in the order after its application quits.
    workspace.launch("com.apple.mail");
    scheduler_.runUntilIdle();
    runningApps().syncUnpinnedRunningOrder(PlistDict{{"recent-apps", PlistArray{appTile("com.apple.mail")}}});
    workspace.terminate(workspace.process("com.apple.mail")->processIdentifier);
    scheduler_.runUntilIdle();
    EXPECT_THAT(runningApps().state().unpinnedRunningOrder, ElementsAre("com.apple.mail"));
}

TEST_F(RunningAppsServiceTest, PinnedApplicationsFollowPersistentApps) {
    start();
    auto& announcements = countAnnouncements();
    const auto pinned = [&] { return runningApps().state().pinnedBundleIDs; };

    runningApps().refreshPinned(PlistDict{{"persistent-apps", PlistArray{}}});
    EXPECT_THAT(pinned(), ElementsAre("com.apple.finder"));

    runningApps().refreshPinned(PlistDict{
        {"persistent-apps", PlistArray{appTile("com.apple.Safari"), sim::dockSpacerTile("spacer-tile"),
                                       appTile("com.apple.finder"), appTile("com.apple.Safari")}}});
    EXPECT_THAT(pinned(), ElementsAre("com.apple.Safari", "com.apple.finder", "com.apple.Safari"));
    EXPECT_EQ(announcements, 2);

    // Absent, empty or malformed: nothing changes and nothing is announced.
    runningApps().refreshPinned(std::nullopt);
    runningApps().refreshPinned(PlistDict{});
    runningApps().refreshPinned(PlistDict{{"persistent-apps", "com.apple.Safari"}});
    runningApps().refreshPinned(
        PlistDict{{"persistent-apps", PlistArray{appTile("com.apple.mail"), "spacer"}}});
    runningApps().refreshPinned(PlistDict{{"recent-apps", PlistArray{}}});
    EXPECT_THAT(pinned(), ElementsAre("com.apple.Safari", "com.apple.finder", "com.apple.Safari"));
    EXPECT_EQ(announcements, 2);
}

TEST_F(RunningAppsServiceTest, UnpinnedOrderIsRecentTilesThenKeptOrderThenNewcomersByLaunch) {
    auto& mac = start();
    auto& workspace = mac.workspace();
    const auto at = [&](std::chrono::seconds offset) { return scheduler_.clock().now() + offset; };
    workspace.addRunningProcess({.bundleIdentifier = "com.example.late", .launchDate = at(30s)});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.early", .launchDate = at(10s)});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.undated.b"});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.undated.a"});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.tie.b", .launchDate = at(20s)});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.tie.a", .launchDate = at(20s)});
    workspace.addRunningProcess({.bundleIdentifier = "com.example.agent", .activationPolicy = 1});
    runningApps().refresh();

    const PlistDict plist{
        {"persistent-apps", PlistArray{appTile("com.apple.Safari")}},
        {"recent-apps",
         PlistArray{
             PlistDict{{"file-label", "Mail tile"},
                       {"tile-data", PlistDict{{"bundle-identifier", "com.apple.mail"},
                                               {"file-label", "Mail data"},
                                               {"file-data", sim::dockFileReference("/Mail.app", true)}}}},
             appTile("com.apple.Safari"),  // pinned
             appTile("com.apple.mail"),    // repeated
             PlistDict{{"tile-data", PlistDict{{"bundle-identifier", "com.example.agent"}}}},
             PlistDict{{"tile-data", "not a dictionary"}},
         }},
    };
    runningApps().refreshPinned(plist);
    runningApps().syncUnpinnedRunningOrder(plist);
    const auto& state = runningApps().state();
    EXPECT_THAT(state.unpinnedRunningOrder,
                ElementsAre("com.apple.mail", "com.example.agent", "com.example.early", "com.example.tie.a",
                            "com.example.tie.b", "com.example.late", "com.example.undated.a",
                            "com.example.undated.b"));
    EXPECT_THAT(state.recentPlistBundleIDs, UnorderedElementsAre("com.apple.mail", "com.example.agent"));
    EXPECT_THAT(
        state.unpinnedRecentTileInfo,
        ElementsAre(Pair("com.apple.mail", RunningAppsService::RecentTileInfo{"Mail tile", "/Mail.app"}),
                    Pair("com.example.agent",
                         RunningAppsService::RecentTileInfo{"com.example.agent", std::nullopt})));

    // An application placed before keeps its place ahead of newcomers, whatever its launch date.
    workspace.addRunningProcess({.bundleIdentifier = "com.example.earliest", .launchDate = at(1s)});
    runningApps().refresh();
    runningApps().syncUnpinnedRunningOrder(plist);
    EXPECT_EQ(state.unpinnedRunningOrder.back(), "com.example.earliest");
}

TEST_F(RunningAppsServiceTest, WithoutShownRecentsOnlyRunningRecentTilesLead) {
    start();
    for (const auto& [value, expected] : std::vector<std::pair<PlistValue, std::vector<std::string>>>{
             {false, {"com.apple.Safari", "com.apple.finder"}},
             {true, {"com.apple.Notes", "com.apple.Safari", "com.apple.finder"}},
             {"NO", {"com.apple.Notes", "com.apple.Safari", "com.apple.finder"}},  // only a Boolean counts
             {0, {"com.apple.Notes", "com.apple.Safari", "com.apple.finder"}},
         }) {
        const PlistDict plist{
            {"persistent-apps", PlistArray{}},
            {"recent-apps", PlistArray{appTile("com.apple.Notes"), appTile("com.apple.Safari")}},
            {"show-recents", value}};
        runningApps().syncUnpinnedRunningOrder(plist);
        EXPECT_EQ(runningApps().state().unpinnedRunningOrder, expected) << ::testing::PrintToString(value);
        // Running, Safari stays a recent tile either way.
        EXPECT_TRUE(runningApps().state().recentPlistBundleIDs.contains("com.apple.Safari"));
    }
}

TEST_F(RunningAppsServiceTest, EveryAssignmentIsAnnouncedAlsoAnEqualOne) {
    start();
    const PlistDict plist{{"persistent-apps", PlistArray{}}};
    runningApps().refreshPinned(plist);
    runningApps().syncUnpinnedRunningOrder(plist);
    const auto before = runningApps().state();
    auto& announcements = countAnnouncements();
    runningApps().refresh();
    runningApps().refreshPinned(plist);
    runningApps().syncUnpinnedRunningOrder(plist);
    runningApps().syncUnpinnedRunningOrder(std::nullopt);
    EXPECT_EQ(announcements, 4);
    EXPECT_EQ(runningApps().state(), before);
}

TEST(RunningAppAttention, TheFirstKeyThatAnswersWithABooleanDecides) {
    using RunningAppAttention::needsAttention;
    RunningApplication app{.bundleIdentifier = "com.example.app"};
    EXPECT_FALSE(needsAttention(app));

    app.keyedValues["unseenAttentionRequest"] = "yes";          // not a Boolean: the next key
    app.keyedValues["_unseenAttentionRequest"] = std::nullopt;  // answers nothing: the next key
    app.keyedValues["hasVisibleAttentionRequest"] = true;
    EXPECT_TRUE(needsAttention(app));

    app.keyedValues["_unseenAttentionRequest"] = false;  // decides, false included
    EXPECT_FALSE(needsAttention(app));

    app.keyedValues.erase("_unseenAttentionRequest");
    EXPECT_TRUE(needsAttention(app));
    app.isActive = true;
    EXPECT_FALSE(needsAttention(app));
    app.isActive = false;
    app.isTerminated = true;
    EXPECT_FALSE(needsAttention(app));
}

TEST_F(RunningAppsServiceTest, AttentionIsReadAtEachRefresh) {
    auto& mac = start();
    const auto notes = *mac.workspace().launch("com.apple.Notes");
    mac.workspace().setKeyedValue(notes, "unseenAttentionRequest", true);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(info("com.apple.Notes").needsAttention);

    // The front application is never asking, even with a pending request.
    mac.workspace().activate(notes);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(info("com.apple.Notes").needsAttention);
    EXPECT_TRUE(info("com.apple.Notes").isActive);
}

}  // namespace
}  // namespace tavelin
