#pragma once

// One tile of the Dock, or one running application, as the panel and the paired devices see it.

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/DockEnums.h"
#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct DockItem {
    static constexpr std::string_view typeName = "DockItem";

    ItemID itemID;
    DockRegion region = DockRegion::fixedApps;
    DockItemKind kind = DockItemKind::app;
    std::optional<std::string> bundleID;
    std::optional<std::string> path;
    std::string title;
    std::optional<IconToken> iconToken;
    bool isDockPinned = false;
    std::int64_t dockIndex = 0;
    bool isRunning = false;
    bool isActive = false;
    bool isHidden = false;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    std::optional<FolderDisplayMode> folderDisplayMode;
    std::optional<FolderArrangement> folderArrangement;
    bool isAvailable = true;
    bool needsAttention = false;
    bool isRecentAppsTile = false;

    const ItemID& id() const { return itemID; }
    // Only a running application shows the indicator; a folder, file, link or Trash tile never does.
    bool showsRunningIndicator() const { return kind == DockItemKind::app && isRunning; }

    friend bool operator==(const DockItem&, const DockItem&) = default;
};

void toJSON(JsonWriter& w, const DockItem& item);
bool fromJSON(const JsonValue& v, DockItem& item);

}  // namespace tavelin
