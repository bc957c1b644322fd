#include "mac/app/OnboardingWindowController.h"

namespace tavelin {

OnboardingWindowController::OnboardingWindowController(AppServices& services, UserDefaults& defaults,
                                                       Application& application, AppWindows& windows)
    : ShellWindowController(application, windows,
                            AppWindowConfiguration{
                                .contentView = "OnboardingView",
                                .contentSize = kContentSize,
                                .styleMask = kWindowStyleTitled | kWindowStyleClosable,
                                .bufferedBacking = true,
                                .deferred = false,
                                .title = std::string(kTitle),
                                .releasedWhenClosed = false,
                            }),
      services_(services),
      defaults_(defaults) {}

void OnboardingWindowController::showIfNeeded() {
    if (defaults_.integerForKey(kOnboardingCompletedVersionKey) >= kCompletedVersion) return;
    present();
}

void OnboardingWindowController::complete() {
    defaults_.set(kOnboardingCompletedVersionKey, PlistValue(kCompletedVersion));
    services_.loginItem.setEnabled(services_.settings.launchAtLogin.value());
    window().close();
}

}  // namespace tavelin
