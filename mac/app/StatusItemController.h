#pragma once

// The status item: a button in the menu bar showing the template symbol "dock.rectangle"
// (accessibility description "Tavelin") with a menu of five actions: show the switcher, open the
// settings, add a device, check for updates, quit. The item is visible exactly while the setting
// showStatusItem is on; a change of the settings sets it again on the main queue, so it follows
// without a restart. Main thread; owned by the application delegate.

#include <functional>
#include <memory>
#include <string_view>

#include "mac/settings/AppSettings.h"
#include "platform/StatusBar.h"
#include "runtime/Queue.h"
#include "runtime/Subscription.h"

namespace tavelin {

class StatusItemController {
  public:
    using Action = std::function<void()>;

    struct Actions {
        Action onShowSwitcher;
        Action onOpenSettings;
        Action onAddDevice;
        Action onCheckUpdates;
        Action onQuit;
    };

    static constexpr std::string_view kSymbolName = "dock.rectangle";
    static constexpr std::string_view kAccessibilityDescription = "Tavelin";
    // The menu's rows, as localisation keys.
    static constexpr std::string_view kShowSwitcherTitle = "menu.showSwitcher";
    static constexpr std::string_view kSettingsTitle = "menu.settings";
    static constexpr std::string_view kAddDeviceTitle = "menu.addDevice";
    static constexpr std::string_view kCheckForUpdatesTitle = "menu.checkForUpdates";
    static constexpr std::string_view kQuitTitle = "menu.quit";

    StatusItemController(const AppSettings& settings, Actions actions, StatusBar& statusBar,
                         Queue& mainQueue);
    StatusItemController(const StatusItemController&) = delete;
    StatusItemController& operator=(const StatusItemController&) = delete;

    void rebuildMenu(Actions actions);
    StatusItem& item() { return *item_; }

  private:
    void updateVisibility();

    const AppSettings& settings_;
    std::unique_ptr<StatusItem> item_;
    // Last, so that it goes first.
    Subscription settingsSubscription_;
};

}  // namespace tavelin
