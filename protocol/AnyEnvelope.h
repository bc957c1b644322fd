#pragma once

// A received envelope whose payload is not read yet: the header, with any message type text, and the
// payload as a JSON tree. Once the message type is known, `decode` reads the payload as its record.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>

#include "protocol/Envelope.h"
#include "protocol/JSONValue.h"

namespace tavelin {

struct AnyEnvelope {
    static constexpr std::string_view typeName = "AnyEnvelope";

    std::int64_t protocolVersion = 0;
    std::string messageType;  // not checked against MessageType
    RequestID requestID;
    std::optional<SessionID> sessionID;
    std::optional<std::int64_t> revision;
    std::optional<std::int64_t> eventSequence;
    JSONValue payload = {JSONValue::Object{}};  // {} when the message has none, or null

    // The message type, or nothing for a text that names none.
    std::optional<MessageType> knownMessageType() const { return enumFromString<MessageType>(messageType); }

    // The payload read as the record `T`; a failure leaves the header usable for an answer.
    template <class T>
    std::expected<T, DecodeError> decode(std::string_view name = recordName<T>) const {
        auto element = parsePayload(name);
        if (!element) return std::unexpected(std::move(element.error()));
        return decodeElement<T>(*element, name);
    }

    friend bool operator==(const AnyEnvelope&, const AnyEnvelope&) = default;

private:
    // The payload written out and parsed again with this thread's parser.
    std::expected<simdjson::dom::element, DecodeError> parsePayload(std::string_view name) const;
};

// Written like an envelope, for tools: the Mac never sends one.
void toJSON(JsonWriter& w, const AnyEnvelope& envelope);
// Requires an object with protocolVersion, messageType and requestID; other keys are ignored.
bool fromJSON(const JsonValue& v, AnyEnvelope& envelope);

}  // namespace tavelin
