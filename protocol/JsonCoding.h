#pragma once

// The wire codec that every record is written against. A record provides
//     void toJSON(JsonWriter&, const Record&);
//     bool fromJSON(const JsonValue&, Record&);   // false after recording the error in the value
// and a `static constexpr std::string_view typeName`; `encodeJSON` and `decodeJSON` do the rest.
// Reading is strict: required values must be present, non-null and of their JSON type; optional ones
// may be missing or null; numbers for integers must be exact integers within 64 bits; enumeration
// texts match exactly; unknown keys are ignored.

#include <array>
#include <concepts>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Base64.h"
#include "protocol/EnumText.h"
#include "protocol/Identifiers.h"
#include "protocol/JsonReader.h"
#include "protocol/JsonWriter.h"
#include "protocol/Timestamp.h"

namespace tavelin {

struct EncodeError {
    std::string message;
    friend bool operator==(const EncodeError&, const EncodeError&) = default;
};

// --- Values without a record of their own -----------------------------------------------------------

template <std::same_as<bool> B>
void toJSON(JsonWriter& w, B value) { w.boolean(value); }
inline void toJSON(JsonWriter& w, std::int64_t value) { w.integer(value); }
inline void toJSON(JsonWriter& w, double value) { w.number(value); }
inline void toJSON(JsonWriter& w, std::string_view value) { w.string(value); }
inline void toJSON(JsonWriter& w, const std::string& value) { w.string(value); }
void toJSON(JsonWriter& w, Timestamp value);
inline void toJSON(JsonWriter& w, const Bytes& value) { w.string(base64Encode(value)); }

// The integer that `value` is written another way (1.0, 1e2), or nothing for a fraction or a value
// beyond 64 bits.
std::optional<std::int64_t> exactInteger(double value);

bool fromJSON(const JsonValue& v, bool& out);
bool fromJSON(const JsonValue& v, std::int64_t& out);
bool fromJSON(const JsonValue& v, double& out);
bool fromJSON(const JsonValue& v, std::string& out);
bool fromJSON(const JsonValue& v, Timestamp& out);
bool fromJSON(const JsonValue& v, Bytes& out);

template <class Tag>
void toJSON(JsonWriter& w, const Identifier<Tag>& id) { w.string(id.rawValue()); }

template <class Tag>
bool fromJSON(const JsonValue& v, Identifier<Tag>& out) {
    std::string text;
    if (!fromJSON(v, text)) return false;
    out = Identifier<Tag>(std::move(text));
    return true;
}

template <TextEnum E>
void toJSON(JsonWriter& w, E value) { w.string(toString(value)); }

template <TextEnum E>
bool fromJSON(const JsonValue& v, E& out) {
    std::string_view text;
    if (v.element().get_string().get(text)) return v.failType("a string");
    const auto value = enumFromString<E>(text);
    if (!value) return v.fail("no case \"" + std::string(text) + "\"");
    out = *value;
    return true;
}

template <class T>
void toJSON(JsonWriter& w, const std::vector<T>& list) {
    w.beginArray();
    for (const auto& element : list) toJSON(w, element);
    w.endArray();
}

template <class T>
bool fromJSON(const JsonValue& v, std::vector<T>& out) {
    simdjson::dom::array array;
    if (v.element().get_array().get(array)) return v.failType("an array");
    out.clear();
    out.reserve(array.size());
    std::size_t index = 0;
    for (const auto element : array) {
        const DecodePath path(v.path(), index++);
        if (!fromJSON(v.at(element, path), out.emplace_back())) return false;
    }
    return true;
}

// --- Objects ------------------------------------------------------------------------------------------

template <class T>
void writeField(JsonWriter& w, FieldName key, const T& value) {
    w.key(key);
    toJSON(w, value);
}

// An absent optional is left out, never written as null.
template <class T>
void writeField(JsonWriter& w, FieldName key, const std::optional<T>& value) {
    if (!value) return;
    w.key(key);
    toJSON(w, *value);
}

// Reads the fields of one JSON object. The first failure is recorded and every later read is skipped,
// so a decoder can list its fields and check `ok()` once.
class ObjectReader {
public:
    explicit ObjectReader(const JsonValue& value) : value_(value) {
        ok_ = !value.element().get_object().get(object_) || value.failType("an object");
        if (ok_) indexMembers();
    }

    bool ok() const { return ok_; }
    const JsonValue& value() const { return value_; }

    // Missing, null or mistyped fails.
    template <class T>
    ObjectReader& required(std::string_view key, T& out) {
        if (!ok_) return *this;
        const DecodePath path(value_.path(), key);
        simdjson::dom::element element;
        if (!lookup(key, element)) {
            ok_ = value_.fail("missing required key \"" + std::string(key) + "\"");
        } else {
            ok_ = fromJSON(value_.at(element, path), out);
        }
        return *this;
    }

