#pragma once

// The program's login item: registered, the system opens the program at login. A failure is logged
// ("Login item: " and the system's description) and otherwise ignored, so the setting launchAtLogin may
// be on while the program is not registered. Main thread.

#include "platform/LoginItems.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class LoginItemService {
  public:
    LoginItemService(LoginItems& loginItems, SystemLog& log) : loginItems_(loginItems), log_(log) {}

    // Registers when true, unregisters when false, whatever the current state.
    void setEnabled(bool enabled);

  private:
    LoginItems& loginItems_;
    SystemLog& log_;
};

}  // namespace tavelin
