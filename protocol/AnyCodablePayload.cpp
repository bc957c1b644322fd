#include "protocol/AnyCodablePayload.h"

#include "protocol/JsonCoding.h"
#include "protocol/Overloaded.h"

namespace tavelin {
namespace {

// An object whose values are all strings, as a map; of repeated keys the first counts.
std::optional<AnyCodablePayload::TextMap> textMapOf(simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object)) return std::nullopt;
    AnyCodablePayload::TextMap map;
    for (const auto field : object) {
        std::string_view text;
        if (field.value.get_string().get(text)) return std::nullopt;
        map.try_emplace(std::string(field.key), text);
    }
    return map;
}

}  // namespace

void toJSON(JsonWriter& w, const AnyCodablePayload& payload) {
    std::visit(Overloaded{
                   [&](const AnyCodablePayload::TextMap& map) {
                       w.beginObject();
                       for (const auto& [key, text] : map) {
                           w.key(std::string_view(key));
                           w.string(text);
                       }
                       w.endObject();
                   },
                   [&](const std::string& text) { w.string(text); },
                   [&](bool flag) { w.boolean(flag); },
               },
               payload.value);
}

bool fromJSON(const JsonValue& v, AnyCodablePayload& payload) {
    const auto element = v.element();
    std::string_view text;
    bool flag = false;
    if (auto map = textMapOf(element)) {
        payload.value = std::move(*map);
    } else if (!element.get_string().get(text)) {
        payload.value = std::string(text);
    } else if (!element.get_bool().get(flag)) {
        payload.value = flag;
    } else {
        payload.value = AnyCodablePayload::TextMap{};
    }
    return true;
}

}  // namespace tavelin
