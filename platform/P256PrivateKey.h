#pragma once

// P-256 private keys for key agreement (OpenSSL), kept as their 32-byte big-endian scalar: the form in
// which the Mac's own key is stored in the keychain. Any thread.

#include <expected>
#include <string>

#include "protocol/Base64.h"

namespace tavelin {

inline constexpr std::size_t kP256PrivateKeyBytes = 32;

// A fresh random key; fails only when the library cannot make one.
std::expected<Bytes, std::string> generateP256PrivateKey();

// The scalar is 32 bytes and lies in 1 ... n-1 for the curve's order n.
bool isValidP256PrivateKey(const Bytes& key);

}  // namespace tavelin
