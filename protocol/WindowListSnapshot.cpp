#include "protocol/WindowListSnapshot.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const ConnectedDisplay& display) {
    w.beginObject();
    writeField(w, "screenID", display.screenID);
    writeField(w, "name", display.name);
    w.endObject();
}

bool fromJSON(const JsonValue& v, ConnectedDisplay& display) {
    return ObjectReader(v).required("screenID", display.screenID).required("name", display.name).ok();
}

void toJSON(JsonWriter& w, const WindowListRequest& request) {
    w.beginObject();
    writeField(w, "appItemID", request.appItemID);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowListRequest& request) {
    return ObjectReader(v).required("appItemID", request.appItemID).ok();
}

void toJSON(JsonWriter& w, const WindowListSnapshot& snapshot) {
    w.beginObject();
    writeField(w, "appItemID", snapshot.appItemID);
    writeField(w, "listGeneration", snapshot.listGeneration);
    writeField(w, "accessibilityGranted", snapshot.accessibilityGranted);
    writeField(w, "screenRecordingGranted", snapshot.screenRecordingGranted);
    writeField(w, "windows", snapshot.windows);
    writeField(w, "connectedDisplays", snapshot.connectedDisplays);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowListSnapshot& snapshot) {
    ObjectReader r(v);
    r.required("appItemID", snapshot.appItemID)
        .required("listGeneration", snapshot.listGeneration)
        .required("accessibilityGranted", snapshot.accessibilityGranted)
        .required("screenRecordingGranted", snapshot.screenRecordingGranted)
        .required("windows", snapshot.windows)
        .optional("connectedDisplays", snapshot.connectedDisplays);
    return r.ok();
}

}  // namespace tavelin
