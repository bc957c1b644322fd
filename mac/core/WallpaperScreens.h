#pragma once

// Which screens the desktop-picture service looks at, in which order, and where each lies for the
// window server. Any thread.

#include <optional>
#include <vector>

#include "platform/Screens.h"

namespace tavelin {

// The first screen under the mouse, then the main screen, then the others in list order; each screen
// (by identity) once.
std::vector<Screen> prioritizedScreens(const std::vector<Screen>& screens, const std::optional<Screen>& mainScreen,
                                       Point mouseLocation);

// The screen's frame in the window server's coordinates, measured from the first screen of `screens`
// (from the screen itself when the list is empty).
Rect cgRect(const Screen& screen, const std::vector<Screen>& screens);

}  // namespace tavelin
