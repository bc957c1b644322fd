#pragma once

// Which display a window action aims at: the screen under the pointer, unless a caller has pinned a
// screen for the duration of a command. Pins nest: each caller raises pinDepth and sets pinnedScreenID,
// then unpins when its command has finished; the last caller to set the screen decides until the depth
// is back at 0. A pinned display that has been disconnected counts as no pin.
//
// Main thread only: device sessions hop to the main queue to pin. One per process, owned by the service
// container and shared by every WindowActionService value.

#include <memory>
#include <optional>

#include "mac/windows/ScreenSupport.h"
#include "platform/Screens.h"
#include "protocol/Identifiers.h"

namespace tavelin {

class SwitcherController;

class WindowActionDisplayResolver {
  public:
    explicit WindowActionDisplayResolver(const Screens& screens) : screens_(screens), support_(screens) {}
    WindowActionDisplayResolver(const WindowActionDisplayResolver&) = delete;
    WindowActionDisplayResolver& operator=(const WindowActionDisplayResolver&) = delete;

    // The first screen whose frame holds the pointer (by the platform's mouse-in-rectangle test, so that
    // a pointer on the top edge of the top screen counts), else the first screen, else the main one.
    std::optional<Screen> mouseReferenceScreen() const;
    std::optional<Screen> referenceScreen() const;
    std::optional<ScreenID> referenceDisplayScreenID() const;

    void pinReferenceScreen(ScreenID screenID);
    void unpinReferenceScreen();

    // Set once by start-up, after the switcher exists; none until then.
    std::weak_ptr<SwitcherController> switcher;
    std::optional<ScreenID> pinnedScreenID;
    int pinDepth = 0;

  private:
    std::optional<Screen> pinnedScreen() const;

    const Screens& screens_;
    ScreenSupport support_;
};

}  // namespace tavelin
