#pragma once

// The commands of tavelin-wire, apart from reading arguments and streams.

#include <expected>
#include <string>
#include <string_view>

namespace tavelin::wire {

// Reads {"snapshot": ..., "diff": ...} and gives the resulting snapshot in wire form, or "null" when the
// diff was made for another generation.
std::expected<std::string, std::string> applyDiff(std::string_view json);

// Reads an envelope as a receiver does (header first), then its payload as the record its message type
// calls for, and gives the whole envelope in wire form. An unknown message type or a payload that does
// not fit is an error.
std::expected<std::string, std::string> reencodeEnvelope(std::string_view json);

// Reads a ProtocolError and gives its English description.
std::expected<std::string, std::string> describeError(std::string_view json);

}  // namespace tavelin::wire
