#include "protocol/Identifiers.h"

#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

#include "protocol/JsonWriter.h"
#include "protocol/UnicodeText.h"

namespace tavelin {

template <class Tag>
void Identifier<Tag>::normalize() {
    if (std::ranges::all_of(rawValue_, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return;
    // Text that is not valid UTF-8 (a Latin-1 file name) goes out with U+FFFD in place of each bad byte
    // and comes back so from a device: it must equal itself after that trip.
    auto repaired = replaceInvalidUtf8(rawValue_);
    if (auto nfc = nfcIfDifferent(repaired)) {
        nfc_ = std::move(*nfc);
        hasNFC_ = true;
    } else if (repaired != rawValue_) {
        nfc_ = std::move(repaired);
        hasNFC_ = true;
    }
}

template class Identifier<RequestIDTag>;
template class Identifier<SessionIDTag>;
template class Identifier<DeviceIDTag>;
template class Identifier<MachineIDTag>;
template class Identifier<ItemIDTag>;
template class Identifier<ChildIDTag>;
template class Identifier<IconTokenTag>;
template class Identifier<WindowIDTag>;
template class Identifier<ScreenIDTag>;

namespace {

std::string randomUUID(const char (&hexDigits)[17]) {
    std::array<std::uint8_t, 16> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        // The system's random source failing is not something a caller can recover from.
        throw std::runtime_error("random source unavailable");
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(hexDigits[bytes[i] >> 4]);
        text.push_back(hexDigits[bytes[i] & 0xF]);
    }
    return text;
}

}  // namespace

std::string randomUUIDString() { return randomUUID("0123456789ABCDEF"); }

RequestID RequestID::generate() { return RequestID(randomUUIDString()); }

SessionID SessionID::generate() { return SessionID(randomUUID("0123456789abcdef")); }

}  // namespace tavelin
