#include "mac/app/AppDelegate.h"

#include "mac/app/MoveToApplicationsFolder.h"
#include "mac/app/TavelinApplication.h"

namespace tavelin {

AppDelegate::AppDelegate(TavelinApplication& application)
    : application_(application),
      systemSwitcherKeys_(application.platform().symbolicHotKeys, application.platform().log) {}

void AppDelegate::applicationDidFinishLaunching() {
    // What start-up makes is made once and never replaced.
    if (didFinishLaunching_) return;
    didFinishLaunching_ = true;
    const auto& platform = application_.platform();

    platform.windowServerConnection.mainConnectionID();

    if (application_.claimNotificationAuthorizationRequest()) {
        platform.userNotifications.requestAuthorization(kNotificationAuthorizationOptions,
                                                        [](bool, std::optional<std::string>) {});
    }

    auto& services = application_.sharedServices();
    services.start();

    const MoveToApplicationsFolder::Platform move{
        platform.host,        platform.folders, platform.files, platform.alerts, platform.standardDefaults,
        platform.application, platform.log};
    if (!MoveToApplicationsFolder::moveIfNecessary(move, false, true, nullptr)) return;

    settingsWindow_ = std::make_unique<SettingsWindowController>(services, scrollState_, platform.application,
                                                                 platform.windows);

    onboardingWindow_ = std::make_unique<OnboardingWindowController>(services, platform.standardDefaults,
                                                                     platform.application, platform.windows);
    onboardingWindow_->showIfNeeded();

    statusItem_ = std::make_unique<StatusItemController>(services.settings, statusItemActions(),
                                                         platform.statusBar, platform.scheduler.main());

    textMeasurer_ = ui::makePangoTextMeasurer();
    dropHandler_ = std::make_unique<DockDropHandler>(
        DockDropHandler::Platform{platform.workspace, platform.launchServices, platform.files,
                                  platform.workspaceActions, platform.dragPasteboard, platform.log});
    switcher_ = SwitcherController::make(
        {services.settings, services.dockState, services.folders, services.icons, services.windowList,
         services.permissions, *dropHandler_, services.executor, services.windowActions},
        {platform.windows, platform.application, platform.workspace, platform.screens,
         platform.standardDefaults, platform.notificationCenter, platform.scheduler, platform.windowActionLog,
         *textMeasurer_, platform.eventMonitors, platform.textInput, platform.files,
         platform.scheduler.serialQueue(SwitcherController::kFolderSearchQueueLabel), platform.alerts});
    services.windowActionDisplayResolver->switcher = switcher_;

    triggerEngine_ = TriggerEngine::make(
        services.settings, systemSwitcherKeys_,
        {platform.eventTaps, platform.hotKeys, platform.eventMonitors, platform.accessibility,
         platform.workspace.notificationCenter(), platform.notificationCenter, platform.scheduler.main(),
         platform.scheduler.clock(), platform.log});
    if (switcher_) triggerEngine_->attach(switcher_);

    updaterController();
}

void AppDelegate::applicationWillTerminate() { systemSwitcherKeys_.applyReplacement(false, false); }

UpdaterController& AppDelegate::updaterController() {
    if (!updater_) updater_ = std::make_unique<UpdaterController>(application_.platform().updater);
    return *updater_;
}

StatusItemController::Actions AppDelegate::statusItemActions() {
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    return {
        .onShowSwitcher =
            [weak] {
                if (auto self = weak.lock(); self && self->switcher_) self->switcher_->openPanel(true);
            },
        .onOpenSettings =
            [weak] {
                if (auto self = weak.lock(); self && self->settingsWindow_)
                    self->settingsWindow_->show(SettingsTab::general);
            },
        .onAddDevice =
            [weak] {
                if (auto self = weak.lock(); self && self->settingsWindow_)
                    self->settingsWindow_->show(SettingsTab::devices);
            },
        .onCheckUpdates =
            [weak] {
                if (auto self = weak.lock()) self->updaterController().updater().checkForUpdates();
            },
        .onQuit =
            [weak] {
                if (auto self = weak.lock()) self->application_.platform().application.terminate();
            },
    };
}

}  // namespace tavelin
