#pragma once

// SipHash-1-3 (one compression round per block, three finalisation rounds): a keyed 64-bit hash that
// is cheap on short inputs and cannot be steered by someone who does not know the key. The result is
// the one OpenSSL's SipHash MAC gives with "c-rounds" 1, "d-rounds" 3 and an 8-byte output, read as a
// little-endian number. Fed piece by piece; splitting the input differently gives the same result.
// A value used by one thread at a time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavelin {

using SipHashKey = std::array<std::uint8_t, 16>;

class SipHasher13 {
  public:
    explicit SipHasher13(const SipHashKey& key);

    void update(std::span<const std::uint8_t> bytes);
    void updateByte(std::uint8_t byte) { update(std::span(&byte, 1)); }
    // The hash of everything fed; the hasher is spent afterwards.
    std::uint64_t finish();

  private:
    void compress(std::uint64_t block);

    std::uint64_t v0_, v1_, v2_, v3_;
    std::array<std::uint8_t, 8> tail_{};
    std::size_t tailLength_ = 0;
    std::uint64_t totalLength_ = 0;
};

}  // namespace tavelin
