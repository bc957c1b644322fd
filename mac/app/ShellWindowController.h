#pragma once

// What the settings and first-run window controllers share: a window of their own, shown in front of
// everything, for which an accessory application turns regular while it shows (so that it gets a Dock
// icon and a menu bar) and back to accessory when it closes. The controller is the window's delegate.
// Main thread.

#include <memory>

#include "platform/AppWindows.h"
#include "platform/Application.h"

namespace tavelin {

class ShellWindowController : public AppWindowDelegate {
  public:
    ShellWindowController(Application& application, AppWindows& windows,
                          AppWindowConfiguration configuration);
    ShellWindowController(const ShellWindowController&) = delete;
    ShellWindowController& operator=(const ShellWindowController&) = delete;
    ~ShellWindowController() override;

    AppWindow& window() { return *window_; }
    // True while the window shows and the application was an accessory before.
    bool restoresAccessoryActivationPolicy() const { return restoreAccessory_; }

    void windowWillClose() override;

  protected:
    // Turns an accessory application regular (remembering to restore it), activates the application,
    // centres the window and makes it key and front.
    void present();

  private:
    Application& application_;
    std::unique_ptr<AppWindow> window_;
    bool restoreAccessory_ = false;
};

}  // namespace tavelin
