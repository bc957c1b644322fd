#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "mac/core/FolderContentCache.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/tests/FolderWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = PermissionsService::PermissionKind;
using Display = PermissionRowDisplayState;
using Category = PermissionsService::VolumeCategory;

class PermissionsServiceTest : public FolderWorld {
  protected:
    UserDefaults& defaults() { return mac().standardUserDefaults(); }
    // Everything the system owns granted, so that a test takes away what it looks at.
    void grantEverything() {
        mac().accessibility().setProcessTrusted(true);
        mac().privacy().setScreenCaptureAccess(true);
        mac().privacy().setTCCFrameworkPresent(true);
        mac().privacy().setTCCAnswer(std::string(kTCCServiceSystemPolicyAppBundles), 0);
        mac().userNotifications().setAuthorizationStatus(NotificationAuthorizationStatus::authorized);
    }
    void refreshed() {
        permissions->refresh();
        scheduler_.runUntilIdle();
    }
    const std::vector<std::string>& openedURLs() { return mac().workspaceActions().openedURLs(); }

    std::shared_ptr<PermissionsService> permissions = makePermissions();
    std::shared_ptr<FolderContentCache> cache = makeCache(permissions);
};

TEST_F(PermissionsServiceTest, ConstructionReadsTheSystemAndTheStoredFlags) {
    mac().accessibility().setProcessTrusted(true);
    defaults().set("permissions.folderCheckDone", true);
    defaults().set("permissions.screenRecordingRequested", "YES");
    const auto fresh = makePermissions();
    EXPECT_TRUE(fresh->accessibilityTrusted.value());
    EXPECT_FALSE(fresh->screenRecordingGranted.value());
    EXPECT_TRUE(fresh->folderCheckDone.value());
    EXPECT_TRUE(fresh->screenRecordingRequested.value());
    EXPECT_FALSE(fresh->screenRecordingNeedsRelaunch.value());
    EXPECT_FALSE(fresh->notificationsDetermined.value());
    EXPECT_FALSE(fresh->fullDiskAccessGranted.value());
    EXPECT_FALSE(fresh->appManagementDetermined.value());
}

TEST_F(PermissionsServiceTest, RefreshReadsEveryFlagAndTheNotificationAnswerComesLater) {
    grantEverything();
    permissions->refresh();
    EXPECT_TRUE(permissions->accessibilityTrusted.value());
    EXPECT_TRUE(permissions->screenRecordingGranted.value());
    EXPECT_TRUE(permissions->fullDiskAccessGranted.value());
    EXPECT_TRUE(permissions->appManagementGranted.value());
    EXPECT_FALSE(permissions->notificationsGranted.value());
    scheduler_.runUntilIdle();
    EXPECT_TRUE(permissions->notificationsGranted.value());
    EXPECT_TRUE(permissions->notificationsDetermined.value());
    EXPECT_THAT(permissions->pendingPermissionKinds({}), IsEmpty());

    // Full Disk Access is whether the Trash can be listed.
    files().refuse(sim::SimFileSystem::Operation::list, home() / ".Trash",
                   FileSystemError::posix(EPERM, ".Trash"));
    refreshed();
    EXPECT_FALSE(permissions->fullDiskAccessGranted.value());
    EXPECT_THAT(permissions->pendingPermissionKinds({}), ElementsAre(Kind::fullDisk));

    // An answer that arrives after the service is gone is dropped.
    permissions->refresh();
    permissions.reset();
    cache.reset();
    scheduler_.runUntilIdle();
}

TEST_F(PermissionsServiceTest, RefreshingAnnouncesEveryFlagEachTimeAlsoWhenNothingChanged) {
    int announcements = 0;
    int accessibilityValues = 0;
    auto objectChanges = permissions->objectWillChange().sink([&](auto) { ++announcements; });
    auto accessibility =
        permissions->accessibilityTrusted.publisher().sink([&](bool) { ++accessibilityValues; });
    refreshed();
    const int first = announcements;
    EXPECT_EQ(first, 7);  // five flags at once, the two of notifications later
    refreshed();
    EXPECT_EQ(announcements, 2 * first);
    EXPECT_EQ(accessibilityValues, 3);  // the current value, then one per refresh
}

