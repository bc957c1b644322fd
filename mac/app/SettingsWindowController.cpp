#include "mac/app/SettingsWindowController.h"

namespace tavelin {

SettingsWindowController::SettingsWindowController(AppServices& services, SettingsScrollState& scrollState,
                                                   Application& application, AppWindows& windows)
    : ShellWindowController(
          application, windows,
          AppWindowConfiguration{
              .contentView = "SettingsRootView",
              .contentSize = kContentSize,
              .styleMask = kWindowStyleTitled | kWindowStyleClosable | kWindowStyleMiniaturizable,
              .bufferedBacking = true,
              .deferred = false,
              .title = std::string(kTitle),
              .releasedWhenClosed = false,
              .movesToActiveSpace = true,
          }),
      services_(services),
      scrollState_(scrollState) {}

void SettingsWindowController::show(SettingsTab tab) {
    scrollState_.target = tab;
    present();
}

}  // namespace tavelin
