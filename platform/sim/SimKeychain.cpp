#include "platform/sim/SimKeychain.h"

namespace tavelin::sim {
namespace {

// The system's status for an item that exists already.
constexpr int kDuplicateItem = -25299;

}  // namespace

std::expected<std::optional<Bytes>, KeychainError> SimKeychain::copyGenericPassword(
    std::string_view service) {
    trace_.record("Keychain.copy " + std::string(service));
    std::lock_guard lock(mutex_);
    if (failure_) return std::unexpected(*failure_);
    const auto found = items_.find(service);
    if (found == items_.end()) return std::optional<Bytes>();
    return found->second;
}

std::expected<void, KeychainError> SimKeychain::addGenericPassword(std::string_view service, Bytes data) {
    trace_.record("Keychain.add " + std::string(service));
    std::lock_guard lock(mutex_);
    if (failure_) return std::unexpected(*failure_);
    if (items_.contains(service)) {
        return std::unexpected(
            KeychainError{kDuplicateItem, "The specified item already exists in the keychain."});
    }
    items_.emplace(std::string(service), std::move(data));
    return {};
}

std::optional<Bytes> SimKeychain::item(std::string_view service) const {
    std::lock_guard lock(mutex_);
    const auto found = items_.find(service);
    if (found == items_.end()) return std::nullopt;
    return found->second;
}

void SimKeychain::setFailure(std::optional<KeychainError> error) {
    std::lock_guard lock(mutex_);
    failure_ = std::move(error);
}

}  // namespace tavelin::sim
