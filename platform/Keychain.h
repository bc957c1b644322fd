#pragma once

// The user's keychain: generic-password items of the program, by service name. Any thread.

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/Base64.h"

namespace tavelin {

struct KeychainError {
    int status = 0;  // the system's status code
    std::string message;
    friend bool operator==(const KeychainError&, const KeychainError&) = default;
};

class Keychain {
  public:
    virtual ~Keychain() = default;

    // None when there is no such item.
    virtual std::expected<std::optional<Bytes>, KeychainError> copyGenericPassword(
        std::string_view service) = 0;
    // Fails when an item of that service exists already.
    virtual std::expected<void, KeychainError> addGenericPassword(std::string_view service, Bytes data) = 0;
};

}  // namespace tavelin
