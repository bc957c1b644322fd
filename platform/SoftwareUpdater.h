#pragma once

// The updater framework bundled with the program: once started it checks for new versions on its own
// schedule (as the user's automatic-check setting says); a check can also be asked for. Main thread.

namespace tavelin {

class SoftwareUpdater {
  public:
    virtual ~SoftwareUpdater() = default;

    virtual void start() = 0;
    // Shows the updater's own window with the result.
    virtual void checkForUpdates() = 0;
};

}  // namespace tavelin
