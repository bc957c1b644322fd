#pragma once

// The header rules the Mac follows for every message it sends, in one place: protocol version 1; a
// reply carries the ID of the request it answers, every other message a new one; the session's ID on
// session connections, none on pairing connections; never a revision; an event sequence only on
// "dock.snapshot", equal to the snapshot's own.

#include <optional>

#include "protocol/AnyEnvelope.h"
#include "protocol/MessagePayloads.h"

namespace tavelin {

// The request type whose ID a message of type `reply` echoes, or nothing when it always carries a new
// ID ("pong" and "error" among them).
std::optional<MessageType> requestAnsweredBy(MessageType reply);

// Every header the Mac writes, given the request ID it carries.
template <MessageType type>
Envelope<MessagePayloadType<type>> macEnvelope(RequestID requestID, MessagePayloadType<type> payload,
                                               std::optional<SessionID> sessionID) {
    Envelope<MessagePayloadType<type>> envelope{.protocolVersion = currentProtocolVersion,
                                                .messageType = type,
                                                .requestID = std::move(requestID),
                                                .sessionID = std::move(sessionID),
                                                .payload = std::move(payload)};
    if constexpr (type == MessageType::dockSnapshot) envelope.eventSequence = envelope.payload.eventSequence;
    return envelope;
}

// A message that answers nothing: a push, or a message on the pairing connection (no session ID).
template <MessageType type>
Envelope<MessagePayloadType<type>> macMessage(MessagePayloadType<type> payload,
                                              std::optional<SessionID> sessionID) {
    return macEnvelope<type>(RequestID::generate(), std::move(payload), std::move(sessionID));
}

// A message sent in answer to `request`: it echoes the request's ID when it is the reply to that kind
// of request, and otherwise carries a new ID like any other message.
template <MessageType type>
Envelope<MessagePayloadType<type>> macReply(const AnyEnvelope& request, MessagePayloadType<type> payload,
                                            std::optional<SessionID> sessionID) {
    const auto answered = requestAnsweredBy(type);
    auto requestID =
        answered && request.knownMessageType() == answered ? request.requestID : RequestID::generate();
    return macEnvelope<type>(std::move(requestID), std::move(payload), std::move(sessionID));
}

}  // namespace tavelin
