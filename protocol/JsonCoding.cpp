#include "protocol/JsonCoding.h"

#include <algorithm>
#include <cmath>

namespace tavelin {

void toJSON(JsonWriter& w, Timestamp value) {
    if (const auto text = formatTimestamp(value)) {
        w.string(*text);
    } else {
        w.fail("a date lies outside the years 1 to 9999");
        w.null();
    }
}

std::optional<std::int64_t> exactInteger(double value) {
    if (value != std::trunc(value) || !(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

bool fromJSON(const JsonValue& v, bool& out) {
    return !v.element().get_bool().get(out) || v.failType("a Boolean");
}

bool fromJSON(const JsonValue& v, std::int64_t& out) {
    const auto element = v.element();
    switch (element.type()) {
        case simdjson::dom::element_type::INT64:
            out = element.get_int64().value_unsafe();
            return true;
        case simdjson::dom::element_type::UINT64:
            return v.fail("integer out of range");
        case simdjson::dom::element_type::DOUBLE: {
            const double d = element.get_double().value_unsafe();
            const auto integer = exactInteger(d);
            if (!integer) return v.fail(d != std::trunc(d) ? "expected an integer, found a fraction" : "integer out of range");
            out = *integer;
            return true;
        }
        default:
            return v.failType("an integer");
    }
}

bool fromJSON(const JsonValue& v, double& out) {
    const auto element = v.element();
    switch (element.type()) {
        case simdjson::dom::element_type::INT64:
            out = static_cast<double>(element.get_int64().value_unsafe());
            return true;
        case simdjson::dom::element_type::UINT64:
            out = static_cast<double>(element.get_uint64().value_unsafe());
            return true;
        case simdjson::dom::element_type::DOUBLE:
            out = element.get_double().value_unsafe();
            return true;
        default:
            return v.failType("a number");
    }
}

bool fromJSON(const JsonValue& v, std::string& out) {
    std::string_view text;
    if (v.element().get_string().get(text)) return v.failType("a string");
    out.assign(text);
    return true;
}

bool fromJSON(const JsonValue& v, Timestamp& out) {
    std::string_view text;
    if (v.element().get_string().get(text)) return v.failType("a date text");
    const auto time = parseTimestamp(text);
    if (!time) return v.fail("invalid date \"" + std::string(text) + "\"");
    out = *time;
    return true;
}

bool fromJSON(const JsonValue& v, Bytes& out) {
    std::string_view text;
    if (v.element().get_string().get(text)) return v.failType("a Base64 text");
    auto bytes = base64Decode(text);
    if (!bytes) return v.fail("invalid Base64");
    out = std::move(*bytes);
    return true;
}

std::optional<simdjson::dom::element> ObjectReader::find(std::string_view key) {
    simdjson::dom::element element;
    if (!ok_ || !lookup(key, element) || element.is_null()) return std::nullopt;
    return element;
}

void ObjectReader::indexMembers() {
    const std::size_t count = object_.size();
    if (count <= kInlineMembers) {
        std::size_t i = 0;
        for (const auto field : object_) inlineMembers_[i++] = {field.key, field.value};
        members_ = std::span<const Member>(inlineMembers_.data(), count);
    } else {
        spilledMembers_.reserve(count);
        for (const auto field : object_) spilledMembers_.push_back({field.key, field.value});
        members_ = spilledMembers_;
    }
}

bool ObjectReader::lookup(std::string_view key, simdjson::dom::element& element) {
    // With a key repeated in one object, the occurrence found first from the cursor counts: the same
    // one for every decoding of that text by the same record.
    const std::size_t count = members_.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = cursor_ + step < count ? cursor_ + step : cursor_ + step - count;
        const auto candidate = members_[i].key;
        // Sizes tell most field names apart before their bytes are compared.
        if (candidate.size() == key.size() && std::equal(key.begin(), key.end(), candidate.begin())) {
            element = members_[i].value;
            cursor_ = i + 1;
            return true;
        }
    }
    return false;
}

bool readTaggedUnion(const JsonValue& v, std::span<const std::string_view> caseNames, TaggedCase& out) {
    simdjson::dom::object object;
    if (v.element().get_object().get(object)) return v.failType("an object");
    std::size_t found = 0;
    for (const auto field : object) {
        for (std::size_t i = 0; i < caseNames.size(); ++i) {
            if (field.key == caseNames[i]) {
                ++found;
                out.caseIndex = i;
                out.payload = field.value;
            }
        }
    }
    if (found != 1) return v.fail("Invalid number of keys found, expected one.");
    if (!out.payload.is_object()) {
        const DecodePath path(v.path(), caseNames[out.caseIndex]);
        return v.at(out.payload, path).failType("an object");
    }
    return true;
}

std::expected<simdjson::dom::element, DecodeError> parseJSON(std::string_view json, std::string_view name) {
    // One parser per thread: it keeps its buffers between messages. The element returned stays valid
    // until this thread parses again, so decoders finish with it before they return.
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element element;
    if (const auto error = parser.parse(json.data(), json.size()).get(element)) {
        return std::unexpected(DecodeError{std::string(name) + ": invalid JSON (" +
                                           simdjson::error_message(error) + ")"});
    }
    return element;
}

}  // namespace tavelin
