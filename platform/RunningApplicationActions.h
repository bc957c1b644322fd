#pragma once

// What the program asks of another running application. Each request answers at once whether the
// application took it; terminate only asks the application to quit (it may end later, or never), a
// forced termination ends it. Main thread.

#include <cstdint>

#include "platform/RunningApplication.h"

namespace tavelin {

// Activation options, as bits.
inline constexpr std::uint32_t kActivateAllWindows = 1;
inline constexpr std::uint32_t kActivateIgnoringOtherApps = 2;

class RunningApplicationActions {
  public:
    virtual ~RunningApplicationActions() = default;

    // Brings the application to the front; false when it does not run or refuses.
    virtual bool activate(std::int32_t processIdentifier, std::uint32_t options) = 0;
    // Each false when the application does not run or refuses.
    virtual bool hide(const RunningApplication& application) = 0;
    virtual bool unhide(const RunningApplication& application) = 0;
    virtual bool terminate(const RunningApplication& application) = 0;
    virtual bool forceTerminate(const RunningApplication& application) = 0;
};

}  // namespace tavelin
