#pragma once

// One separator or spacer between the Dock's tiles. Items and separators of one region share one
// dockIndex numbering, so ordering both by it gives the Dock's order with the gaps in place.

#include <cstdint>
#include <string>

#include "protocol/DockEnums.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct DockSeparator {
    static constexpr std::string_view typeName = "DockSeparator";

    std::string separatorID;
    DockRegion region = DockRegion::fixedApps;
    std::int64_t dockIndex = 0;
    SeparatorKind kind = SeparatorKind::separator;

    const std::string& id() const { return separatorID; }

    friend bool operator==(const DockSeparator&, const DockSeparator&) = default;
};

void toJSON(JsonWriter& w, const DockSeparator& separator);
bool fromJSON(const JsonValue& v, DockSeparator& separator);

}  // namespace tavelin
