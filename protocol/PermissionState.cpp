#include "protocol/PermissionState.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const PermissionState& permissions) {
    w.beginObject();
    writeField(w, "accessibility", permissions.accessibility);
    writeField(w, "screenRecording", permissions.screenRecording);
    writeField(w, "localNetwork", permissions.localNetwork);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PermissionState& permissions) {
    ObjectReader r(v);
    r.required("accessibility", permissions.accessibility)
        .required("screenRecording", permissions.screenRecording)
        .optional("localNetwork", permissions.localNetwork);
    return r.ok();
}

}  // namespace tavelin
