#pragma once

// The simulated keychain: generic-password items in memory, by service name. Tests make every request
// fail with the error they set. Each request is recorded in the world's call trace. Any thread.

#include <map>
#include <mutex>
#include <optional>

#include "platform/Keychain.h"
#include "platform/sim/SimCallTrace.h"

namespace tavelin::sim {

class SimKeychain final : public Keychain {
  public:
    explicit SimKeychain(SimCallTrace& trace) : trace_(trace) {}

    std::expected<std::optional<Bytes>, KeychainError> copyGenericPassword(std::string_view service) override;
    std::expected<void, KeychainError> addGenericPassword(std::string_view service, Bytes data) override;

    // --- The world's side ---

    std::optional<Bytes> item(std::string_view service) const;
    void setFailure(std::optional<KeychainError> error);

  private:
    SimCallTrace& trace_;
    mutable std::mutex mutex_;
    std::map<std::string, Bytes, std::less<>> items_;
    std::optional<KeychainError> failure_;
};

}  // namespace tavelin::sim
