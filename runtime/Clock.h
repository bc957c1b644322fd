#pragma once

// Time as the system reads it: monotonic uptime for delays, back-offs and intervals, and wall time for
// what is shown or stored. The live clock reads the machine; the virtual one is moved by the tests.

#include <chrono>

#include "protocol/Timestamp.h"

namespace tavelin {

using Duration = std::chrono::nanoseconds;

class Clock {
public:
    virtual ~Clock() = default;

    // Time since an arbitrary fixed start; never goes backwards.
    virtual Duration uptime() const = 0;
    virtual Timestamp now() const = 0;
};

}  // namespace tavelin
