#pragma once

// A received envelope whose payload is not read yet: the header, with any message type text, and the
// payload where it lies in the parsed message. Once the message type is known, `decode` reads the
// payload as its record.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>

#include "protocol/Envelope.h"
#include "protocol/JSONPayload.h"

namespace tavelin {

struct AnyEnvelope {
    static constexpr std::string_view typeName = "AnyEnvelope";

    std::int64_t protocolVersion = 0;
    std::string messageType;  // not checked against MessageType
    RequestID requestID;
    std::optional<SessionID> sessionID;
    std::optional<std::int64_t> revision;
    std::optional<std::int64_t> eventSequence;
    JSONPayload payload;  // {} when the message has none, or null

    // The message type, or nothing for a text that names none.
    std::optional<MessageType> knownMessageType() const { return enumFromString<MessageType>(messageType); }

    // The payload read as the record `T`, as it reads straight from the message; a failure leaves the
    // header usable for an answer.
    template <class T>
    std::expected<T, DecodeError> decode(std::string_view name = recordName<T>) const {
        return decodeElement<T>(payload.element(), name);
    }

    friend bool operator==(const AnyEnvelope&, const AnyEnvelope&) = default;
};

// Written like an envelope, for tools: the Mac never sends one.
void toJSON(JsonWriter& w, const AnyEnvelope& envelope);
// Requires an object with protocolVersion, messageType and requestID; other keys are ignored. The
// message is parsed into a document that the payload keeps.
template <>
std::expected<AnyEnvelope, DecodeError> decodeJSON<AnyEnvelope>(std::string_view json);

}  // namespace tavelin
