#include "protocol/AnyEnvelope.h"

namespace tavelin {

void toJSON(JsonWriter& w, const AnyEnvelope& envelope) { writeEnvelope(w, envelope); }

template <>
std::expected<AnyEnvelope, DecodeError> decodeJSON<AnyEnvelope>(std::string_view json) {
    auto document = parseSharedJSON(json, AnyEnvelope::typeName);
    if (!document) return std::unexpected(std::move(document.error()));
    DecodeError error;
    const DecodePath root(AnyEnvelope::typeName);
    AnyEnvelope envelope;
    ObjectReader r(JsonValue((*document)->root(), root, error));
    readEnvelopeHeader(r, envelope);
    const auto payload = r.find("payload");
    if (!r.ok()) return std::unexpected(std::move(error));
    if (payload) envelope.payload = JSONPayload(std::move(*document), *payload);
    return envelope;
}

}  // namespace tavelin
