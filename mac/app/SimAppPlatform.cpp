#include "mac/app/SimAppPlatform.h"

namespace tavelin {

AppPlatform simAppPlatform(sim::SimMac& mac, Scheduler& scheduler, SystemLog& log, WindowActionLog& windowActionLog,
                           FileWatcher& fileWatcher) {
    return AppPlatform{
        .scheduler = scheduler,
        .log = log,
        .windowActionLog = windowActionLog,
        .fileWatcher = fileWatcher,
        .standardDefaults = mac.standardUserDefaults(),
        .userDefaults = mac.userDefaults(),
        .host = mac.host(),
        .folders = mac.folders(),
        .files = mac.fileSystem(),
        .notificationCenter = mac.notificationCenter(),
        .workspace = mac.workspace(),
        .runningApplications = mac.workspace(),
        .workspaceActions = mac.workspaceActions(),
        .workspaceIcons = mac.workspaceIcons(),
        .accessibility = mac.accessibility(),
        .privacy = mac.privacy(),
        .userNotifications = mac.userNotifications(),
        .screens = mac.displays(),
        .desktopPictures = mac.displays(),
        .windowServer = mac.windowServer(),
        .privateWindowServer = mac.privateWindowServer(),
        .screenCapture = mac.screenCapture(),
        .mouseCursor = mac.mouseCursor(),
        .appleEvents = mac.appleEvents(),
        .processes = mac.processes(),
        .loginItems = mac.loginItems(),
        .network = mac.network(),
        .keychain = mac.keychain(),
        .application = mac.application(),
        .windows = mac.appWindows(),
        .statusBar = mac.statusBar(),
        .alerts = mac.alerts(),
        .windowServerConnection = mac.windowServerConnection(),
        .appleScripts = mac.appleScripts(),
        .symbolicHotKeys = mac.symbolicHotKeys(),
        .updater = mac.softwareUpdater(),
        .launchServices = mac.launchServices(),
        .dragPasteboard = mac.dragPasteboard(),
        .eventMonitors = mac.input(),
        .textInput = mac.textInput(),
        .eventTaps = mac.eventTaps(),
        .hotKeys = mac.hotKeys(),
    };
}

}  // namespace tavelin
