#pragma once

// An envelope's payload as it was received: a value inside the parsed message, which stays alive as long
// as any copy of the payload does. A record is read from it where it lies, as it would be read straight
// from the message; it compares and is written as its JSON tree.

#include <memory>

#include "protocol/JSONValue.h"
#include "protocol/JsonReader.h"

namespace tavelin {

class JSONPayload {
public:
    // {}
    JSONPayload();
    // A payload made in the program (tools, tests): the tree written out and parsed once. A tree with no
    // JSON form (a number that is not finite) holds null instead.
    JSONPayload(const JSONValue& tree);
    JSONPayload(std::shared_ptr<const simdjson::dom::document> document, simdjson::dom::element element)
        : document_(std::move(document)), element_(element) {}

    simdjson::dom::element element() const { return element_; }
    // Integers and keys as JSONValue reads them.
    JSONValue tree() const;

    friend bool operator==(const JSONPayload& a, const JSONPayload& b) { return a.tree() == b.tree(); }

private:
    std::shared_ptr<const simdjson::dom::document> document_;
    simdjson::dom::element element_;
};

void toJSON(JsonWriter& w, const JSONPayload& payload);

}  // namespace tavelin
