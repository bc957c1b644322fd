#pragma once

// Ready-made records for the protocol tests. Times are whole seconds: the wire keeps no fractions.

#include <chrono>

#include "protocol/DockSnapshot.h"

namespace tavelin::testing {

inline DockItem appItem(std::string id, std::int64_t dockIndex = 0) {
    return DockItem{.itemID = ItemID(id),
                    .region = DockRegion::fixedApps,
                    .kind = DockItemKind::app,
                    .bundleID = "com.example." + id,
                    .path = "/Applications/" + id + ".app",
                    .title = id,
                    .iconToken = IconToken("00112233aabbccdd"),
                    .isDockPinned = true,
                    .dockIndex = dockIndex};
}

inline Timestamp wholeSeconds(std::int64_t secondsSinceEpoch) {
    return Timestamp{std::chrono::seconds{secondsSinceEpoch}};
}

inline DockSnapshot snapshotOf(std::vector<DockItem> items, std::int64_t generation = 5) {
    return DockSnapshot{.dockGeneration = generation,
                        .eventSequence = generation + 2,
                        .generatedAt = wholeSeconds(1'700'000'000),
                        .items = std::move(items),
                        .separators = {DockSeparator{"sep-1", DockRegion::fixedApps, 1, SeparatorKind::spacer}},
                        .runningSort = RunningAppsSort::launchOrder};
}

}  // namespace tavelin::testing
