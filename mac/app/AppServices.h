#pragma once

// The one service container of the process: it builds the settings store and every long-lived service
// in a fixed order, each from what was built before it, holds them for the life of the process, and
// starts them once at launch.
//
//     auto& services = application.sharedServices();  // built on first access
//     services.start();                                // once, by the application delegate
//
// Building starts nothing but what the Dock state service starts itself (a first rebuild, its
// watchers) and the server's subscriptions. start() refreshes the permissions and the desktop picture
// (and starts its periodic refresh), rebuilds the Dock state, starts the server, and registers the
// login item again when launch at login is on and the first-run flow has been completed once.
//
// Main thread: built and started there. The fields are set in the constructor and never replaced; the
// container takes no lock.

#include <memory>

#include "mac/app/AppPlatform.h"
#include "mac/app/LoginItemService.h"
#include "mac/core/DockStateService.h"
#include "mac/core/FolderContentCache.h"
#include "mac/core/FolderService.h"
#include "mac/core/IconService.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/core/WallpaperService.h"
#include "mac/server/ServerCoordinator.h"
#include "mac/settings/AppSettings.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/WindowActionDisplayResolver.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/WindowThumbnailService.h"
#include "runtime/ObservableObject.h"

namespace tavelin {

// The user-defaults integer that records the first-run flow's completion (absent: 0).
inline constexpr std::string_view kOnboardingCompletedVersionKey = "onboarding.completedVersion";

class AppServices : public ObservableObject {
  private:
    AppPlatform platform_;

  public:
    explicit AppServices(const AppPlatform& platform);
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    void start();

    // In the order in which they are built.
    AppSettings settings;
    RunningAppsService runningApps;
    // The process's one icon service; other parts reach it through the container.
    IconService icons;
    const FolderService folders;
    const std::shared_ptr<WallpaperService> wallpaper;
    const std::shared_ptr<PermissionsService> permissions;
    const std::shared_ptr<WindowListService> windowList;
    const std::shared_ptr<WindowThumbnailService> windowThumbnails;
    const std::shared_ptr<WindowActionDisplayResolver> windowActionDisplayResolver;
    // The pointer glides of window activation, one per process.
    const std::shared_ptr<PointerAnimator> pointerAnimator;
    const WindowActionService windowActions;
    SnapshotComposer composer;
    const std::shared_ptr<DockStateService> dockState;
    const std::shared_ptr<FolderContentCache> folderCache;
    const CommandExecutor executor;
    const std::shared_ptr<ServerCoordinator> server;
    LoginItemService loginItem;
};

}  // namespace tavelin
