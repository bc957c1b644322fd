#include "mac/core/SnapshotComposer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tavelin {

void SnapshotComposer::applyFilters(std::vector<DockItem>& items) const {
    const bool showUnavailable = settings_.showUnavailableItems.value();
    std::erase_if(items, [&](const DockItem& item) {
        if (item.region == DockRegion::runningApps && !passesRunningAppsRules(item)) return true;
        return !((showUnavailable || item.isAvailable) && isOnDisk(item));
    });
}

bool SnapshotComposer::passesRunningAppsRules(const DockItem& item) const {
    if (item.activationPolicy != ActivationPolicy::regular && !item.isRecentAppsTile) return false;
    const auto& excluded = settings_.excludedBundleIDs.value();
    if (item.bundleID && std::ranges::find(excluded, *item.bundleID) != excluded.end()) return false;
    return !(settings_.hiddenApps.value() == HiddenAppsSetting::hide && item.isHidden);
}

bool SnapshotComposer::isOnDisk(const DockItem& item) const {
    switch (item.kind) {
        case DockItemKind::app:
            if (item.path && exists(*item.path)) return true;
            if (!item.bundleID) return false;
            if (const auto application = workspace_.urlForApplication(*item.bundleID)) {
                return exists(application->string());
            }
            return false;
        case DockItemKind::folder:
        case DockItemKind::file:
            return item.path && exists(*item.path);
        case DockItemKind::url:
            if (!item.path) return false;
            return item.path->starts_with("http://") || item.path->starts_with("https://") ||
                   exists(*item.path);
        case DockItemKind::trash:
            return true;
        case DockItemKind::unknown:
            return false;
    }
    return false;
}

DockDiff SnapshotComposer::diff(const DockSnapshot& from, const DockSnapshot& to) {
    DockDiff diff{.fromGeneration = from.dockGeneration,
                  .toGeneration = to.dockGeneration,
                  .eventSequence = to.eventSequence};

    std::unordered_set<std::string_view> newIDs;
    for (const auto& item : to.items) newIDs.insert(item.itemID.comparisonKey());
    for (const auto& item : from.items) {
        if (!newIDs.contains(item.itemID.comparisonKey())) diff.removes.push_back(item.itemID);
    }

    std::unordered_map<std::string_view, const DockItem*> firstOldByID;
    for (const auto& item : from.items) firstOldByID.try_emplace(item.itemID.comparisonKey(), &item);
    for (const auto& item : to.items) {
        const auto old = firstOldByID.find(item.itemID.comparisonKey());
        if (old == firstOldByID.end() || !(*old->second == item)) diff.upserts.push_back(item);
        diff.reorders.push_back(item.itemID);
    }

    if (from.separators != to.separators) diff.separators = to.separators;
    return diff;
}

}  // namespace tavelin
