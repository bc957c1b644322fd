#pragma once

// What the program asks of another running application, named by its process identifier. Main thread.

#include <cstdint>

namespace tavelin {

// Activation options, as bits.
inline constexpr std::uint32_t kActivateAllWindows = 1;
inline constexpr std::uint32_t kActivateIgnoringOtherApps = 2;

class RunningApplicationActions {
  public:
    virtual ~RunningApplicationActions() = default;

    // Brings the application to the front; false when it does not run or refuses.
    virtual bool activate(std::int32_t processIdentifier, std::uint32_t options) = 0;
};

}  // namespace tavelin
