#include "protocol/JsonReader.h"

#include <vector>

namespace tavelin {

std::string DecodePath::toString() const {
    std::vector<const DecodePath*> chain;
    for (const auto* p = this; p != nullptr; p = p->parent_) chain.push_back(p);
    std::string text;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const auto& segment = **it;
        if (segment.isIndex_) {
            text += '[' + std::to_string(segment.index_) + ']';
        } else {
            if (!text.empty()) text += '.';
            text += segment.name_;
        }
    }
    return text;
}

bool JsonValue::fail(std::string_view message) const {
    if (error_->message.empty()) {
        error_->message = path_->toString();
        error_->message += ": ";
        error_->message += message;
    }
    return false;
}

bool JsonValue::failType(std::string_view expected) const {
    std::string message = "expected ";
    message += expected;
    message += ", found ";
    message += jsonTypeName(element_.type());
    return fail(message);
}

std::string_view jsonTypeName(simdjson::dom::element_type type) {
    using simdjson::dom::element_type;
    switch (type) {
        case element_type::ARRAY: return "an array";
        case element_type::OBJECT: return "an object";
        case element_type::INT64:
        case element_type::UINT64:
        case element_type::DOUBLE: return "a number";
        case element_type::STRING: return "a string";
        case element_type::BOOL: return "a Boolean";
        case element_type::NULL_VALUE: return "null";
    }
    return "an unknown value";
}

}  // namespace tavelin
