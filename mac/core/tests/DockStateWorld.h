#pragma once

// A simulated Mac with a running Dock, and the services of the live dock snapshot made over it: the
// settings, the running applications, the icons, the composer and the dock state service. The
// scheduler and the file watcher are the caller's: virtual time and a watcher driven by hand, or the
// real ones.

#include <memory>

#include "mac/core/DockStateService.h"
#include "mac/core/IconService.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/settings/AppSettings.h"
#include "platform/sim/SimMac.h"

namespace tavelin {

struct DockStateWorld {
    // Finder and Safari running; Notes pinned; Mail and Terminal installed.
    static sim::Desktop standardDesktop() {
        return sim::Desktop{
            .applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                             {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                             {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
                             {"com.apple.mail", "Mail", "/System/Applications/Mail.app"},
                             {"com.apple.Terminal", "Terminal",
                              "/System/Applications/Utilities/Terminal.app"}},
            .dock = sim::DesktopDock{.fixed = {{sim::DesktopDockTileKind::application, "com.apple.finder"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Safari"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Notes"}},
                                     .others = {{sim::DesktopDockTileKind::folder, "~/Downloads"}}}};
    }

    DockStateWorld(const std::filesystem::path& home, Scheduler& scheduler, FileWatcher& watcher,
                   sim::Desktop desktop = standardDesktop())
        : mac(std::move(desktop), home, scheduler, log), watcher(watcher), scheduler(scheduler) {
        mac.accessibility().setProcessTrusted(true);
    }

    DockStateService& start() {
        service = DockStateService::create({mac.userDefaults(), mac.folders(), mac.workspace(), mac.host(),
                                            mac.accessibility(), watcher, mac.notificationCenter()},
                                           scheduler, runningApps, composer, settings);
        return *service;
    }

    std::filesystem::path preferenceFile() const {
        return mac.homeFolder() / "Library/Preferences/com.apple.dock.plist";
    }
    std::filesystem::path trash() const { return mac.homeFolder() / ".Trash"; }

    CapturedSystemLog log;
    sim::SimMac mac;
    FileWatcher& watcher;
    Scheduler& scheduler;
    AppSettings settings{mac.standardUserDefaults(), mac.host(), scheduler.main()};
    RunningAppsService runningApps{mac.workspace(), mac.host(), scheduler.main()};
    IconService icons{{mac.workspaceIcons(), mac.workspace(), mac.fileSystem(), mac.folders(), mac.host(),
                       mac.notificationCenter()}};
    SnapshotComposer composer{settings, icons, mac.workspace(), mac.fileSystem()};
    std::shared_ptr<DockStateService> service;
};

}  // namespace tavelin
