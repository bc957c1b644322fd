#pragma once

// One message between the Mac and a paired device: a small header and one payload record. The length
// framing around it belongs to the server.

#include <cstdint>
#include <optional>

#include "protocol/Identifiers.h"
#include "protocol/JsonCoding.h"
#include "protocol/MessageType.h"

namespace tavelin {

template <class Payload>
struct Envelope {
    static constexpr std::string_view typeName = "Envelope";

    std::int64_t protocolVersion = currentProtocolVersion;
    MessageType messageType = MessageType::ping;
    RequestID requestID;  // the request this message answers, or a new one
    std::optional<SessionID> sessionID;
    std::optional<std::int64_t> revision;  // never set by the Mac
    std::optional<std::int64_t> eventSequence;
    Payload payload;

    friend bool operator==(const Envelope&, const Envelope&) = default;
};

// The header's keys, shared with AnyEnvelope.
template <class AnyKindOfEnvelope>
void writeEnvelope(JsonWriter& w, const AnyKindOfEnvelope& envelope) {
    w.beginObject();
    writeField(w, "protocolVersion", envelope.protocolVersion);
    writeField(w, "messageType", envelope.messageType);
    writeField(w, "requestID", envelope.requestID);
    writeField(w, "sessionID", envelope.sessionID);
    writeField(w, "revision", envelope.revision);
    writeField(w, "eventSequence", envelope.eventSequence);
    writeField(w, "payload", envelope.payload);
    w.endObject();
}

template <class AnyKindOfEnvelope>
ObjectReader& readEnvelopeHeader(ObjectReader& r, AnyKindOfEnvelope& envelope) {
    return r.required("protocolVersion", envelope.protocolVersion)
        .required("messageType", envelope.messageType)
        .required("requestID", envelope.requestID)
        .optional("sessionID", envelope.sessionID)
        .optional("revision", envelope.revision)
        .optional("eventSequence", envelope.eventSequence);
}

template <class Payload>
void toJSON(JsonWriter& w, const Envelope<Payload>& envelope) {
    writeEnvelope(w, envelope);
}

// The payload is required, even one that reads nothing.
template <class Payload>
bool fromJSON(const JsonValue& v, Envelope<Payload>& envelope) {
    ObjectReader r(v);
    return readEnvelopeHeader(r, envelope).required("payload", envelope.payload).ok();
}

// The payload of a message that carries nothing: written as {}, and any value reads as it.
struct EmptyPayload {
    static constexpr std::string_view typeName = "EmptyPayload";
    friend bool operator==(const EmptyPayload&, const EmptyPayload&) = default;
};

inline void toJSON(JsonWriter& w, const EmptyPayload&) {
    w.beginObject();
    w.endObject();
}
inline bool fromJSON(const JsonValue&, EmptyPayload&) { return true; }

}  // namespace tavelin
