#include "protocol/AnyEnvelope.h"

namespace tavelin {

std::expected<simdjson::dom::element, DecodeError> AnyEnvelope::parsePayload(std::string_view name) const {
    JsonWriter w;
    toJSON(w, payload);
    if (w.failed()) return std::unexpected(DecodeError{std::string(name) + ": " + w.failure()});
    return parseJSON(w.text(), name);
}

void toJSON(JsonWriter& w, const AnyEnvelope& envelope) { writeEnvelope(w, envelope); }

bool fromJSON(const JsonValue& v, AnyEnvelope& envelope) {
    ObjectReader r(v);
    return readEnvelopeHeader(r, envelope)
        .orDefault("payload", envelope.payload, JSONValue{JSONValue::Object{}})
        .ok();
}

}  // namespace tavelin
