#include "mac/app/ShellWindowController.h"

namespace tavelin {

ShellWindowController::ShellWindowController(Application& application, AppWindows& windows,
                                             AppWindowConfiguration configuration)
    : application_(application), window_(windows.makeWindow(std::move(configuration))) {
    window_->setDelegate(this);
}

ShellWindowController::~ShellWindowController() { window_->setDelegate(nullptr); }

void ShellWindowController::present() {
    if (application_.activationPolicy() == RawActivationPolicy::accessory) {
        application_.setActivationPolicy(RawActivationPolicy::regular);
        restoreAccessory_ = true;
    }
    application_.activate(true);
    window_->center();
    window_->makeKeyAndOrderFront();
}

void ShellWindowController::windowWillClose() {
    if (!restoreAccessory_) return;
    restoreAccessory_ = false;
    application_.setActivationPolicy(RawActivationPolicy::accessory);
}

}  // namespace tavelin
