#include <gmock/gmock.h>

#include "mac/app/tests/AppWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class AppServicesTest : public AppWorld {
  protected:
    std::string machineID() { return services().server->deviceStore().machineID().rawValue(); }
};

TEST_F(AppServicesTest, BuildsThenStartsInTheOrderOfItsParts) {
    clearCalls();
    auto& container = services();
    container.start();
    scheduler_.advance(AppWorld::kAfterStart);

    const auto txt = "Mac _tavelin._tcp mid=" + machineID() + " name=Mac pair=1";
    EXPECT_THAT(distinctCalls(),
                ElementsAre(
                    // Building: the running applications read the workspace; the permissions read their
                    // state once; the Dock state rebuilds once; the server's device store reads (and
                    // here makes) the machine key.
                    "Workspace.runningApplications", "Accessibility.isProcessTrusted",
                    "Privacy.preflightScreenCaptureAccess", "Accessibility.isProcessTrusted",
                    "Workspace.runningApplications", "Keychain.copy jp.fenwold.lomaret.machinekey",
                    "Keychain.add jp.fenwold.lomaret.machinekey",
                    // start(): 1. the permissions, 2. the desktop picture, 3. the Dock state, 4. the
                    // server's two listeners, and 2 s later the pairing port in the TXT record.
                    "Accessibility.isProcessTrusted", "Privacy.preflightScreenCaptureAccess",
                    "UserNotifications.getNotificationSettings", "Screens.screens",
                    "Privacy.preflightScreenCaptureAccess", "Accessibility.isProcessTrusted",
                    "Workspace.runningApplications", "Network.listen session",
                    "Network.advertise session " + txt + " pv=1 ver=1.0", "Network.listen pairing",
                    "Network.advertise session " + txt + " pp=49153 pv=1 ver=1.0"));
}

TEST_F(AppServicesTest, SharedIsBuiltOnceAndTheWindowServicesStartEmpty) {
    auto& first = services();
    clearCalls();
    EXPECT_EQ(&services(), &first);
    EXPECT_THAT(calls(), IsEmpty());

    EXPECT_EQ(first.windowList->nextListGeneration(), 1);
    EXPECT_EQ(first.windowList->cachedListCount(), 0u);
    EXPECT_EQ(first.windowThumbnails->cachedThumbnailCount(), 0u);
    EXPECT_EQ(first.windowThumbnails->capturesInFlight(), 0u);
    EXPECT_FALSE(first.windowActionDisplayResolver->pinnedScreenID);
    EXPECT_EQ(first.windowActionDisplayResolver->pinDepth, 0);
    EXPECT_EQ(&first.windowActions.listService(), first.windowList.get());
    EXPECT_EQ(&first.windowActions.displayResolver(), first.windowActionDisplayResolver.get());
    EXPECT_EQ(&first.windowActions.settings(), &first.settings);
    // The Dock state rebuilt once while it was built.
    ASSERT_TRUE(first.dockState->snapshot());
    EXPECT_EQ(first.dockState->snapshot()->dockGeneration, 1);
}

// Attached to the Dock state: a folder that leaves the Dock takes its stored listing along.
TEST_F(AppServicesTest, TheFolderCacheFollowsTheDockState) {
    auto& container = services();
    const auto& items = container.dockState->snapshot()->items;
    const auto downloads = *std::ranges::find(items, DockItemKind::folder, &DockItem::kind);
    const auto listings = [&] {
        return std::ranges::count(mac().fileSystem().listedFolders(), std::filesystem::path(*downloads.path));
    };
    ASSERT_TRUE(container.folderCache->snapshot(downloads, "", true).isReadable);
    (void)container.folderCache->snapshot(downloads, "", false);
    EXPECT_EQ(listings(), 1);
    mac().dock()->configure({});
    scheduler_.advance(1s);
    (void)container.folderCache->snapshot(downloads, "", false);
    EXPECT_EQ(listings(), 2);
}

// Every 120 s the desktop picture is looked at again.
TEST_F(AppServicesTest, StartRefreshesTheDesktopPictureEvery120Seconds) {
    services().start();
    scheduler_.advance(kAfterStart);
    clearCalls();
    scheduler_.advance(120s);
    EXPECT_THAT(calls({"Screens."}), ElementsAre("Screens.screens"));
}

TEST_F(AppServicesTest, TheLoginItemIsRegisteredAtStartOnlyOnceTheFirstRunFlowIsDone) {
    // launchAtLogin is on by default; this is the first launch.
    services().start();
    EXPECT_THAT(calls({"LoginItems."}), IsEmpty());
    EXPECT_FALSE(mac().loginItems().isRegistered());

    defaults().set(kOnboardingCompletedVersionKey, PlistValue(std::int64_t{1}));
    newProcess();
    services().start();
    EXPECT_THAT(calls({"LoginItems."}), ElementsAre("LoginItems.register"));
    EXPECT_TRUE(mac().loginItems().isRegistered());
    // Only a failure is logged.
    EXPECT_THAT(log_.lines(), Not(Contains(HasSubstr("Login item"))));
}

TEST_F(AppServicesTest, WithLaunchAtLoginOffTheLoginItemIsLeftAsItIs) {
    defaults().set(kOnboardingCompletedVersionKey, PlistValue(std::int64_t{3}));
    defaults().set("launchAtLogin", PlistValue(false));
    ASSERT_TRUE(mac().loginItems().registerMainApp());
    clearCalls();
    services().start();
    EXPECT_THAT(calls({"LoginItems."}), IsEmpty());
    EXPECT_TRUE(mac().loginItems().isRegistered());
}

TEST_F(AppServicesTest, ALoginItemFailureIsLoggedAndOtherwiseIgnored) {
    defaults().set(kOnboardingCompletedVersionKey, PlistValue(std::int64_t{1}));
    mac().loginItems().setFailure(LoginItemError{"Operation not permitted"});
    services().start();
    EXPECT_THAT(log_.lines(), ::testing::Contains("Login item: Operation not permitted"));
    EXPECT_TRUE(services().settings.launchAtLogin.value());
}

}  // namespace
}  // namespace tavelin