TEST_F(PermissionsServiceTest, AppManagementIsPendingOnlyWhenDenied) {
    // Everything else granted; the system has no answer for App Management until one is set.
    mac().accessibility().setProcessTrusted(true);
    mac().privacy().setScreenCaptureAccess(true);
    mac().userNotifications().setAuthorizationStatus(NotificationAuthorizationStatus::authorized);
    const auto stateWith = [&](bool present, std::optional<int> answer) {
        mac().privacy().setTCCFrameworkPresent(present);
        if (answer) mac().privacy().setTCCAnswer(std::string(kTCCServiceSystemPolicyAppBundles), *answer);
        refreshed();
        return std::pair(permissions->appManagementDisplayState(), permissions->pendingPermissionKinds({}));
    };
    EXPECT_EQ(stateWith(false, std::nullopt), std::pair(Display::indeterminate, std::vector<Kind>{}));
    EXPECT_EQ(stateWith(true, std::nullopt), std::pair(Display::indeterminate, std::vector<Kind>{}));
    EXPECT_EQ(stateWith(true, 0), std::pair(Display::granted, std::vector<Kind>{}));
    EXPECT_EQ(stateWith(true, 1), std::pair(Display::denied, std::vector{Kind::appManagement}));
    EXPECT_EQ(stateWith(true, -1), std::pair(Display::denied, std::vector{Kind::appManagement}));
}

TEST_F(PermissionsServiceTest, NotificationsArePendingUnlessGranted) {
    grantEverything();
    const std::vector<std::pair<std::int64_t, Display>> matrix = {
        {0, Display::indeterminate}, {1, Display::denied},  {2, Display::granted},
        {3, Display::granted},       {4, Display::granted}, {9, Display::indeterminate},
    };
    for (const auto& [status, display] : matrix) {
        mac().userNotifications().setAuthorizationStatus(
            static_cast<NotificationAuthorizationStatus>(status));
        refreshed();
        EXPECT_EQ(permissions->notificationsDisplayState(), display) << status;
        EXPECT_EQ(permissions->pendingPermissionKinds({}).size(), display == Display::granted ? 0u : 1u)
            << status;
    }
}

TEST_F(PermissionsServiceTest, AGrantSeenAfterARelaunchClearsTheRelaunchFlag) {
    defaults().set("permissions.screenRecordingNeedsRelaunch", true);
    const auto relaunched = makePermissions();
    EXPECT_TRUE(relaunched->screenRecordingNeedsRelaunch.value());
    relaunched->refresh();
    EXPECT_TRUE(relaunched->screenRecordingNeedsRelaunch.value());  // not granted yet
    mac().privacy().setScreenCaptureAccess(true);
    relaunched->refresh();
    EXPECT_FALSE(relaunched->screenRecordingNeedsRelaunch.value());
    EXPECT_FALSE(defaults().boolForKey("permissions.screenRecordingNeedsRelaunch"));
    EXPECT_TRUE(defaults().object("permissions.screenRecordingNeedsRelaunch").has_value());
}

TEST_F(PermissionsServiceTest, RequestingAllMissingAsksForTheFirstOnly) {
    // Screen recording and Accessibility both missing: the system's request first, then its pane.
    permissions->requestAllMissing(*cache, {});
    EXPECT_EQ(mac().privacy().screenCaptureRequestCount(), 1);
    EXPECT_TRUE(permissions->screenRecordingRequested.value());
    EXPECT_TRUE(defaults().boolForKey("permissions.screenRecordingRequested"));
    EXPECT_THAT(openedURLs(), IsEmpty());

    permissions->requestAllMissing(*cache, {});
    EXPECT_EQ(mac().privacy().screenCaptureRequestCount(), 1);
    EXPECT_THAT(openedURLs(), ElementsAre(SettingsPane::screenCapture));
    EXPECT_THAT(mac().alerts().shown(), IsEmpty());

    grantEverything();
    refreshed();
    permissions->requestAllMissing(*cache, {});
    EXPECT_THAT(mac().alerts().shown(), ElementsAre("permission.requestAll.none"));
    EXPECT_EQ(openedURLs().size(), 1u);
}

