#include "mac/core/RunningAppsService.h"

#include <algorithm>
#include <chrono>

#include "mac/core/DockTileRecord.h"
#include "mac/core/RunningAppAttention.h"

namespace tavelin {
namespace {

constexpr std::string_view kFinderBundleID = "com.apple.finder";

bool contains(const std::vector<std::string>& list, std::string_view value) {
    return std::ranges::find(list, value) != list.end();
}

}  // namespace

ActivationPolicy activationPolicyFromRaw(std::int64_t raw) {
    switch (raw) {
        case static_cast<std::int64_t>(RawActivationPolicy::regular):
            return ActivationPolicy::regular;
        case static_cast<std::int64_t>(RawActivationPolicy::accessory):
            return ActivationPolicy::accessory;
        case static_cast<std::int64_t>(RawActivationPolicy::prohibited):
            return ActivationPolicy::prohibited;
        default:
            return ActivationPolicy::unknown;
    }
}

RunningAppsService::RunningAppsService(Workspace& workspace, const HostInfo& host, Queue& mainQueue)
    : ObservableObject(mainQueue), workspace_(workspace), ownBundleID_(host.mainBundle().identifier) {
    refresh();
    auto& center = workspace_.notificationCenter();
    // The tokens die with the service, before anything else of it, and take queued deliveries along.
    observers_.push_back(center.addObserver(std::string(kWorkspaceDidLaunchApplication), nullptr, &mainQueue,
                                            [this](const Notification& n) { applicationDidLaunch(n); }));
    for (const auto name : {kWorkspaceDidTerminateApplication, kWorkspaceDidActivateApplication,
                            kWorkspaceDidHideApplication, kWorkspaceDidUnhideApplication}) {
        observers_.push_back(center.addObserver(std::string(name), nullptr, &mainQueue,
                                                [this](const Notification&) { refresh(); }));
    }
}

bool RunningAppsService::isThisApplication(const RunningApplication& application) const {
    return application.bundleIdentifier == ownBundleID_;
}

// A regular application with a bundle identifier, other than this one.
bool RunningAppsService::isUserApplication(const RunningApplication& application) const {
    return application.bundleIdentifier && !isThisApplication(application) &&
           activationPolicyFromRaw(application.activationPolicy) == ActivationPolicy::regular;
}

void RunningAppsService::rememberLastUserActiveApp() {
    // While this application is in front (the switcher, its settings), the one the user came from stays.
    if (const auto front = workspace_.frontmostApplication(); front && isUserApplication(*front)) {
        lastUserActiveBundleID_ = front->bundleIdentifier;
        return;
    }
    for (const auto& application : workspace_.runningApplications()) {
        if (isUserApplication(application) && application.isActive) {
            lastUserActiveBundleID_ = application.bundleIdentifier;
            return;
        }
    }
}

RunningAppsService::RunningAppInfo RunningAppsService::info(const RunningApplication& application) const {
    const auto& bundleID = *application.bundleIdentifier;
    return RunningAppInfo{
        .bundleID = bundleID,
        .localizedName = application.localizedName.value_or(bundleID),
        .isActive = bundleID == lastUserActiveBundleID_,
        .isHidden = application.isHidden,
        .activationPolicy = activationPolicyFromRaw(application.activationPolicy),
        .launchDate = application.launchDate,
        .needsAttention = RunningAppAttention::needsAttention(application),
    };
}

void RunningAppsService::refresh() {
    rememberLastUserActiveApp();
    std::map<std::string, RunningAppInfo> byBundleID;
    for (const auto& application : workspace_.runningApplications()) {
        if (!application.bundleIdentifier || isThisApplication(application)) continue;
        byBundleID.insert_or_assign(*application.bundleIdentifier, info(application));
    }
    if (lastUserActiveBundleID_ && !byBundleID.contains(*lastUserActiveBundleID_))
        lastUserActiveBundleID_.reset();

    auto state = state_.value();
    state.byBundleID = std::move(byBundleID);
    std::erase_if(state.unpinnedRunningOrder, [&](const std::string& bundleID) {
        return !state.recentPlistBundleIDs.contains(bundleID) && !state.byBundleID.contains(bundleID);
    });
    state_ = std::move(state);
}

void RunningAppsService::applicationDidLaunch(const Notification& notification) {
    const auto* application = notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
    if (application && application->bundleIdentifier && !isThisApplication(*application)) {
        const auto& bundleID = *application->bundleIdentifier;
        const auto& current = state_.value();
        if (!contains(current.pinnedBundleIDs, bundleID) &&
            !contains(current.unpinnedRunningOrder, bundleID)) {
            auto state = current;
            state.unpinnedRunningOrder.push_back(bundleID);
            state_ = std::move(state);
        }
    }
    refresh();
}

void RunningAppsService::refreshPinned(const std::optional<PlistDict>& plist) {
    if (!plist || plist->empty()) return;
    const auto tiles = dictionaryList(*plist, "persistent-apps");
    if (!tiles) return;
    std::vector<std::string> pinned;
    for (const auto* tile : *tiles) {
        const auto* data = dictionaryValue(*tile, "tile-data");
        const auto* bundleID = data ? stringValue(*data, "bundle-identifier") : nullptr;
        if (bundleID) pinned.push_back(*bundleID);
    }
    if (!contains(pinned, kFinderBundleID)) pinned.insert(pinned.begin(), std::string(kFinderBundleID));
    auto state = state_.value();
    state.pinnedBundleIDs = std::move(pinned);
    state_ = std::move(state);
}

void RunningAppsService::syncUnpinnedRunningOrder(const std::optional<PlistDict>& plist) {
    auto state = state_.value();
    const std::set<std::string> pinned(state.pinnedBundleIDs.begin(), state.pinnedBundleIDs.end());
    const auto showRecents = plist ? booleanValue(*plist, "show-recents").value_or(true) : true;

    std::vector<std::string> order;
    std::set<std::string> seen;
    std::set<std::string> recents;
    std::map<std::string, RecentTileInfo> recentTiles;

    const auto recentTileList =
        plist && !plist->empty() ? dictionaryList(*plist, "recent-apps") : std::nullopt;
    for (const auto* entry : recentTileList.value_or(std::vector<const PlistDict*>{})) {
        const auto* data = dictionaryValue(*entry, "tile-data");
        const auto* found = data ? stringValue(*data, "bundle-identifier") : nullptr;
        if (found == nullptr) continue;
        const auto& bundleID = *found;
        if (pinned.contains(bundleID) || seen.contains(bundleID)) continue;
        // Running applications stay even when the recent applications are not shown.
        if (!showRecents && !state.byBundleID.contains(bundleID)) continue;
        const auto tile = DockTileRecord::read(*entry);
        order.push_back(bundleID);
        seen.insert(bundleID);
        recents.insert(bundleID);
        recentTiles.insert_or_assign(bundleID,
                                     RecentTileInfo{std::string(tile.label.value_or(bundleID)), tile.path()});
    }

    const auto isRegular = [&](const std::string& bundleID) {
        const auto found = state.byBundleID.find(bundleID);
        return found != state.byBundleID.end() && found->second.activationPolicy == ActivationPolicy::regular;
    };
    for (const auto& bundleID : state.unpinnedRunningOrder) {
        if (!pinned.contains(bundleID) && isRegular(bundleID) && seen.insert(bundleID).second)
            order.push_back(bundleID);
    }

    std::vector<const RunningAppInfo*> newcomers;
    for (const auto& [bundleID, info] : state.byBundleID) {
        if (!pinned.contains(bundleID) && isRegular(bundleID) && !seen.contains(bundleID))
            newcomers.push_back(&info);
    }
    // An unknown launch date counts as the far future; equal dates go by bundle ID.
    std::ranges::sort(newcomers, [](const RunningAppInfo* a, const RunningAppInfo* b) {
        const auto key = [](const RunningAppInfo* info) {
            return std::tuple(info->launchDate.value_or(Timestamp::max()), std::string_view(info->bundleID));
        };
        return key(a) < key(b);
    });
    for (const auto* info : newcomers) order.push_back(info->bundleID);

    state.unpinnedRunningOrder = std::move(order);
    state.recentPlistBundleIDs = std::move(recents);
    state.unpinnedRecentTileInfo = std::move(recentTiles);
    state_ = std::move(state);
}

}  // namespace tavelin
