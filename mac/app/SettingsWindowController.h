#pragma once

// The settings window: the settings form (over the container and the shared scroll state) in a
// titled, closable and miniaturisable window of 520 by 620 points, titled "settings.title", kept when
// closed and brought to the Space the user is on. Opened for a tab by the settings command and the
// status item. Main thread; owned by the application delegate.

#include "mac/app/AppServices.h"
#include "mac/app/SettingsScrollState.h"
#include "mac/app/ShellWindowController.h"

namespace tavelin {

class SettingsWindowController final : public ShellWindowController {
  public:
    static constexpr WindowSize kContentSize{520, 620};
    static constexpr std::string_view kTitle = "settings.title";

    SettingsWindowController(AppServices& services, SettingsScrollState& scrollState,
                             Application& application, AppWindows& windows);

    // Scrolls the form to `tab` and brings the window to the front.
    void show(SettingsTab tab);

    AppServices& services() { return services_; }

  private:
    AppServices& services_;
    SettingsScrollState& scrollState_;
};

}  // namespace tavelin
