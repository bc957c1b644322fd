#include "platform/Sha256.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>

namespace tavelin {

Sha256Digest sha256(std::span<const std::uint8_t> bytes) {
    Sha256Digest digest{};
    unsigned int length = 0;
    // Fails only when the library cannot allocate; a wrong digest would be silently shared as a token.
    if (!EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr)) std::abort();
    return digest;
}

std::string hexPrefix(const Sha256Digest& digest, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < std::min(count, digest.size()); ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0f];
    }
    return text;
}

}  // namespace tavelin
