#pragma once

// The platform's status numbers and four-character codes, shared by its event interfaces.

#include <cstdint>
#include <string_view>

namespace tavelin {

using OSStatus = std::int32_t;
inline constexpr OSStatus kNoErr = 0;

// A four-character code as one big-endian number: fourCharCode("keyb").
constexpr std::uint32_t fourCharCode(std::string_view code) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

}  // namespace tavelin
