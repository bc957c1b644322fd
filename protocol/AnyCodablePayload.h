#pragma once

// A payload of open type: a map of texts, a text or a Boolean. Reading never fails: any other JSON
// value reads as the empty map. None of the Mac's messages uses it.

#include <map>
#include <string>
#include <variant>

#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct AnyCodablePayload {
    static constexpr std::string_view typeName = "AnyCodablePayload";

    using TextMap = std::map<std::string, std::string, std::less<>>;

    std::variant<TextMap, std::string, bool> value;

    friend bool operator==(const AnyCodablePayload&, const AnyCodablePayload&) = default;
};

// A map as an object, a text as a string, a Boolean as true or false.
void toJSON(JsonWriter& w, const AnyCodablePayload& payload);
bool fromJSON(const JsonValue& v, AnyCodablePayload& payload);

}  // namespace tavelin
