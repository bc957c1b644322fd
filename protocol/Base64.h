#pragma once

// Standard Base64 (RFC 4648 alphabet, padded, no line breaks), strict on reading: the length must be a
// multiple of four, every character from the alphabet, padding only at the end, and the unused bits
// of the last group zero. No whitespace is skipped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// Raw bytes of a record; on the wire one Base64 text.
struct Bytes {
    std::vector<std::uint8_t> data;
    friend bool operator==(const Bytes&, const Bytes&) = default;
};

std::string base64Encode(const std::uint8_t* bytes, std::size_t count);
inline std::string base64Encode(const Bytes& bytes) { return base64Encode(bytes.data.data(), bytes.data.size()); }
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace tavelin
