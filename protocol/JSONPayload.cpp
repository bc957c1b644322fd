#include "protocol/JSONPayload.h"

#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

JSONPayload parsedPayload(std::string_view json) {
    auto document = parseSharedJSON(json, JSONValue::typeName);
    // Only the writer's own output comes here, and it always parses.
    if (!document) return parsedPayload("null");
    const auto root = (*document)->root();
    return JSONPayload(std::move(*document), root);
}

}  // namespace

JSONPayload::JSONPayload() {
    // Parsed once and shared by every thread, which only read it.
    static const std::shared_ptr<const simdjson::dom::document> empty = [] {
        auto document = std::make_shared<simdjson::dom::document>();
        simdjson::dom::parser parser;
        simdjson::dom::element root;
        [[maybe_unused]] const auto error = parser.parse_into_document(*document, "{}", 2).get(root);
        return document;
    }();
    document_ = empty;
    element_ = empty->root();
}

JSONPayload::JSONPayload(const JSONValue& tree) {
    JsonWriter w;
    toJSON(w, tree);
    *this = parsedPayload(w.failed() ? "null" : w.text());
}

JSONValue JSONPayload::tree() const {
    DecodeError unused;
    const DecodePath root(JSONValue::typeName);
    JSONValue value;
    fromJSON(JsonValue(element_, root, unused), value);
    return value;
}

void toJSON(JsonWriter& w, const JSONPayload& payload) { toJSON(w, payload.tree()); }

}  // namespace tavelin
