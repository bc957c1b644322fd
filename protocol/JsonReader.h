#pragma once

// The strict reading side of the wire codec: a JSON value from simdjson's DOM together with the path
// that leads to it and the slot for the first decoding error. Paths live on the stack and are only
// turned into text when something fails.

#include <simdjson.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/DecodeError.h"

namespace tavelin {

class DecodePath {
public:
    explicit DecodePath(std::string_view root) : name_(root) {}
    DecodePath(const DecodePath& parent, std::string_view key) : parent_(&parent), name_(key) {}
    DecodePath(const DecodePath& parent, std::size_t index) : parent_(&parent), index_(index), isIndex_(true) {}

    std::string toString() const;

private:
    const DecodePath* parent_ = nullptr;
    std::string_view name_;
    std::size_t index_ = 0;
    bool isIndex_ = false;
};

class JsonValue {
public:
    JsonValue(simdjson::dom::element element, const DecodePath& path, DecodeError& error)
        : element_(element), path_(&path), error_(&error) {}

    simdjson::dom::element element() const { return element_; }
    const DecodePath& path() const { return *path_; }
    bool isNull() const { return element_.is_null(); }

    // A value at `path` below this one that reports into the same error slot.
    JsonValue at(simdjson::dom::element element, const DecodePath& path) const {
        return JsonValue(element, path, *error_);
    }

    // Records "path: message" unless an error is already recorded; always returns false.
    bool fail(std::string_view message) const;
    // Fails with "expected <what>, found <the JSON type>".
    bool failType(std::string_view expected) const;

private:
    simdjson::dom::element element_;
    const DecodePath* path_;
    DecodeError* error_;
};

std::string_view jsonTypeName(simdjson::dom::element_type type);

}  // namespace tavelin
