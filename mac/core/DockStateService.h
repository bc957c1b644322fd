#pragma once

// The live dock snapshot: what the system Dock holds, as the switcher and the paired devices see it.
// A rebuild reads the Dock's preferences, the running applications and the Dock's Accessibility
// order, filters the items, gives them icon tokens, raises both counters and publishes a new
// snapshot (and, from the second rebuild on, the diff from the previous one, set before the snapshot
// it leads to).
//
//     auto dockState = DockStateService::create(platform, scheduler, runningApps, composer, settings);
//     subscription = dockState->snapshotPublisher().dropFirst().sink(...);
//
// Five triggers rebuild it: each event of the Dock's preference file, 0.2 s later (not coalesced; the
// file is watched again after it was replaced); each change of the Dock's defaults, 0.25 s later; the
// running applications, 150 ms after the last change of a burst; the settings, 50 ms after the last
// change of a burst. A change of the Trash, 0.12 s after the last event of a burst, only swaps the
// Trash tile's token in the current snapshot, republishes it and pushes the new picture
// ("tavelin.trashIconPushed"); it raises the service's event counter but not the snapshot's. A Trash
// deleted or renamed is watched again where it is then; while there is none, the folder that holds it
// is watched for its making.
//
// A rebuild never sets itself off: it updates the running applications' Dock order, and those two
// announcements are not taken for a change of the running applications. Nor is an announcement that
// leaves the running applications as the last rebuild read them (this program's own activation).
//
// Threads: everything runs on the main thread but the file watchers' handlers, which run on the serial
// queue "tavelin.dock-state" and hand every action to the main queue. Closures hold the service
// weakly, but for the preference file's delayed rebuild, which keeps it until it has run. Destroying
// the service ends its watches, observers and subscriptions and cancels the pending Trash refresh.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "mac/core/DockAXOrderReader.h"
#include "mac/core/DockPlistParser.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/settings/AppSettings.h"
#include "platform/Accessibility.h"
#include "platform/FileWatcher.h"
#include "platform/HostInfo.h"
#include "platform/UserDefaultsDomains.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"
#include "protocol/DockDiff.h"
#include "protocol/DockSnapshot.h"
#include "runtime/NotificationCenter.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Scheduler.h"

namespace tavelin {

class DockStateService : public ObservableObject, public std::enable_shared_from_this<DockStateService> {
  public:
    struct Platform {
        UserDefaultsDomains& userDefaults;
        const UserFolders& folders;
        const Workspace& workspace;
        const HostInfo& host;
        const Accessibility& accessibility;
        FileWatcher& fileWatcher;
        NotificationCenter& notifications;  // the default centre
    };

    static constexpr Duration kPreferenceFileDelay = std::chrono::milliseconds(200);
    static constexpr Duration kDockDefaultsDelay = std::chrono::milliseconds(250);
    static constexpr Duration kTrashDelay = std::chrono::milliseconds(120);
    static constexpr Duration kRunningAppsDebounce = std::chrono::milliseconds(150);
    static constexpr Duration kSettingsDebounce = std::chrono::milliseconds(50);
    static constexpr Duration kTrashRechecks[] = {std::chrono::milliseconds(350),
                                                  std::chrono::milliseconds(1000)};

    // Rebuilds once, then starts the watchers and the subscriptions.
    static std::shared_ptr<DockStateService> create(Platform platform, Scheduler& scheduler,
                                                    RunningAppsService& runningApps,
                                                    SnapshotComposer& composer, AppSettings& settings);
    ~DockStateService();

    // None until a rebuild has read the Dock's preferences.
    const std::optional<DockSnapshot>& snapshot() const { return snapshot_.value(); }
    Publisher<std::optional<DockSnapshot>> snapshotPublisher() const { return snapshot_.publisher(); }
    const std::optional<DockDiff>& lastDiff() const { return lastDiff_.value(); }
    Publisher<std::optional<DockDiff>> lastDiffPublisher() const { return lastDiff_.publisher(); }
    // Rebuilds so far; Dock events so far (rebuilds and Trash swaps).
    std::int64_t generation() const { return generation_; }
    std::int64_t eventSequence() const { return eventSequence_; }

    // Unreadable preferences change nothing.
    void rebuild();
    // Swaps the Trash tile's token when the Trash's state no longer matches it.
    void refreshTrashIconIfChanged();
    // Now, and again 0.35 s and 1 s later: the Trash takes a moment to change after a user's action.
    void scheduleTrashIconRefreshAfterUserAction();

  private:
    DockStateService(Platform platform, Scheduler& scheduler, RunningAppsService& runningApps,
                     SnapshotComposer& composer, AppSettings& settings);

    void startWatching();
    void startTrashWatching();
    void scheduleTrashRefresh(bool watchAgain);  // on queue_
    void startDockDefaultsWatching();
    void subscribe();
    void pushTrashIcon(const IconToken& token);

    Platform platform_;
    Queue& main_;
    const Clock& clock_;
    Published<std::optional<DockSnapshot>> snapshot_{*this};
    Published<std::optional<DockDiff>> lastDiff_{*this};
    std::int64_t generation_ = 0;
    std::int64_t eventSequence_ = 0;
    FileWatch dockWatcher_;
    FileWatch trashWatcher_;
    WorkItem trashRefreshWorkItem_;  // on queue_ only
    bool trashWatchAgain_ = false;   // on queue_ only: the pending refresh watches the Trash again
    Subscription dockDefaultsObserver_;
    std::vector<Subscription> cancellables_;
    Queue& queue_;  // "tavelin.dock-state"
    RunningAppsService& runningApps_;
    SnapshotComposer& composer_;
    AppSettings& settings_;
    UserDefaults* dockDefaults_;  // null when the suite cannot be opened
    DockPlistParser parser_;
    DockAXOrderReader axReader_;
    // True while the rebuild updates the running applications' Dock order.
    bool syncingRunningApps_ = false;
    // What the last rebuild read of the running applications.
    RunningAppsService::State runningAppsAtRebuild_;
};

}  // namespace tavelin