TEST_F(PermissionsServiceTest, AScreenRecordingGrantInThisRunNeedsARelaunch) {
    mac().privacy().setScreenCaptureAnswer(sim::SimPrivacy::ScreenCaptureAnswer::grant);
    permissions->requestScreenRecordingAccess();
    EXPECT_TRUE(permissions->screenRecordingGranted.value());
    EXPECT_TRUE(permissions->screenRecordingNeedsRelaunch.value());
    EXPECT_TRUE(defaults().boolForKey("permissions.screenRecordingNeedsRelaunch"));
    permissions->requestScreenRecordingAccess();  // granted: nothing more
    EXPECT_EQ(mac().privacy().screenCaptureRequestCount(), 1);
    EXPECT_THAT(openedURLs(), IsEmpty());
}

TEST_F(PermissionsServiceTest, AGrantThatShowsOnlyAfterARelaunchLeavesTheFlagOffInThisRun) {
    mac().privacy().setScreenCaptureAnswer(sim::SimPrivacy::ScreenCaptureAnswer::grantAfterRelaunch);
    permissions->requestScreenRecordingAccess();
    EXPECT_TRUE(mac().privacy().screenCaptureGranted());
    EXPECT_FALSE(permissions->screenRecordingGranted.value());
    EXPECT_FALSE(permissions->screenRecordingNeedsRelaunch.value());
}

TEST_F(PermissionsServiceTest, EachRequestOpensItsOwnPane) {
    permissions->performRequest(Kind::accessibility, *cache, {});
    permissions->performRequest(Kind::appManagement, *cache, {});
    permissions->performRequest(Kind::fullDisk, *cache, {});
    EXPECT_THAT(openedURLs(),
                ElementsAre("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
                            "x-apple.systempreferences:com.apple.preference.security?Privacy_AppManagement",
                            "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"));
    permissions->openURL("not a link");
    EXPECT_EQ(openedURLs().size(), 3u);
}

TEST_F(PermissionsServiceTest, NotificationsAreAskedForOnceThenTheirPaneOpens) {
    mac().userNotifications().setUserAllows(false);
    permissions->performRequest(Kind::notifications, *cache, {});
    EXPECT_THAT(mac().userNotifications().authorizationRequests(),
                ElementsAre(kNotificationOptionSound | kNotificationOptionAlert));
    scheduler_.runUntilIdle();
    EXPECT_EQ(permissions->notificationsDisplayState(), Display::denied);
    EXPECT_THAT(permissions->pendingPermissionKinds({}), testing::Contains(Kind::notifications));

    permissions->performRequest(Kind::notifications, *cache, {});
    EXPECT_EQ(mac().userNotifications().authorizationRequests().size(), 1u);
    EXPECT_THAT(openedURLs(),
                ElementsAre("x-apple.systempreferences:com.apple.Notifications-Settings.extension"));
}

