#pragma once

// The running applications as the Dock shows them: one record per bundle identifier, the Dock's fixed
// applications in Dock order, and the order in which the unpinned running applications and the Dock's
// recent applications follow the fixed ones. The program itself is left out everywhere.
//
//     runningApps.refreshPinned(plist);              // at every rebuild of the dock state, in this order
//     runningApps.syncUnpinnedRunningOrder(plist);
//     subscription_ = runningApps.statePublisher().dropFirst().debounce(main, 150ms).sink(...);
//
// Every assignment of the state is announced, also one that leaves it equal. The workspace's
// notifications (launch, terminate, activate, hide, unhide) refresh it.
//
// Main thread. The observers are removed when the service is destroyed; nothing queued for them runs
// afterwards.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/HostInfo.h"
#include "platform/PlistValue.h"
#include "platform/Workspace.h"
#include "protocol/DockEnums.h"
#include "protocol/Timestamp.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Queue.h"

namespace tavelin {

class RunningAppsService : public ObservableObject {
  public:
    struct RunningAppInfo {
        std::string bundleID;
        std::string localizedName;  // the bundle ID when the application has no name
        bool isActive = false;      // the application the user last had in front
        bool isHidden = false;
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        std::optional<Timestamp> launchDate;
        bool needsAttention = false;
        friend bool operator==(const RunningAppInfo&, const RunningAppInfo&) = default;
    };

    // A recent-application tile of the Dock.
    struct RecentTileInfo {
        std::string label;
        std::optional<std::string> path;
        friend bool operator==(const RecentTileInfo&, const RecentTileInfo&) = default;
    };

    struct State {
        std::map<std::string, RunningAppInfo> byBundleID;
        // The Dock's fixed applications in Dock order; "com.apple.finder" first when the Dock lists none.
        std::vector<std::string> pinnedBundleIDs;
        std::vector<std::string> unpinnedRunningOrder;
        // The Dock's recent applications at the last sync, with their tiles.
        std::set<std::string> recentPlistBundleIDs;
        std::map<std::string, RecentTileInfo> unpinnedRecentTileInfo;
        friend bool operator==(const State&, const State&) = default;
    };

    // Refreshes once, then observes the workspace on `mainQueue`.
    RunningAppsService(Workspace& workspace, const HostInfo& host, Queue& mainQueue);

    const State& state() const { return state_.value(); }
    Publisher<State> statePublisher() const { return state_.publisher(); }

    // Rebuilds the records from the workspace.
    void refresh();
    // `plist` is the Dock's preferences. A missing or malformed "persistent-apps" changes nothing and
    // announces nothing.
    void refreshPinned(const std::optional<PlistDict>& plist);
    // Recent tiles first, then the applications already placed, then new regular applications from the
    // oldest launch to the newest. Reads the pinned applications, so refreshPinned comes first.
    void syncUnpinnedRunningOrder(const std::optional<PlistDict>& plist);

  private:
    void rememberLastUserActiveApp();
    void applicationDidLaunch(const Notification& notification);
    bool isThisApplication(const RunningApplication& application) const;
    bool isUserApplication(const RunningApplication& application) const;
    RunningAppInfo info(const RunningApplication& application) const;

    Workspace& workspace_;
    const std::string ownBundleID_;
    std::optional<std::string> lastUserActiveBundleID_;
    Published<State> state_{*this};
    // Last, so that they go first.
    std::vector<ObserverToken> observers_;
};

// The platform's raw policy 0, 1, 2 as regular, accessory, prohibited; any other as unknown.
ActivationPolicy activationPolicyFromRaw(std::int64_t raw);

}  // namespace tavelin
