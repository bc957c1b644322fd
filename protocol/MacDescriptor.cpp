#include "protocol/MacDescriptor.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

std::vector<Capability> advertisedCapabilities(const PermissionState& permissions) {
    std::vector<Capability> capabilities = {Capability::dockRead, Capability::folderRead,
                                            Capability::wallpaper, Capability::launchActivate};
    if (permissions.accessibility) capabilities.push_back(Capability::windowList);
    if (permissions.screenRecording) capabilities.push_back(Capability::thumbnails);
    return capabilities;
}

void toJSON(JsonWriter& w, const MacDescriptor& mac) {
    w.beginObject();
    writeField(w, "machineID", mac.machineID);
    writeField(w, "displayName", mac.displayName);
    writeField(w, "macOSVersion", mac.macOSVersion);
    writeField(w, "appVersion", mac.appVersion);
    writeField(w, "capabilities", mac.capabilities);
    writeField(w, "permissions", mac.permissions);
    w.endObject();
}

bool fromJSON(const JsonValue& v, MacDescriptor& mac) {
    ObjectReader r(v);
    r.required("machineID", mac.machineID)
        .required("displayName", mac.displayName)
        .required("macOSVersion", mac.macOSVersion)
        .required("appVersion", mac.appVersion)
        .required("capabilities", mac.capabilities)
        .required("permissions", mac.permissions);
    return r.ok();
}

}  // namespace tavelin
