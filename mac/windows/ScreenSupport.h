#pragma once

// The screens as window management names them: the primary screen (the first one, else the main one),
// a screen's ScreenID (the decimal text of its display number, "0" without one) and back, and the screen
// that holds a frame. Main thread.

#include <optional>

#include "platform/Screens.h"
#include "protocol/Identifiers.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

class ScreenSupport {
  public:
    explicit ScreenSupport(const Screens& screens) : screens_(screens) {}

    std::optional<Screen> primaryScreen() const;
    // The largest y of the primary screen's frame; 0 without screens.
    double primaryMaxY() const;

    static ScreenID screenID(const Screen& screen);
    // No ID, an empty one or one that is no display number: the main screen. A number no screen has
    // (a display that was disconnected): none.
    std::optional<Screen> screen(const std::optional<ScreenID>& screenID) const;
    // The first screen whose frame holds the frame's centre.
    std::optional<Screen> findScreen(const WindowFrame& forFrame) const;

  private:
    const Screens& screens_;
};

}  // namespace tavelin
