#pragma once

// What the trigger engine asks of the switcher: trigger presses, the trigger button, wheel steps and
// Escape, and the two flags the switcher reports back (a trigger session is armed; the panel is open),
// which the engine sets as callbacks. The switcher controller implements it. Main thread.

#include <cstdint>
#include <functional>

namespace tavelin {

class TriggerSwitcher {
  public:
    virtual ~TriggerSwitcher() = default;

    // Opens the panel or steps the selection (backwards with Shift).
    virtual void triggerTab(bool shift, bool fromKey) = 0;
    virtual void handleTriggerMouseDown(std::int64_t button) = 0;
    virtual void handleTriggerMouseUp(std::int64_t button) = 0;
    // True while the list under the pointer should scroll instead of the selection stepping.
    virtual bool wheelShouldScrollOnly() = 0;
    virtual void applyWheelStep(bool next) = 0;
    virtual void close(bool discardState) = 0;

    std::function<void(bool armed)> onTriggerSessionArmedChanged;
    std::function<void(bool open)> onPanelOpenChanged;
};

}  // namespace tavelin
