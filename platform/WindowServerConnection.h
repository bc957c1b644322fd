#pragma once

// The process's own connection to the window server, through the private window-server framework. The
// first call opens it, so the program makes it once before any window work; later calls give the same
// connection. Main thread.

#include <cstdint>

namespace tavelin {

class WindowServerConnection {
  public:
    virtual ~WindowServerConnection() = default;

    virtual std::int32_t mainConnectionID() = 0;
};

}  // namespace tavelin
