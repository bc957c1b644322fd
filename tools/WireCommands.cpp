#include "tools/WireCommands.h"

#include "protocol/AnyEnvelope.h"
#include "protocol/DockSnapshotApplier.h"
#include "protocol/MessagePayloads.h"

namespace tavelin::wire {
namespace {

struct DiffRequest {
    static constexpr std::string_view typeName = "apply-diff";
    DockSnapshot snapshot;
    DockDiff diff;
};

bool fromJSON(const JsonValue& v, DiffRequest& request) {
    ObjectReader r(v);
    r.required("snapshot", request.snapshot).required("diff", request.diff);
    return r.ok();
}

}  // namespace

std::expected<std::string, std::string> applyDiff(std::string_view json) {
    const auto request = decodeJSON<DiffRequest>(json);
    if (!request) return std::unexpected(request.error().message);
    const auto result = DockSnapshotApplier::apply(request->diff, request->snapshot);
    if (!result) return std::string("null");
    auto text = encodeJSON(*result);
    if (!text) return std::unexpected(text.error().message);
    return std::move(*text);
}

std::expected<std::string, std::string> reencodeEnvelope(std::string_view json) {
    const auto any = decodeJSON<AnyEnvelope>(json);
    if (!any) return std::unexpected(any.error().message);
    const auto messageType = any->knownMessageType();
    if (!messageType) return std::unexpected("Envelope.messageType: unknown message type \"" + any->messageType + "\"");
    return visitMessageType(*messageType, [&]<MessageType type>() -> std::expected<std::string, std::string> {
        using Payload = MessagePayloadType<type>;
        // Its errors read as those of the envelope read whole.
        auto payload = any->decode<Payload>("Envelope.payload");
        if (!payload) return std::unexpected(payload.error().message);
        const Envelope<Payload> envelope{.protocolVersion = any->protocolVersion,
                                         .messageType = type,
                                         .requestID = any->requestID,
                                         .sessionID = any->sessionID,
                                         .revision = any->revision,
                                         .eventSequence = any->eventSequence,
                                         .payload = std::move(*payload)};
        auto text = encodeJSON(envelope);
        if (!text) return std::unexpected(text.error().message);
        return std::move(*text);
    });
}

std::expected<std::string, std::string> describeError(std::string_view json) {
    const auto error = decodeJSON<ProtocolError>(json);
    if (!error) return std::unexpected(error.error().message);
    return error->errorDescription();
}

}  // namespace tavelin::wire
