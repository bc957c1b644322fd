#include "protocol/JSONValue.h"

#include "protocol/JsonCoding.h"
#include "protocol/Overloaded.h"

namespace tavelin {
namespace {

JSONValue treeOf(simdjson::dom::element element) {
    using simdjson::dom::element_type;
    switch (element.type()) {
        case element_type::BOOL:
            return {element.get_bool().value_unsafe()};
        case element_type::INT64:
            return {element.get_int64().value_unsafe()};
        case element_type::UINT64:
            return {static_cast<double>(element.get_uint64().value_unsafe())};
        case element_type::DOUBLE: {
            const double number = element.get_double().value_unsafe();
            if (const auto integer = exactInteger(number)) return {*integer};
            return {number};
        }
        case element_type::STRING:
            return {std::string(element.get_string().value_unsafe())};
        case element_type::ARRAY: {
            const simdjson::dom::array children = element.get_array().value_unsafe();
            JSONValue::Array array;
            array.reserve(children.size());
            for (const auto child : children) array.push_back(treeOf(child));
            return {std::move(array)};
        }
        case element_type::OBJECT: {
            const simdjson::dom::object fields = element.get_object().value_unsafe();
            JSONValue::Object object;
            for (const auto field : fields) object.try_emplace(std::string(field.key), treeOf(field.value));
            return {std::move(object)};
        }
        case element_type::NULL_VALUE:
            break;
    }
    return {nullptr};
}

}  // namespace

void toJSON(JsonWriter& w, const JSONValue& value) {
    std::visit(Overloaded{
                   [&](JSONValue::Boolean b) { w.boolean(b); },
                   [&](JSONValue::Integer i) { w.integer(i); },
                   [&](JSONValue::Number d) { w.number(d); },
                   [&](const JSONValue::String& s) { w.string(s); },
                   [&](const JSONValue::Array& array) { toJSON(w, array); },
                   [&](const JSONValue::Object& object) {
                       w.beginObject();
                       for (const auto& [key, member] : object) {
                           w.key(std::string_view(key));
                           toJSON(w, member);
                       }
                       w.endObject();
                   },
                   [&](JSONValue::Null) { w.null(); },
               },
               value.value);
}

bool fromJSON(const JsonValue& v, JSONValue& value) {
    value = treeOf(v.element());
    return true;
}

}  // namespace tavelin
