#pragma once

// Modal alerts of the program. Their texts are localisation keys, resolved against the program's
// string tables where the alert is shown. Main thread; the call returns when the user dismisses it.

#include <string>

namespace tavelin {

class Alerts {
  public:
    virtual ~Alerts() = default;

    // An informational alert with the one button "OK".
    virtual void runInformationalAlert(std::string messageKey) = 0;
};

}  // namespace tavelin
