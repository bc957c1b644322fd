#pragma once

// Which display a window action aims at: the screen the switcher's panel shows on, unless a screen is
// pinned for the duration of a nested action (pinDepth counts the nesting). It reaches the switcher
// weakly: start-up sets it once, after the switcher exists; until then there is none.
//
// Main thread. Owned by the service container.

#include <memory>
#include <optional>

#include "protocol/Identifiers.h"

namespace tavelin {

class SwitcherController;

class WindowActionDisplayResolver {
  public:
    WindowActionDisplayResolver() = default;
    WindowActionDisplayResolver(const WindowActionDisplayResolver&) = delete;
    WindowActionDisplayResolver& operator=(const WindowActionDisplayResolver&) = delete;

    std::weak_ptr<SwitcherController> switcher;
    std::optional<ScreenID> pinnedScreenID;
    int pinDepth = 0;
};

}  // namespace tavelin
