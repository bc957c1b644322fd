#pragma once

// The application delegate: start-up and termination.
//
// applicationDidFinishLaunching, on the main thread, in this order:
//  1. opens the window-server connection;
//  2. asks once per process for notification authorisation (sound and alert);
//  3. builds the service container (on first access) and starts it;
//  4. offers to move the program into the Applications folder, which may end the process here;
//  5. makes the settings window;
//  6. makes the first-run window and shows it while the first-run flow is not completed;
//  7. makes the status item, which follows the setting showStatusItem;
//  8. makes the switcher controller, also stored weakly in the window-action display resolver;
//  9. makes the trigger engine and attaches it to the switcher, which registers the tap, the hot key
//     and the mouse triggers, and takes the system's switcher keys when the trigger replaces them;
// 10. starts the updater.
// A repeated call does nothing.
// The program stays an accessory (its bundle says so); the windows make it regular while they show.
//
// applicationWillTerminate hands the system's Command-Tab and Command-` keys back (all four symbolic
// hot keys on), whether or not they were ever taken; nothing else is saved, since every setting is
// written when it changes.
//
// Main thread. The delegate owns what it makes for the life of the process; the closures it hands out
// hold it weakly.

#include <memory>

#include "mac/app/OnboardingWindowController.h"
#include "mac/core/DockDropHandler.h"
#include "mac/app/SettingsScrollState.h"
#include "mac/app/SettingsWindowController.h"
#include "mac/app/StatusItemController.h"
#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "mac/app/UpdaterController.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/TriggerEngine.h"
#include "platform/Application.h"
#include "platform/ui/TextMeasurer.h"

namespace tavelin {

class TavelinApplication;

class AppDelegate final : public ApplicationDelegate, public std::enable_shared_from_this<AppDelegate> {
  public:
    // UNAuthorizationOptions sound | alert.
    static constexpr std::uint32_t kNotificationAuthorizationOptions =
        kNotificationOptionSound | kNotificationOptionAlert;

    explicit AppDelegate(TavelinApplication& application);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

    // None until did-finish-launching has made them.
    StatusItemController* statusItem() { return statusItem_.get(); }
    SettingsWindowController* settingsWindow() { return settingsWindow_.get(); }
    OnboardingWindowController* onboardingWindow() { return onboardingWindow_.get(); }
    const std::shared_ptr<SwitcherController>& switcher() const { return switcher_; }
    const std::shared_ptr<TriggerEngine>& triggerEngine() const { return triggerEngine_; }
    SettingsScrollState& settingsScrollState() { return scrollState_; }
    SystemAppSwitcherHotKeys& systemAppSwitcherHotKeys() { return systemSwitcherKeys_; }
    // Made, and the updater started, on first use.
    UpdaterController& updaterController();

  private:
    StatusItemController::Actions statusItemActions();

    TavelinApplication& application_;
    SettingsScrollState scrollState_;
    SystemAppSwitcherHotKeys systemSwitcherKeys_;
    std::unique_ptr<UpdaterController> updater_;
    std::unique_ptr<SettingsWindowController> settingsWindow_;
    std::unique_ptr<OnboardingWindowController> onboardingWindow_;
    std::unique_ptr<StatusItemController> statusItem_;
    bool didFinishLaunching_ = false;
    // The system font's measurer, for the panel's labels and its views.
    std::unique_ptr<ui::TextMeasurer> textMeasurer_;
    std::unique_ptr<DockDropHandler> dropHandler_;
    std::shared_ptr<SwitcherController> switcher_;
    std::shared_ptr<TriggerEngine> triggerEngine_;
};

}  // namespace tavelin
