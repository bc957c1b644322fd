#pragma once

// Modal alerts of the program. Their texts are localisation keys, resolved against the program's
// string tables where the alert is shown. Main thread; the call returns when the user dismisses it.

#include <cstddef>
#include <string>
#include <vector>

namespace tavelin {

enum class AlertStyle { warning, informational, critical };

// A question with buttons (the first is the default one) and, when asked for, a "do not ask again"
// check box. The message's text may take arguments, which fill its "%@" places in order.
struct ModalAlert {
    std::string messageKey;
    std::string informativeKey;
    std::vector<std::string> buttonKeys;
    bool showsSuppressionButton = false;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> messageArguments;

    // The message as the user reads it: the localised text with its arguments filled in.
    std::string messageText() const;
    friend bool operator==(const ModalAlert&, const ModalAlert&) = default;
};

struct ModalAlertResponse {
    std::size_t button = 0;  // the index of the button chosen
    bool suppressed = false;  // the check box was ticked
    friend bool operator==(const ModalAlertResponse&, const ModalAlertResponse&) = default;
};

class Alerts {
  public:
    virtual ~Alerts() = default;

    // An informational alert with the one button "OK".
    virtual void runInformationalAlert(std::string messageKey) = 0;
    virtual ModalAlertResponse runModal(ModalAlert alert) = 0;
};

}  // namespace tavelin
