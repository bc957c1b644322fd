#include "mac/app/TavelinApplication.h"

#include "mac/app/AppDelegate.h"

namespace tavelin {

TavelinApplication::TavelinApplication(const AppPlatform& platform)
    : platform_(platform), delegate_(std::make_shared<AppDelegate>(*this)) {}

TavelinApplication::~TavelinApplication() {
    // The delegate's windows and status item go before the services they show.
    if (platform_.application.delegate() == delegate_.get()) platform_.application.setDelegate(nullptr);
    delegate_.reset();
}

AppServices& TavelinApplication::sharedServices() {
    std::call_once(servicesBuilt_, [this] { services_ = std::make_unique<AppServices>(platform_); });
    return *services_;
}

void TavelinApplication::settingsCommand() {
    auto* delegate = dynamic_cast<AppDelegate*>(platform_.application.delegate());
    if (delegate && delegate->settingsWindow()) delegate->settingsWindow()->show(SettingsTab::general);
}

}  // namespace tavelin
