#pragma once

// The Mac as it describes itself to a paired device in the hello acknowledgement: who it is and what it
// offers in the session.

#include <string>
#include <vector>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/PermissionState.h"

namespace tavelin {

enum class Capability {
    dockRead,
    folderRead,
    wallpaper,
    launchActivate,
    windowList,
    thumbnails,
    activeAppMenu
};

template <>
struct EnumText<Capability> {
    static constexpr std::string_view names[] = {"dockRead",   "folderRead", "wallpaper",    "launchActivate",
                                                 "windowList", "thumbnails", "activeAppMenu"};
};

// What the Mac offers, in its fixed order: reading the Dock and folders, the wallpaper and launching
// always; window lists with Accessibility; thumbnails with Screen Recording. Never activeAppMenu.
std::vector<Capability> advertisedCapabilities(const PermissionState& permissions);

struct MacDescriptor {
    static constexpr std::string_view typeName = "MacDescriptor";

    MachineID machineID;
    std::string displayName;
    std::string macOSVersion;  // as the platform words it
    std::string appVersion;    // "0" when the bundle has none
    std::vector<Capability> capabilities;
    PermissionState permissions;

    friend bool operator==(const MacDescriptor&, const MacDescriptor&) = default;
};

void toJSON(JsonWriter& w, const MacDescriptor& mac);
bool fromJSON(const JsonValue& v, MacDescriptor& mac);

}  // namespace tavelin
