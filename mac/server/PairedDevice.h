#pragma once

// One device paired with this Mac, as the device store keeps it in devices.json.

#include <string>

#include "protocol/Base64.h"
#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/Timestamp.h"

namespace tavelin {

struct PairedDevice {
    static constexpr std::string_view typeName = "PairedDevice";

    DeviceID deviceID;
    std::string name;
    Bytes publicKey;  // the device's P-256 public key
    Timestamp addedAt{};
    bool paused = false;  // the user stopped its sessions without unpairing it

    friend bool operator==(const PairedDevice&, const PairedDevice&) = default;
};

void toJSON(JsonWriter& w, const PairedDevice& device);
bool fromJSON(const JsonValue& v, PairedDevice& device);

}  // namespace tavelin
