#pragma once

// Everything the application asks of the system, in one place: the scheduler, the logs and the file
// watcher, and each platform interface. The program fills it in from the Mac it runs on (the simulated
// one: SimAppPlatform.h); the service container and the shell take from it what each part needs.

#include "platform/Accessibility.h"
#include "platform/Alerts.h"
#include "platform/AppWindows.h"
#include "platform/AppleEvents.h"
#include "platform/AppleScript.h"
#include "platform/Application.h"
#include "platform/DesktopPictures.h"
#include "platform/EventMonitors.h"
#include "platform/EventTaps.h"
#include "platform/FileSystem.h"
#include "platform/FileWatcher.h"
#include "platform/HostInfo.h"
#include "platform/HotKeys.h"
#include "platform/Keychain.h"
#include "platform/LaunchServices.h"
#include "platform/LoginItems.h"
#include "platform/MouseCursor.h"
#include "platform/NetworkListeners.h"
#include "platform/Pasteboard.h"
#include "platform/Privacy.h"
#include "platform/PrivateWindowServer.h"
#include "platform/Processes.h"
#include "platform/RunningApplicationActions.h"
#include "platform/ScreenCapture.h"
#include "platform/Screens.h"
#include "platform/SoftwareUpdater.h"
#include "platform/StatusBar.h"
#include "platform/SymbolicHotKeys.h"
#include "platform/TextInput.h"
#include "platform/UserDefaults.h"
#include "platform/UserDefaultsDomains.h"
#include "platform/UserFolders.h"
#include "platform/UserNotificationCenter.h"
#include "platform/WindowServer.h"
#include "platform/WindowServerConnection.h"
#include "platform/Workspace.h"
#include "platform/WorkspaceActions.h"
#include "platform/WorkspaceIcons.h"
#include "runtime/NotificationCenter.h"
#include "runtime/Scheduler.h"
#include "runtime/SystemLog.h"
#include "runtime/WindowActionLog.h"

namespace tavelin {

struct AppPlatform {
    Scheduler& scheduler;
    SystemLog& log;
    // The window-actions log, in the home folder the program runs for.
    WindowActionLog& windowActionLog;
    FileWatcher& fileWatcher;

    // The program's own defaults domain, and every domain by name.
    UserDefaults& standardDefaults;
    UserDefaultsDomains& userDefaults;
    const HostInfo& host;
    const UserFolders& folders;
    FileSystem& files;
    NotificationCenter& notificationCenter;  // the program's default centre

    Workspace& workspace;
    RunningApplicationActions& runningApplications;
    WorkspaceActions& workspaceActions;
    WorkspaceIcons& workspaceIcons;
    const Accessibility& accessibility;
    Privacy& privacy;
    UserNotificationCenter& userNotifications;
    Screens& screens;
    DesktopPictures& desktopPictures;
    WindowServer& windowServer;
    PrivateWindowServer& privateWindowServer;
    ScreenCapture& screenCapture;
    MouseCursor& mouseCursor;
    AppleEvents& appleEvents;
    Processes& processes;

    LoginItems& loginItems;
    NetworkListeners& network;
    Keychain& keychain;

    // The shell.
    Application& application;
    AppWindows& windows;
    StatusBar& statusBar;
    Alerts& alerts;
    WindowServerConnection& windowServerConnection;
    AppleScripts& appleScripts;
    SymbolicHotKeys& symbolicHotKeys;
    SoftwareUpdater& updater;
    // Opening dragged files, and the pasteboard of the drag.
    LaunchServices& launchServices;
    const Pasteboard& dragPasteboard;
    // The application's event monitors and the input state they read, and the text input of its text views.
    EventMonitors& eventMonitors;
    TextInput& textInput;
    // The trigger's event tap and hot key.
    EventTaps& eventTaps;
    HotKeys& hotKeys;
};

}  // namespace tavelin
