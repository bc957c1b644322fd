#pragma once

// The change from one snapshot to the next. An absent `separators` means they did not change; a
// present empty list clears them.

#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/DockItem.h"
#include "protocol/DockSeparator.h"

namespace tavelin {

struct DockDiff {
    static constexpr std::string_view typeName = "DockDiff";

    std::int64_t fromGeneration = 0;
    std::int64_t toGeneration = 0;
    std::int64_t eventSequence = 0;
    std::vector<DockItem> upserts;
    std::vector<ItemID> removes;
    std::vector<ItemID> reorders;  // empty: the order stays as it is
    std::optional<std::vector<DockSeparator>> separators;

    friend bool operator==(const DockDiff&, const DockDiff&) = default;
};

void toJSON(JsonWriter& w, const DockDiff& diff);
bool fromJSON(const JsonValue& v, DockDiff& diff);

}  // namespace tavelin
