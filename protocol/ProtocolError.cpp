#include "protocol/ProtocolError.h"

#include "protocol/JsonCoding.h"
#include "protocol/Overloaded.h"

namespace tavelin {

std::string ProtocolError::errorDescription() const {
    return std::visit(
        Overloaded{
            [](const VersionUnsupported&) -> std::string { return "Unsupported protocol version"; },
            [](const Unauthorized&) -> std::string { return "Unauthorized"; },
            [](const Revoked&) -> std::string { return "Revoked"; },
            [](const StaleGeneration&) -> std::string { return "Stale dock generation"; },
            [](const StaleWindowRevision&) -> std::string { return "Stale window revision"; },
            [](const NotFound&) -> std::string { return "Not found"; },
            [](const Unavailable& c) { return c.reason; },
            [](const PermissionDenied& c) { return "Permission denied: " + c.kind; },
            [](const RateLimited& c) { return "Rate limited (" + std::to_string(c.retryAfter) + "s)"; },
            [](const Internal& c) { return c.message; },
            [](const CodeMismatch& c) {
                return "Code mismatch (" + std::to_string(c.attemptsLeft) + " left)";
            },
        },
        value_);
}

void toJSON(JsonWriter& w, const ProtocolError& error) {
    beginTaggedCase(w, error.caseName());
    std::visit(
        Overloaded{
            [&](const ProtocolError::Unavailable& c) { writeField(w, "reason", c.reason); },
            [&](const ProtocolError::PermissionDenied& c) { writeField(w, "kind", c.kind); },
            [&](const ProtocolError::RateLimited& c) { writeField(w, "retryAfter", c.retryAfter); },
            [&](const ProtocolError::Internal& c) { writeField(w, "message", c.message); },
            [&](const ProtocolError::CodeMismatch& c) { writeField(w, "attemptsLeft", c.attemptsLeft); },
            [](const auto&) {},  // the cases without values
        },
        error.value());
    endTaggedCase(w);
}

namespace {

// The case at `index` with its values still empty.
template <std::size_t... I>
ProtocolError::Case emptyCase(std::size_t index, std::index_sequence<I...>) {
    static const ProtocolError::Case cases[] = {ProtocolError::Case(std::in_place_index<I>)...};
    return cases[index];
}

}  // namespace

bool fromJSON(const JsonValue& v, ProtocolError& error) {
    TaggedCase tagged;
    if (!readTaggedUnion(v, ProtocolError::caseNames, tagged)) return false;
    const DecodePath path(v.path(), ProtocolError::caseNames[tagged.caseIndex]);
    ObjectReader inner(v.at(tagged.payload, path));
    auto value =
        emptyCase(tagged.caseIndex, std::make_index_sequence<std::variant_size_v<ProtocolError::Case>>());
    std::visit(Overloaded{
                   [&](ProtocolError::Unavailable& c) { inner.required("reason", c.reason); },
                   [&](ProtocolError::PermissionDenied& c) { inner.required("kind", c.kind); },
                   [&](ProtocolError::RateLimited& c) { inner.required("retryAfter", c.retryAfter); },
                   [&](ProtocolError::Internal& c) { inner.required("message", c.message); },
                   [&](ProtocolError::CodeMismatch& c) { inner.required("attemptsLeft", c.attemptsLeft); },
                   [](auto&) {},
               },
               value);
    if (!inner.ok()) return false;
    error = std::move(value);
    return true;
}

}  // namespace tavelin
