#pragma once

// The system's symbolic hot keys (its own shortcuts, by number: 1 and 2 are Command-Tab and
// Command-Shift-Tab, 6 and 7 Command-` and Command-Shift-`), switched on and off through the window
// server's private call, which is looked up by name and may be missing. Main thread.

#include <cstdint>

namespace tavelin {

class SymbolicHotKeys {
  public:
    virtual ~SymbolicHotKeys() = default;

    // Looks the private call up; false when the system has none.
    virtual bool lookUpSetEnabled() = 0;
    // Only after a successful lookup.
    virtual void setEnabled(std::uint32_t hotKey, bool enabled) = 0;
};

}  // namespace tavelin
