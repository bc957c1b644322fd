#include "protocol/DockSnapshotApplier.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tavelin::DockSnapshotApplier {
namespace {

std::vector<DockItem> reordered(std::vector<DockItem> items, const std::vector<ItemID>& order) {
    // The first item of each ID; later duplicates of a broken base are dropped here.
    std::unordered_map<ItemID, std::size_t> firstIndex;
    firstIndex.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) firstIndex.try_emplace(items[i].itemID, i);

    std::vector<std::size_t> picked;
    picked.reserve(firstIndex.size());
    std::vector<bool> placed(items.size(), false);
    for (const auto& id : order) {
        const auto found = firstIndex.find(id);
        if (found == firstIndex.end() || placed[found->second]) continue;
        placed[found->second] = true;
        picked.push_back(found->second);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!placed[i] && firstIndex.at(items[i].itemID) == i) picked.push_back(i);
    }

    std::vector<DockItem> result;
    result.reserve(picked.size());
    for (const auto index : picked) result.push_back(std::move(items[index]));
    return result;
}

}  // namespace

std::optional<DockSnapshot> apply(const DockDiff& diff, const DockSnapshot& to, Timestamp now) {
    if (diff.fromGeneration != to.dockGeneration) return std::nullopt;

    const std::unordered_set<ItemID> removed(diff.removes.begin(), diff.removes.end());
    std::vector<DockItem> items;
    items.reserve(to.items.size() + diff.upserts.size());
    for (const auto& item : to.items) {
        if (!removed.contains(item.itemID)) items.push_back(item);
    }

    for (const auto& upsert : diff.upserts) {
        const auto same = std::find_if(items.begin(), items.end(),
                                       [&](const DockItem& item) { return item.itemID == upsert.itemID; });
        if (same != items.end()) {
            *same = upsert;
        } else {
            items.push_back(upsert);
        }
    }

    if (!diff.reorders.empty()) items = reordered(std::move(items), diff.reorders);

    DockSnapshot result;
    result.dockGeneration = diff.toGeneration;
    result.eventSequence = diff.eventSequence;
    result.generatedAt = now;
    result.items = std::move(items);
    result.separators = diff.separators ? *diff.separators : to.separators;
    result.runningSort = to.runningSort;
    return result;
}

}  // namespace tavelin::DockSnapshotApplier
