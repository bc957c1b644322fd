#pragma once

// One message that the server sends to every authenticated session on its own: its message type and
// payload. Each session wraps it in an envelope of its own (a new request ID, its session ID).

#include <variant>
#include <vector>

#include "protocol/DockSnapshot.h"
#include "protocol/IconData.h"
#include "protocol/MessageType.h"
#include "protocol/PermissionState.h"
#include "protocol/WallpaperData.h"

namespace tavelin {

struct ServerPush {
    // "dock.snapshot", "icon.data", "wallpaper.data", "permissions.changed", "icon.invalidated".
    using Payload =
        std::variant<DockSnapshot, std::vector<IconData>, WallpaperData, PermissionState, IconInvalidated>;

    MessageType messageType = MessageType::dockSnapshot;
    Payload payload;

    friend bool operator==(const ServerPush&, const ServerPush&) = default;
};

}  // namespace tavelin