TEST_F(PermissionsServiceTest, VolumeCategoriesComeFromTheVolumesFacts) {
    makeFolder("Volumes/Stick/Photos");
    makeFolder("Volumes/Card/Photos");
    makeFolder("Volumes/Share/Team");
    files().mount(home() / "Volumes/Stick", {.isRemovable = true, .isEjectable = false, .isLocal = true});
    files().mount(home() / "Volumes/Card", {.isRemovable = false, .isEjectable = true, .isLocal = true});
    files().mount(home() / "Volumes/Share", {.isRemovable = false, .isEjectable = false, .isLocal = false});
    EXPECT_EQ(permissions->volumeCategory((home() / "Volumes/Stick/Photos").string()), Category::removable);
    EXPECT_EQ(permissions->volumeCategory((home() / "Volumes/Card/Photos").string()), Category::removable);
    EXPECT_EQ(permissions->volumeCategory((home() / "Volumes/Share/Team").string()), Category::network);
    EXPECT_EQ(permissions->volumeCategory(home().string()), std::nullopt);
    EXPECT_EQ(permissions->volumeCategory((home() / "nowhere").string()), std::nullopt);
}

TEST_F(PermissionsServiceTest, FolderRowsFollowTheDocksFoldersAndTheRecordsOfEachVolume) {
    EXPECT_EQ(permissions->folderPermissionDisplayState({}, std::nullopt), Display::granted);
    EXPECT_EQ(permissions->folderPermissionDisplayState({}, Category::removable), Display::granted);
    EXPECT_FALSE(permissions->shouldShowVolumePermissionRow({}, Category::removable));
    EXPECT_FALSE(permissions->shouldShowVolumePermissionRow({}, Category::network));

    // A network folder recorded as denied keeps its row, with no Dock folder there.
    const auto team = makeFolder("Volumes/Share/Team").string();
    files().mount(home() / "Volumes/Share", {.isLocal = false});
    permissions->setFolderAccess(FolderAccessState::denied, team);
    EXPECT_TRUE(permissions->shouldShowVolumePermissionRow({}, Category::network));
    EXPECT_EQ(permissions->folderPermissionDisplayState({}, Category::network), Display::denied);
    EXPECT_EQ(permissions->folderPermissionDisplayState({}, std::nullopt), Display::granted);

    // A Dock folder on a removable volume, never tried: shown, denied, pending.
    const auto stick = folderItem("stick", makeFolder("Volumes/Stick/Photos"));
    files().mount(home() / "Volumes/Stick", {.isRemovable = true});
    const std::vector<DockItem> items = {stick, folderItem("docs", makeFolder("Documents"))};
    EXPECT_TRUE(permissions->hasUnknownFolderAccess(items));
    EXPECT_TRUE(permissions->shouldShowVolumePermissionRow(items, Category::removable));
    EXPECT_EQ(permissions->folderPermissionDisplayState(items, Category::removable), Display::denied);
    EXPECT_EQ(permissions->folderPermissionDisplayState(items, std::nullopt), Display::denied);
    grantEverything();
    refreshed();
    EXPECT_THAT(permissions->pendingPermissionKinds(items),
                ElementsAre(Kind::standardFolders, Kind::removableVolume, Kind::networkVolume));

    permissions->setFolderAccess(FolderAccessState::granted, *stick.path);
    permissions->setFolderAccess(FolderAccessState::granted, *items[1].path);
    permissions->setFolderAccess(FolderAccessState::granted, team);
    EXPECT_FALSE(permissions->hasUnknownFolderAccess(items));
    EXPECT_THAT(permissions->pendingPermissionKinds(items), IsEmpty());
}

TEST_F(PermissionsServiceTest, TheStandardFoldersRequestProbesTheDocksFoldersOrOpensThePane) {
    EXPECT_EQ(permissions->standardFolderPaths(),
              (std::set<std::string>{(home() / "Desktop").string(), (home() / "Documents").string(),
                                     (home() / "Downloads").string()}));

    const auto other = folderItem("other", makeFolder("Projects"));
    permissions->requestStandardFolderAccess(*cache, {other});
    EXPECT_THAT(openedURLs(), ElementsAre(SettingsPane::filesAndFolders));
    EXPECT_THAT(files().listedFolders(), IsEmpty());

    const auto downloads = folderItem("downloads", makeFolder("Downloads"), 1);
    permissions->requestStandardFolderAccess(*cache, {other, downloads});
    EXPECT_EQ(permissions->folderAccess(*downloads.path), FolderAccessState::granted);
    EXPECT_EQ(permissions->folderAccess(*other.path), FolderAccessState::granted);
    EXPECT_TRUE(permissions->folderCheckDone.value());
    EXPECT_TRUE(defaults().boolForKey("permissions.folderCheckDone"));

    // All known and the local folders denied: the pane.
    permissions->setFolderAccess(FolderAccessState::denied, *downloads.path);
    const auto listed = files().listedFolders().size();
    permissions->requestStandardFolderAccess(*cache, {other, downloads});
    EXPECT_EQ(files().listedFolders().size(), listed);
    EXPECT_EQ(openedURLs().size(), 2u);
}

