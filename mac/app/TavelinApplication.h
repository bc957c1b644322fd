#pragma once

// The application as one process sees it: the platform it runs on, its one service container (built
// on first access, once, whichever thread gets there first), its application delegate, and what is
// done once per process. The program makes one and hands the delegate to the platform's application,
// whose loop then calls it.
//
//     TavelinApplication application(platform);
//     platform.application.setDelegate(&application.delegate());
//     // ... the platform's loop runs: did-finish-launching, the user's actions, will-terminate
//
// The settings command (Command-,) of the application's menu opens the settings window on its general
// tab, once did-finish-launching has made that window; before, it does nothing.

#include <atomic>
#include <memory>
#include <mutex>

#include "mac/app/AppPlatform.h"
#include "mac/app/AppServices.h"

namespace tavelin {

class AppDelegate;

class TavelinApplication {
  public:
    explicit TavelinApplication(const AppPlatform& platform);
    ~TavelinApplication();
    TavelinApplication(const TavelinApplication&) = delete;
    TavelinApplication& operator=(const TavelinApplication&) = delete;

    const AppPlatform& platform() const { return platform_; }
    // The container; the first access builds it. Any thread.
    AppServices& sharedServices();
    AppDelegate& delegate() { return *delegate_; }

    // True for the first caller in the process only.
    bool claimNotificationAuthorizationRequest() {
        return !notificationAuthorizationRequested_.exchange(true);
    }

    void settingsCommand();

  private:
    AppPlatform platform_;
    std::once_flag servicesBuilt_;
    std::unique_ptr<AppServices> services_;
    std::atomic<bool> notificationAuthorizationRequested_{false};
    std::shared_ptr<AppDelegate> delegate_;
};

}  // namespace tavelin
