#pragma once

// The privacy state that the program reads beyond Accessibility trust (see Accessibility.h): screen
// capture, and the preflight of one service through the private privacy framework, which is opened at
// run time and may be missing. Main thread.

#include <optional>
#include <string_view>

namespace tavelin {

// The private framework's name for the App Management service.
inline constexpr std::string_view kTCCServiceSystemPolicyAppBundles = "kTCCServiceSystemPolicyAppBundles";

class Privacy {
  public:
    virtual ~Privacy() = default;

    // Whether this process may capture the screen now. A grant made while the process runs usually
    // shows only after a relaunch.
    virtual bool preflightScreenCaptureAccess() const = 0;
    // Shows the system's request, the first time it is asked in the system's memory; gives whether
    // access is held now.
    virtual bool requestScreenCaptureAccess() = 0;

    // The framework's preflight of the service named by the constant `serviceConstant`, with no
    // options: 0 means granted. None when the framework, its function or the constant is missing.
    virtual std::optional<int> tccAccessPreflight(std::string_view serviceConstant) const = 0;
};

}  // namespace tavelin
