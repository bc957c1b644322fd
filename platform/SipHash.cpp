#include "platform/SipHash.h"

#include <bit>

namespace tavelin {
namespace {

std::uint64_t littleEndian64(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void round(std::uint64_t& v0, std::uint64_t& v1, std::uint64_t& v2, std::uint64_t& v3) {
    v0 += v1;
    v1 = std::rotl(v1, 13);
    v1 ^= v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = std::rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = std::rotl(v1, 17);
    v1 ^= v2;
    v2 = std::rotl(v2, 32);
}

}  // namespace

SipHasher13::SipHasher13(const SipHashKey& key) {
    const auto k0 = littleEndian64(key.data());
    const auto k1 = littleEndian64(key.data() + 8);
    v0_ = k0 ^ 0x736f6d6570736575ULL;
    v1_ = k1 ^ 0x646f72616e646f6dULL;
    v2_ = k0 ^ 0x6c7967656e657261ULL;
    v3_ = k1 ^ 0x7465646279746573ULL;
}

void SipHasher13::compress(std::uint64_t block) {
    v3_ ^= block;
    round(v0_, v1_, v2_, v3_);
    v0_ ^= block;
}

void SipHasher13::update(std::span<const std::uint8_t> bytes) {
    totalLength_ += bytes.size();
    std::size_t at = 0;
    if (tailLength_ > 0) {
        while (tailLength_ < 8 && at < bytes.size()) tail_[tailLength_++] = bytes[at++];
        if (tailLength_ < 8) return;
        compress(littleEndian64(tail_.data()));
        tailLength_ = 0;
    }
    for (; at + 8 <= bytes.size(); at += 8) compress(littleEndian64(bytes.data() + at));
    while (at < bytes.size()) tail_[tailLength_++] = bytes[at++];
}

std::uint64_t SipHasher13::finish() {
    std::uint64_t last = totalLength_ << 56;
    for (std::size_t i = 0; i < tailLength_; ++i) last |= std::uint64_t{tail_[i]} << (8 * i);
    compress(last);
    v2_ ^= 0xff;
    for (int i = 0; i < 3; ++i) round(v0_, v1_, v2_, v3_);
    return v0_ ^ v1_ ^ v2_ ^ v3_;
}

}  // namespace tavelin
