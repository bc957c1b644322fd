#include "mac/windows/WindowContentRevision.h"

#include <openssl/rand.h>

#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <random>

namespace tavelin {
namespace {

// The key as two words, so that a reader never sees half of an old key and half of a new one torn
// within a word; a test that replaces it does so before it hashes.
struct RevisionKey {
    std::atomic<std::uint64_t> low;
    std::atomic<std::uint64_t> high;
};

SipHashKey randomKey() {
    SipHashKey key{};
    if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1) {
        // Without the system's generator the revisions still work within the run; they are only
        // easier to guess.
        std::random_device device;
        for (auto& byte : key) byte = static_cast<std::uint8_t>(device());
    }
    return key;
}

RevisionKey& processKey() {
    static RevisionKey key = [] {
        const auto bytes = randomKey();
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, bytes.data(), 8);
        std::memcpy(&high, bytes.data() + 8, 8);
        return RevisionKey{low, high};
    }();
    return key;
}

SipHashKey currentKey() {
    auto& key = processKey();
    const std::uint64_t words[2] = {key.low.load(std::memory_order_relaxed),
                                    key.high.load(std::memory_order_relaxed)};
    SipHashKey bytes{};
    std::memcpy(bytes.data(), words, bytes.size());
    return bytes;
}

void putLittleEndian(SipHasher13& hasher, std::uint64_t value) {
    std::array<std::uint8_t, 8> bytes{};
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
    hasher.update(bytes);
}

// Its length first, so that neighbouring texts cannot run into each other.
void putText(SipHasher13& hasher, std::string_view text) {
    putLittleEndian(hasher, text.size());
    hasher.update(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void putCoordinate(SipHasher13& hasher, double value) {
    hasher.updateByte(1);
    putLittleEndian(hasher, std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value));
}

}  // namespace

std::int64_t windowContentRevision(std::string_view title, const std::optional<WindowFrame>& frame,
                                   WindowState state, bool minimized) {
    SipHasher13 hasher(currentKey());
    putText(hasher, title);
    if (frame) {
        putCoordinate(hasher, frame->x);
        putCoordinate(hasher, frame->y);
        putCoordinate(hasher, frame->width);
        putCoordinate(hasher, frame->height);
    } else {
        for (int i = 0; i < 4; ++i) hasher.updateByte(0);
    }
    putText(hasher, toString(state));
    hasher.updateByte(minimized ? 1 : 0);
    return std::bit_cast<std::int64_t>(hasher.finish());
}

void setWindowContentRevisionKey(const SipHashKey& key) {
    std::uint64_t words[2];
    std::memcpy(words, key.data(), key.size());
    auto& current = processKey();
    current.low.store(words[0], std::memory_order_relaxed);
    current.high.store(words[1], std::memory_order_relaxed);
}

}  // namespace tavelin