    // Missing or null is absent; any other mistyped value fails.
    template <class T>
    ObjectReader& optional(std::string_view key, std::optional<T>& out) {
        out.reset();
        if (!ok_) return *this;
        const DecodePath path(value_.path(), key);
        simdjson::dom::element element;
        if (!lookup(key, element) || element.is_null()) return *this;
        T value{};
        ok_ = fromJSON(value_.at(element, path), value);
        if (ok_) out = std::move(value);
        return *this;
    }

    // Missing or null gives `fallback`.
    template <class T>
    ObjectReader& orDefault(std::string_view key, T& out, T fallback) {
        std::optional<T> value;
        optional(key, value);
        out = value ? std::move(*value) : std::move(fallback);
        return *this;
    }

    // The raw element under `key`, when present and not null.
    std::optional<simdjson::dom::element> find(std::string_view key);

private:
    struct Member {
        std::string_view key;
        simdjson::dom::element value;
    };

    void indexMembers();
    // Finds a member named `key`. The search starts after the previous hit, so an object written in its
    // record's field order is read in one pass.
    bool lookup(std::string_view key, simdjson::dom::element& element);

    JsonValue value_;
    simdjson::dom::object object_;
    // The members in their order; records have few fields, larger objects spill to the heap.
    static constexpr std::size_t kInlineMembers = 24;
    // Left uninitialised until the members are placed there: most objects fill few of the slots.
    alignas(Member) std::byte inlineMembers_[kInlineMembers * sizeof(Member)];
    std::vector<Member> spilledMembers_;
    std::span<const Member> members_;
    std::size_t cursor_ = 0;
    bool ok_ = false;
};

// --- Tagged unions ------------------------------------------------------------------------------------
// {"caseName":{"label":value,...}}; a value without a label goes under "_0".

struct TaggedCase {
    std::size_t caseIndex = 0;
    simdjson::dom::element payload;  // always an object
};

// Outer keys that name no case are ignored; exactly one case key must remain and hold an object.
bool readTaggedUnion(const JsonValue& v, std::span<const std::string_view> caseNames, TaggedCase& out);

// Writes {"caseName":{ and leaves the inner object open for its labelled values.
inline void beginTaggedCase(JsonWriter& w, std::string_view caseName) {
    w.beginObject();
    w.key(caseName);
    w.beginObject();
}
inline void endTaggedCase(JsonWriter& w) {
    w.endObject();
    w.endObject();
}

// --- Entry points -------------------------------------------------------------------------------------

// The name that coding errors begin with: the record's type name; a list goes by its elements' name
// ("IconData[3].token: ...").
template <class T>
inline constexpr std::string_view recordName = T::typeName;
template <class T>
inline constexpr std::string_view recordName<std::vector<T>> = recordName<T>;

template <class T>
std::expected<std::string, EncodeError> encodeJSON(const T& value) {
    // The size of this thread's last text of the same type is the guess for the next one, so that the
    // text is rarely moved while it grows.
    thread_local std::size_t expectedSize = 256;
    JsonWriter w(expectedSize + expectedSize / 8);
    toJSON(w, value);
    if (w.failed()) return std::unexpected(EncodeError{std::string(recordName<T>) + ": " + w.failure()});
    expectedSize = w.text().size();
    return w.take();
}

// Parses `json` with this thread's reusable parser. Depth beyond simdjson's limit, invalid UTF-8 and
// malformed text are refused before any record is read. An integer beyond 64 bits reads as a double.
std::expected<simdjson::dom::element, DecodeError> parseJSON(std::string_view json, std::string_view name);
// The same, into a document of its own that stays valid as long as anyone holds it. This thread parses
// into the same document again once no one does.
std::expected<std::shared_ptr<const simdjson::dom::document>, DecodeError> parseSharedJSON(std::string_view json,
                                                                                           std::string_view name);

template <class T>
std::expected<T, DecodeError> decodeElement(simdjson::dom::element element, std::string_view name = recordName<T>) {
    DecodeError error;
    const DecodePath root(name);
    T value{};
    if (!fromJSON(JsonValue(element, root, error), value)) return std::unexpected(std::move(error));
    return value;
}

template <class T>
std::expected<T, DecodeError> decodeJSON(std::string_view json) {
    auto element = parseJSON(json, recordName<T>);
    if (!element) return std::unexpected(std::move(element.error()));
    return decodeElement<T>(*element);
}

}  // namespace tavelin
