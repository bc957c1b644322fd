#include "protocol/Hello.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const Hello& hello) {
    w.beginObject();
    writeField(w, "deviceID", hello.deviceID);
    writeField(w, "protocolVersion", hello.protocolVersion);
    writeField(w, "appVersion", hello.appVersion);
    writeField(w, "deviceName", hello.deviceName);
    writeField(w, "clientNonce", hello.clientNonce);
    w.endObject();
}

bool fromJSON(const JsonValue& v, Hello& hello) {
    ObjectReader r(v);
    r.required("deviceID", hello.deviceID)
        .required("protocolVersion", hello.protocolVersion)
        .required("appVersion", hello.appVersion)
        .required("deviceName", hello.deviceName)
        .required("clientNonce", hello.clientNonce);
    return r.ok();
}

void toJSON(JsonWriter& w, const HelloAck& ack) {
    w.beginObject();
    writeField(w, "sessionID", ack.sessionID);
    writeField(w, "mac", ack.mac);
    writeField(w, "dockGeneration", ack.dockGeneration);
    writeField(w, "serverNonce", ack.serverNonce);
    w.endObject();
}

bool fromJSON(const JsonValue& v, HelloAck& ack) {
    ObjectReader r(v);
    r.required("sessionID", ack.sessionID)
        .required("mac", ack.mac)
        .required("dockGeneration", ack.dockGeneration)
        .required("serverNonce", ack.serverNonce);
    return r.ok();
}

}  // namespace tavelin
