#pragma once

// The records that tavelin-wire can decode by name, each as "decode, then write back in wire form".

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/JsonCoding.h"

namespace tavelin::wire {

struct WireType {
    std::string_view name;
    // The record decoded from `json` and encoded again, or the error ("DockItem.kind: no case ...").
    std::expected<std::string, std::string> (*reencode)(std::string_view json);
};

template <class T>
std::expected<std::string, std::string> reencode(std::string_view json) {
    auto value = decodeJSON<T>(json);
    if (!value) return std::unexpected(value.error().message);
    auto text = encodeJSON(*value);
    if (!text) return std::unexpected(text.error().message);
    return std::move(*text);
}

template <class T>
constexpr WireType wireType() {
    return WireType{T::typeName, &reencode<T>};
}

// Every record the tool knows, in the order --help lists them.
const std::vector<WireType>& wireTypes();
const WireType* findWireType(std::string_view name);

}  // namespace tavelin::wire
