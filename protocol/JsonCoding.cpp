#include "protocol/JsonCoding.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

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
        auto* slots = reinterpret_cast<Member*>(inlineMembers_);
        std::size_t i = 0;
        for (const auto field : object_) new (slots + i++) Member{field.key, field.value};
        members_ = std::span<const Member>(std::launder(slots), count);
    } else {
        spilledMembers_.reserve(count);
        for (const auto field : object_) spilledMembers_.push_back({field.key, field.value});
        members_ = spilledMembers_;
    }
}

namespace {

// Equality of two texts of the same size without a call: field names are short.
bool sameBytes(const char* a, const char* b, std::size_t size) {
    const auto load8 = [](const char* p) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        return word;
    };
    const auto load4 = [](const char* p) {
        std::uint32_t word;
        std::memcpy(&word, p, 4);
        return word;
    };
    if (size >= 8 && size <= 16) {
        // Two words that overlap when the size is under sixteen.
        return load8(a) == load8(b) && load8(a + size - 8) == load8(b + size - 8);
    }
    if (size >= 4 && size < 8) return load4(a) == load4(b) && load4(a + size - 4) == load4(b + size - 4);
    if (size < 4) {
        for (std::size_t i = 0; i < size; ++i) {
            if (a[i] != b[i]) return false;
        }
        return true;
    }
    return std::memcmp(a, b, size) == 0;
}

}  // namespace

bool ObjectReader::lookup(std::string_view key, simdjson::dom::element& element) {
    // With a key repeated in one object, the occurrence found first from the cursor counts: the same
    // one for every decoding of that text by the same record.
    const std::size_t count = members_.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = cursor_ + step < count ? cursor_ + step : cursor_ + step - count;
        const auto candidate = members_[i].key;
        // Sizes tell most field names apart before their bytes are compared.
        if (candidate.size() == key.size() && sameBytes(candidate.data(), key.data(), key.size())) {
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

namespace {

// A literal of the double nearest to `integer` that reads as a double. The integers just below -2^63
// round to it; they take the next double down, so that no integer field reads them as -2^63.
std::string doubleLiteral(std::string_view integer) {
    double value = 0;
    std::from_chars(integer.data(), integer.data() + integer.size(), value);
    if (value == -9223372036854775808.0) return "-9223372036854777856.0";
    return std::string(integer) + ".0";
}

// `json` with every integer literal that does not fit in 64 bits written as a double (one beyond a
// double's range is still refused), or nothing when there is no such literal.
std::optional<std::string> widenBigIntegers(std::string_view json) {
    std::string widened;
    std::size_t copied = 0;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            continue;
        }
        if (c != '-' && (c < '0' || c > '9')) continue;
        std::size_t end = i + 1;
        while (end < json.size() && json[end] >= '0' && json[end] <= '9') ++end;
        const bool isInteger = end == json.size() || (json[end] != '.' && json[end] != 'e' && json[end] != 'E');
        if (isInteger) {
            const char* first = json.data() + i;
            const char* last = json.data() + end;
            std::int64_t signedValue = 0;
            std::uint64_t unsignedValue = 0;
            const bool fits = c == '-' ? std::from_chars(first, last, signedValue).ec != std::errc::result_out_of_range
                                       : std::from_chars(first, last, unsignedValue).ec != std::errc::result_out_of_range;
            if (!fits) {
                widened.append(json.substr(copied, i - copied));
                widened.append(doubleLiteral(json.substr(i, end - i)));
                copied = end;
            }
        }
        // Skip the rest of the number (fraction and exponent) so that its digits are not read again.
        while (end < json.size() && std::string_view("0123456789.eE+-").find(json[end]) != std::string_view::npos) ++end;
        i = end - 1;
    }
    if (copied == 0) return std::nullopt;
    widened.append(json.substr(copied));
    return widened;
}

// One parser per thread: it keeps its buffers between messages.
simdjson::dom::parser& threadParser() {
    thread_local simdjson::dom::parser parser;
    return parser;
}

// Parses with `parse`, and again with big integers widened when simdjson refuses a number: a message
// keeps its header when an ignored key or a double holds an integer beyond 64 bits.
template <class Parse>
std::expected<simdjson::dom::element, DecodeError> parseWidening(std::string_view json, std::string_view name,
                                                                 Parse parse) {
    simdjson::dom::element element;
    auto error = parse(json).get(element);
    if (error == simdjson::NUMBER_ERROR) {
        if (const auto widened = widenBigIntegers(json)) error = parse(*widened).get(element);
    }
    if (error) {
        return std::unexpected(DecodeError{std::string(name) + ": invalid JSON (" + simdjson::error_message(error) + ")"});
    }
    return element;
}

}  // namespace

std::expected<simdjson::dom::element, DecodeError> parseJSON(std::string_view json, std::string_view name) {
    // The element returned stays valid until this thread parses again, so decoders finish with it
    // before they return.
    return parseWidening(json, name, [](std::string_view text) { return threadParser().parse(text.data(), text.size()); });
}

std::expected<std::shared_ptr<const simdjson::dom::document>, DecodeError> parseSharedJSON(std::string_view json,
                                                                                           std::string_view name) {
    // A document that no holder is left of is parsed into again, keeping its buffers. A count of one
    // means this thread holds the only reference; the fence orders the last holder's reads before the
    // writes of this parse.
    thread_local std::shared_ptr<simdjson::dom::document> spare;
    if (!spare || spare.use_count() != 1) spare = std::make_shared<simdjson::dom::document>();
    std::atomic_thread_fence(std::memory_order_acquire);
    auto& document = *spare;
    const auto parsed = parseWidening(json, name, [&](std::string_view text) {
        return threadParser().parse_into_document(document, text.data(), text.size());
    });
    if (!parsed) return std::unexpected(parsed.error());
    return spare;
}

}  // namespace tavelin
