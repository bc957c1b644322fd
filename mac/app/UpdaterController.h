#pragma once

// The updater's one controller: made on first use, which starts the updater. The status item's
// update action asks its updater to check. Main thread; owned by the application delegate.

#include "platform/SoftwareUpdater.h"

namespace tavelin {

class UpdaterController {
  public:
    explicit UpdaterController(SoftwareUpdater& updater) : updater_(updater) { updater_.start(); }
    UpdaterController(const UpdaterController&) = delete;
    UpdaterController& operator=(const UpdaterController&) = delete;

    SoftwareUpdater& updater() { return updater_; }

  private:
    SoftwareUpdater& updater_;
};

}  // namespace tavelin
