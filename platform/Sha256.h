#pragma once

// SHA-256 digests (OpenSSL), for the tokens that name pictures. Any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tavelin {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(std::span<const std::uint8_t> bytes);

// The first `count` bytes of the digest as lower-case hexadecimal digits (two per byte).
std::string hexPrefix(const Sha256Digest& digest, std::size_t count);

}  // namespace tavelin
