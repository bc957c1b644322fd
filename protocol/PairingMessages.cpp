#include "protocol/PairingMessages.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

PairReject PairReject::codeMismatch(std::optional<std::int64_t> attemptsLeft) {
    return PairReject{.reason = PairRejectReason::codeMismatch, .attemptsLeft = attemptsLeft};
}

PairReject PairReject::rateLimited() {
    return PairReject{.reason = PairRejectReason::rateLimited, .attemptsLeft = 0};
}

PairReject PairReject::unauthorized() { return PairReject{.reason = PairRejectReason::unauthorized}; }

void toJSON(JsonWriter& w, const PairPrepare& prepare) {
    w.beginObject();
    writeField(w, "deviceName", prepare.deviceName);
    writeField(w, "protocolVersion", prepare.protocolVersion);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairPrepare& prepare) {
    ObjectReader r(v);
    r.required("deviceName", prepare.deviceName).required("protocolVersion", prepare.protocolVersion);
    return r.ok();
}

void toJSON(JsonWriter& w, const PairRequest& request) {
    w.beginObject();
    writeField(w, "deviceName", request.deviceName);
    writeField(w, "ephemeralPub", request.ephemeralPub);
    writeField(w, "protocolVersion", request.protocolVersion);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairRequest& request) {
    ObjectReader r(v);
    r.required("deviceName", request.deviceName)
        .required("ephemeralPub", request.ephemeralPub)
        .required("protocolVersion", request.protocolVersion);
    return r.ok();
}

void toJSON(JsonWriter& w, const PairChallenge& challenge) {
    w.beginObject();
    writeField(w, "ephemeralPub", challenge.ephemeralPub);
    writeField(w, "salt", challenge.salt);
    writeField(w, "machineID", challenge.machineID);
    writeField(w, "displayName", challenge.displayName);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairChallenge& challenge) {
    ObjectReader r(v);
    r.required("ephemeralPub", challenge.ephemeralPub)
        .required("salt", challenge.salt)
        .required("machineID", challenge.machineID)
        .required("displayName", challenge.displayName);
    return r.ok();
}

void toJSON(JsonWriter& w, const PairProof& proof) {
    w.beginObject();
    writeField(w, "proof", proof.proof);
    writeField(w, "devicePub", proof.devicePub);
    writeField(w, "deviceID", proof.deviceID);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairProof& proof) {
    ObjectReader r(v);
    r.required("proof", proof.proof)
        .required("devicePub", proof.devicePub)
        .required("deviceID", proof.deviceID);
    return r.ok();
}

void toJSON(JsonWriter& w, const PairAccept& accept) {
    w.beginObject();
    writeField(w, "proof", accept.proof);
    writeField(w, "machinePub", accept.machinePub);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairAccept& accept) {
    return ObjectReader(v).required("proof", accept.proof).required("machinePub", accept.machinePub).ok();
}

void toJSON(JsonWriter& w, const PairReject& reject) {
    w.beginObject();
    writeField(w, "reason", reject.reason);
    writeField(w, "attemptsLeft", reject.attemptsLeft);
    writeField(w, "message", reject.message);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PairReject& reject) {
    ObjectReader r(v);
    r.required("reason", reject.reason)
        .optional("attemptsLeft", reject.attemptsLeft)
        .optional("message", reject.message);
    return r.ok();
}

}  // namespace tavelin
