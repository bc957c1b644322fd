#pragma once

// The whole Dock at one generation: every item and separator in order, with its counters and time.

#include <cstdint>
#include <vector>

#include "protocol/DockItem.h"
#include "protocol/DockSeparator.h"
#include "protocol/Timestamp.h"

namespace tavelin {

struct DockDiff;

struct DockSnapshot {
    static constexpr std::string_view typeName = "DockSnapshot";

    std::int64_t dockGeneration = 0;
    std::int64_t eventSequence = 0;
    Timestamp generatedAt{};
    std::vector<DockItem> items;
    std::vector<DockSeparator> separators;
    RunningAppsSort runningSort = RunningAppsSort::recentlyUsed;

    // This snapshot with `diff` applied, or this snapshot unchanged when the diff is for another
    // generation.
    DockSnapshot applying(const DockDiff& diff, Timestamp now = currentTimestamp()) const;

    friend bool operator==(const DockSnapshot&, const DockSnapshot&) = default;
};

void toJSON(JsonWriter& w, const DockSnapshot& snapshot);
bool fromJSON(const JsonValue& v, DockSnapshot& snapshot);

}  // namespace tavelin
