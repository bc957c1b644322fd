#include "mac/server/PairedDevice.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const PairedDevice& device) {
    w.beginObject();
    writeField(w, "deviceID", device.deviceID);
    writeField(w, "name", device.name);
    writeField(w, "publicKey", device.publicKey);
    writeField(w, "addedAt", device.addedAt);
    writeField(w, "paused", device.paused);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairedDevice& device) {
    return ObjectReader(v)
        .required("deviceID", device.deviceID)
        .required("name", device.name)
        .required("publicKey", device.publicKey)
        .required("addedAt", device.addedAt)
        .required("paused", device.paused)
        .ok();
}

}  // namespace tavelin
