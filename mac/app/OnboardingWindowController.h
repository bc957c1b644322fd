#pragma once

// The first-run window: the first-run view (over the container, with this controller's completion) in
// a titled and closable window of 560 by 520 points, titled "Tavelin", kept when closed. It shows
// while the first-run flow has not been completed ("onboarding.completedVersion" below 1). Completing
// it records version 1, applies the launch-at-login setting to the login item and closes the window.
// Main thread; owned by the application delegate.

#include "mac/app/AppServices.h"
#include "mac/app/ShellWindowController.h"
#include "platform/UserDefaults.h"

namespace tavelin {

class OnboardingWindowController final : public ShellWindowController {
  public:
    static constexpr WindowSize kContentSize{560, 520};
    static constexpr std::string_view kTitle = "Tavelin";
    static constexpr std::int64_t kCompletedVersion = 1;

    OnboardingWindowController(AppServices& services, UserDefaults& defaults, Application& application,
                               AppWindows& windows);

    // Shows the window unless the first-run flow has been completed.
    void showIfNeeded();
    // The first-run view's completion.
    void complete();

  private:
    AppServices& services_;
    UserDefaults& defaults_;
};

}  // namespace tavelin
