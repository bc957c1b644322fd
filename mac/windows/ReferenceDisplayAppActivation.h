#pragma once

// The short wait between launching or activating an application and moving its window to the
// reference display: until the application runs, has finished launching and shows a window, in 50 ms
// steps, about two seconds at most. Nothing is reported; the caller fetches a fresh window list and
// copes with an empty one.

#include "mac/windows/WindowPlatform.h"
#include "protocol/DockItem.h"
#include "runtime/Task.h"

namespace tavelin {

class ReferenceDisplayAppActivation {
  public:
    // Runs on the main queue and frees it at every sleep. Launch phase (only for a host with a bundle
    // ID) and window phase: up to 20 checks each, each failed one followed by a 50 ms sleep, no check
    // after the 20th. In a cooperatively cancelled task the sleeps end at once and the checks follow
    // each other without delay.
    static Task<void> briefWaitForWindows(WindowPlatform platform, DockItem host);
};

}  // namespace tavelin
