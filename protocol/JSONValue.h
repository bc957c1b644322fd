#pragma once

// Any JSON value, as a tree: what an envelope's payload is kept as until its message type says which
// record to read it as. Integers stay 64-bit integers and never pass through a double; a number that
// is an exact integer written another way (1.0, 1e2) reads as that integer.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct JSONValue {
    static constexpr std::string_view typeName = "JSONValue";

    // The cases, in their order.
    using Boolean = bool;
    using Integer = std::int64_t;
    using Number = double;
    using String = std::string;
    using Array = std::vector<JSONValue>;
    using Object = std::map<std::string, JSONValue, std::less<>>;  // compared without regard to key order
    using Null = std::nullptr_t;

    std::variant<Boolean, Integer, Number, String, Array, Object, Null> value = nullptr;

    friend bool operator==(const JSONValue&, const JSONValue&) = default;
};

// Writes the plain JSON value; object keys come out in sorted order.
void toJSON(JsonWriter& w, const JSONValue& value);
// Reads any JSON value. An integer beyond 64 bits becomes a double; of repeated keys in one object the
// first counts.
bool fromJSON(const JsonValue& v, JSONValue& value);

}  // namespace tavelin
