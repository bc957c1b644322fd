#include "mac/app/AppServices.h"

namespace tavelin {
namespace {

WindowPlatform windowPlatform(const AppPlatform& platform) {
    return WindowPlatform{platform.accessibility,
                          platform.windowServer,
                          platform.screens,
                          platform.runningApplications,
                          platform.mouseCursor,
                          platform.scheduler,
                          platform.log,
                          platform.windowActionLog,
                          platform.privateWindowServer,
                          platform.windowServerConnection,
                          platform.host,
                          platform.workspace,
                          platform.files,
                          platform.appleScripts};
}

AppCommandPlatform appCommandPlatform(const AppPlatform& platform) {
    return AppCommandPlatform{windowPlatform(platform), platform.workspaceActions, platform.folders,
                              platform.appleEvents, platform.processes};
}

}  // namespace

AppServices::AppServices(const AppPlatform& platform)
    : platform_(platform),
      settings(platform.standardDefaults, platform.host, platform.scheduler.main()),
      runningApps(platform.workspace, platform.host, platform.scheduler.main()),
      icons({platform.workspaceIcons, platform.workspace, platform.files, platform.folders, platform.host,
             platform.notificationCenter}),
      folders(platform.files, platform.scheduler.clock()),
      wallpaper(
          WallpaperService::create({platform.screens, platform.desktopPictures, platform.windowServer,
                                    platform.screenCapture, platform.privacy, platform.host,
                                    platform.workspace.notificationCenter(), platform.notificationCenter},
                                   platform.scheduler, platform.log)),
      permissions(std::make_shared<PermissionsService>(PermissionsService::Platform{
          platform.accessibility, platform.privacy, platform.userNotifications, platform.workspaceActions,
          platform.alerts, platform.files, platform.folders, platform.standardDefaults,
          platform.scheduler.main()})),
      windowList(std::make_shared<WindowListService>(windowPlatform(platform))),
      windowThumbnails(std::make_shared<WindowThumbnailService>(WindowThumbnailService::Platform{
          platform.windowServer, platform.screenCapture, platform.host, platform.scheduler})),
      windowActionDisplayResolver(std::make_shared<WindowActionDisplayResolver>(platform.screens)),
      pointerAnimator(PointerAnimator::create(platform.mouseCursor, platform.screens, platform.scheduler)),
      windowActions(windowList, settings, windowActionDisplayResolver, appCommandPlatform(platform), pointerAnimator),
      composer(settings, icons, platform.workspace, platform.files),
      dockState(DockStateService::create(
          {platform.userDefaults, platform.folders, platform.workspace, platform.host, platform.accessibility,
           platform.fileWatcher, platform.notificationCenter},
          platform.scheduler, runningApps, composer, settings)),
      folderCache(std::make_shared<FolderContentCache>(
          folders, settings, icons, permissions,
          FolderContentCache::Platform{platform.scheduler, platform.files, platform.fileWatcher})),
      executor(appCommandPlatform(platform)),
      server(ServerCoordinator::create(
          {settings, dockState, executor, folders, wallpaper, permissions, folderCache, windowList,
           windowThumbnails, windowActions, icons},
          {platform.scheduler,
           platform.log,
           platform.network,
           platform.host,
           platform.notificationCenter,
           {platform.standardDefaults, platform.keychain, platform.folders, platform.log}})),
      loginItem(platform.loginItems, platform.log) {
    folderCache->attach(dockState);
}

void AppServices::start() {
    permissions->refresh();
    wallpaper->refreshIfDesktopChanged(true);
    wallpaper->startPeriodicRefresh();
    dockState->rebuild();
    server->start();
    // A first launch leaves the login item to the first-run flow; it is never unregistered here.
    if (settings.launchAtLogin.value() &&
        platform_.standardDefaults.integerForKey(kOnboardingCompletedVersionKey) >= 1) {
        loginItem.setEnabled(true);
    }
}

}  // namespace tavelin
