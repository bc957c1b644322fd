#pragma once

// The pairing of new devices: while a device pairs, the Mac shows a six-digit code that the user types
// on the device. It starts with no pairing under way; the pairing exchange itself runs on the pairing
// listener's connections. Main thread. Owned by the server.

#include <optional>
#include <string>

namespace tavelin {

class PairingCoordinator {
  public:
    PairingCoordinator() = default;
    PairingCoordinator(const PairingCoordinator&) = delete;
    PairingCoordinator& operator=(const PairingCoordinator&) = delete;

    // The code shown while a device pairs; none otherwise.
    const std::optional<std::string>& activeCode() const { return activeCode_; }

  private:
    std::optional<std::string> activeCode_;
};

}  // namespace tavelin
