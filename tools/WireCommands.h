#pragma once

// The commands of tavelin-wire, apart from reading arguments and streams.

#include <expected>
#include <string>
#include <string_view>

namespace tavelin::wire {

// Reads {"snapshot": ..., "diff": ...} and gives the resulting snapshot in wire form, or "null" when the
// diff was made for another generation.
std::expected<std::string, std::string> applyDiff(std::string_view json);

}  // namespace tavelin::wire
