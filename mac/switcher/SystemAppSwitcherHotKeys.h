#pragma once

// The system's own application switchers, Command-Tab (symbolic hot keys 1 and 2) and Command-`
// (6 and 7): switched off while the switcher replaces them, and on again otherwise; at termination all
// four are switched on. The private call behind them is looked up on first use; when the system has
// none, that is logged once and nothing is ever applied.
//
// One per process, main thread: the application delegate owns it and shares it with the trigger engine.

#include <cstdint>
#include <map>
#include <optional>

#include "platform/SymbolicHotKeys.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class SystemAppSwitcherHotKeys {
  public:
    static constexpr std::uint32_t kCmdTabKeys[] = {1, 2};
    static constexpr std::uint32_t kCmdGraveKeys[] = {6, 7};

    SystemAppSwitcherHotKeys(SymbolicHotKeys& hotKeys, SystemLog& log) : hotKeys_(hotKeys), log_(log) {}

    // Disables the Command-Tab pair when `replaceCmdTab`, enables it otherwise; the Command-` pair by
    // `replaceCmdGrave`; then applies all four.
    void applyReplacement(bool replaceCmdTab, bool replaceCmdGrave);
    // Applies the desired state of all four, in the order 1, 2, 6, 7, and logs it.
    void applyDesired();

  private:
    bool isAvailable();
    bool desired(std::uint32_t hotKey) const;

    SymbolicHotKeys& hotKeys_;
    SystemLog& log_;
    std::map<std::uint32_t, bool> desiredEnabled_{{1, true}, {2, true}, {6, true}, {7, true}};
    std::optional<bool> available_;  // none until looked up
};

}  // namespace tavelin