TEST_F(PermissionsServiceTest, TheVolumeRequestProbesOnlyWhileAFolderThereIsUnsettled) {
    const auto stick = folderItem("stick", makeFolder("Volumes/Stick/Photos"));
    files().mount(home() / "Volumes/Stick", {.isRemovable = true});
    permissions->requestVolumeFolderAccess(Category::network, *cache, {stick});
    EXPECT_THAT(openedURLs(), ElementsAre(SettingsPane::filesAndFolders));
    permissions->requestVolumeFolderAccess(Category::removable, *cache, {stick});
    EXPECT_EQ(permissions->folderAccess(*stick.path), FolderAccessState::granted);
    permissions->performRequest(Kind::removableVolume, *cache, {stick});
    EXPECT_EQ(openedURLs().size(), 2u);
}

TEST_F(PermissionsServiceTest, FolderAccessRecordsReadAndWriteOnlyWhatTheyMust) {
    const auto stored = [&] { return *defaults().dictionaryForKey("permissions.folderAccess"); };
    defaults().set("permissions.folderAccess", PlistDict{{"/a", "granted"}, {"/b", "maybe"}, {"/c", 3}});
    EXPECT_EQ(permissions->folderAccess("/a"), FolderAccessState::granted);
    EXPECT_EQ(permissions->folderAccess("/b"), FolderAccessState::unknown);
    EXPECT_EQ(permissions->folderAccess("/c"), FolderAccessState::unknown);
    EXPECT_EQ(permissions->folderAccess("/d"), FolderAccessState::unknown);

    int announcements = 0;
    bool writtenBeforeAnnouncing = false;
    auto changes = permissions->objectWillChange().sink([&](auto) {
        ++announcements;
        writtenBeforeAnnouncing = permissions->folderAccess("/a") == FolderAccessState::denied;
    });
    permissions->setFolderAccess(FolderAccessState::granted, "/a");  // unchanged: nothing at all
    EXPECT_EQ(announcements, 0);
    EXPECT_EQ(stored(), (PlistDict{{"/a", "granted"}, {"/b", "maybe"}, {"/c", 3}}));

    // A stray value of another type does not cost the other records.
    permissions->setFolderAccess(FolderAccessState::denied, "/a");
    EXPECT_EQ(announcements, 1);
    EXPECT_TRUE(writtenBeforeAnnouncing);
    EXPECT_EQ(stored(), (PlistDict{{"/a", "denied"}, {"/b", "maybe"}}));

    permissions->setFolderAccess(FolderAccessState::unknown, "/e");
    EXPECT_EQ(announcements, 2);
    EXPECT_EQ(stored(), (PlistDict{{"/a", "denied"}, {"/b", "maybe"}, {"/e", "unknown"}}));

    // A value of another type under the key reads as empty and is replaced.
    defaults().set("permissions.folderAccess", "not a dictionary");
    EXPECT_EQ(permissions->folderAccess("/a"), FolderAccessState::unknown);
    permissions->setFolderAccess(FolderAccessState::granted, "/f");
    EXPECT_EQ(stored(), (PlistDict{{"/f", "granted"}}));
}

}  // namespace
}  // namespace tavelin
