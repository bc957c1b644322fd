#pragma once

// The simulated Mac: one world behind the platform interfaces, built from a desktop file and a home
// folder on disk. The home folder is real and is also the simulated Mac's disk (see Desktop.h): the
// user-defaults domains are the preference files in it, and the program and every installed
// application have a bundle there ("Contents/Info.plist", made when missing). Tests build the world in
// code (a `Desktop` value) or from a file and drive it through this class and its parts.
//
// One world: starting an application adds its process, posts the workspace's notification and shows
// it in the Dock's Accessibility tree; the Dock keeps its preference file in the home folder. The
// program itself runs as an accessory process.
//
// Lives on the main thread, as the platform's own objects do; user defaults may be used from any thread.

#include <expected>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/UserDefaultsDomains.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimAppWindows.h"
#include "platform/sim/SimAppleEvents.h"
#include "platform/sim/SimAppleScripts.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimDock.h"
#include "platform/sim/SimEventTaps.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimHost.h"
#include "platform/sim/SimHotKeys.h"
#include "platform/sim/SimInputStream.h"
#include "platform/sim/SimKeychain.h"
#include "platform/sim/SimLaunchServices.h"
#include "platform/sim/SimMouseCursor.h"
#include "platform/sim/SimNetwork.h"
#include "platform/sim/SimPasteboard.h"
#include "platform/sim/SimPointerRouter.h"
#include "platform/sim/SimPrivacy.h"
#include "platform/sim/SimPrivateWindowServer.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimProgram.h"
#include "platform/sim/SimScreenCapture.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimStatusBar.h"
#include "platform/sim/SimTextInput.h"
#include "platform/sim/SimUserFolders.h"
#include "platform/sim/SimUserNotificationCenter.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/SimWindowWorld.h"
#include "platform/sim/SimWorkspace.h"
#include "platform/sim/SimWorkspaceActions.h"
#include "platform/sim/SimWorkspaceIcons.h"
#include "runtime/Scheduler.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

struct SimMacError {
    std::string message;
    friend bool operator==(const SimMacError&, const SimMacError&) = default;
};

class SimMac {
  public:
    // Fails when the desktop file cannot be read or checked, or when the home folder is no folder.
    static std::expected<std::unique_ptr<SimMac>, SimMacError> load(const std::filesystem::path& desktopFile,
                                                                    const std::filesystem::path& homeFolder,
                                                                    Scheduler& scheduler, SystemLog& log);

    // `homeFolder` must be an existing folder. Files that cannot be made are reported through the log.
    SimMac(Desktop desktop, std::filesystem::path homeFolder, Scheduler& scheduler, SystemLog& log);

    SimMac(const SimMac&) = delete;
    SimMac& operator=(const SimMac&) = delete;

    const std::filesystem::path& homeFolder() const { return homeFolder_; }
    SimHost& host() { return host_; }
    UserDefaultsDomains& userDefaults() { return userDefaults_; }
    // The program's own domain, named after its bundle identifier.
    UserDefaults& standardUserDefaults();
    SimUserFolders& folders() { return folders_; }
    SimWorkspace& workspace() { return workspace_; }
    SimAccessibility& accessibility() { return accessibility_; }
    // The disk (the home folder's real files) with the refusals tests inject.
    SimFileSystem& fileSystem() { return files_; }
    SimPrivacy& privacy() { return privacy_; }
    SimUserNotificationCenter& userNotifications() { return notifications_; }
    SimLaunchServices& launchServices() { return launchServices_; }
    SimWorkspaceActions& workspaceActions() { return workspaceActions_; }
    SimPasteboard& dragPasteboard() { return dragPasteboard_; }
    SimAlerts& alerts() { return alerts_; }
    // The program's default notification centre, where the platform also posts its own notifications.
    NotificationCenter& notificationCenter() { return notificationCenter_; }
    SimDisplays& displays() { return displays_; }
    // Every application's windows, the displays' Spaces and the pointer (see SimWindowWorld.h).
    SimWindowWorld& windowWorld() { return windowWorld_; }
    SimWindowServer& windowServer() { return windowServer_; }
    // The window server's private calls: Spaces, process focus, key windows.
    SimPrivateWindowServer& privateWindowServer() { return privateWindowServer_; }
    SimMouseCursor& mouseCursor() { return mouseCursor_; }
    SimScreenCapture& screenCapture() { return screenCapture_; }
    SimWorkspaceIcons& workspaceIcons() { return workspaceIcons_; }
    // Apple events and command-line tools; windows they make are the window world's.
    SimAppleEvents& appleEvents() { return appleEvents_; }
    SimProcesses& processes() { return processes_; }
    // Null when the desktop describes no Dock.
    SimDock* dock() { return dock_.get(); }

    // What the program asked of the world, in order (see SimCallTrace.h).
    SimCallTrace& calls() { return calls_; }
    // The program's own application object, windows and shell.
    SimProgram& application() { return application_; }
    SimAppWindows& appWindows() { return appWindows_; }
    // The mouse and drags over the program's panels (see SimDrag.h to drag).
    SimPointerRouter& pointerRouter() { return pointerRouter_; }
    SimStatusBar& statusBar() { return statusBar_; }
    SimWindowServerConnection& windowServerConnection() { return windowServerConnection_; }
    SimLoginItems& loginItems() { return loginItems_; }
    SimSymbolicHotKeys& symbolicHotKeys() { return symbolicHotKeys_; }
    SimSoftwareUpdater& softwareUpdater() { return softwareUpdater_; }
    SimKeychain& keychain() { return keychain_; }
    SimNetwork& network() { return network_; }
    // The keyboard, mouse and wheel (see SimInputStream.h), the event taps and hot keys they pass.
    SimInputStream& input() { return input_; }
    SimEventTaps& eventTaps() { return eventTaps_; }
    // The keyboard input source and the input contexts of text views (see SimTextInput.h).
    SimTextInput& textInput() { return textInput_; }
    SimHotKeys& hotKeys() { return hotKeys_; }
    // AppleScript run inside the program; its System Events keys go through the input stream, its
    // windows are the window world's.
    SimAppleScripts& appleScripts() { return appleScripts_; }

    // The Mac wakes from sleep: the system turns its own shortcuts back on and tells the workspace.
    void wake();
    // The Dock process quits and starts again; the system turns its own shortcuts back on.
    void relaunchDock();

    // Where a path of the simulated Mac lies on disk.
    std::filesystem::path diskPath(const std::filesystem::path& macPath) const {
        return sim::diskPath(homeFolder_, macPath);
    }

  private:
    void makeBundle(const std::filesystem::path& path, PlistDict info);
    void addWindows(const Desktop& desktop);
    // The window world follows the running processes.
    void processesChanged();
    // A file the desktop file brings, unless something lies there already.
    void copyIfMissing(const DesktopFile& file);
    // A new window of a running application, in front, on the first display.
    void showApplicationWindow(std::int32_t processIdentifier, const std::string& title);

    const std::filesystem::path homeFolder_;
    SystemLog& log_;
    // The services the platform keeps on the main thread check their callers against it.
    const SequenceChecker mainThread_;
    SimCallTrace calls_;
    SimHost host_;
    UserDefaultsDomains userDefaults_;
    SimUserFolders folders_;
    SimWorkspace workspace_;
    SimAccessibility accessibility_{mainThread_};
    std::unique_ptr<SimDock> dock_;
    // The system's own queue, on which the platform's asynchronous answers arrive.
    Queue& systemQueue_;
    SimFileSystem files_;
    SimPrivacy privacy_{mainThread_};
    SimUserNotificationCenter notifications_{systemQueue_};
    SimLaunchServices launchServices_{workspace_};
    SimWorkspaceActions workspaceActions_{workspace_, files_, folders_, systemQueue_};
    SimPasteboard dragPasteboard_{mainThread_};
    SimAlerts alerts_{workspace_.scheduler()};
    NotificationCenter notificationCenter_;
    SimWindowWorld windowWorld_;
    SimWindowServer windowServer_{windowWorld_, privacy_};
    SimMouseCursor mouseCursor_{windowWorld_};
    SimScreenCapture screenCapture_;
    SimDisplays displays_;
    SimPrivateWindowServer privateWindowServer_{windowWorld_, displays_, workspace_, calls_};
    SimWorkspaceIcons workspaceIcons_{host_.mainBundle().path};
    SimAppleEvents appleEvents_{workspace_};
    SimProgram application_{workspace_, host_.mainBundle().identifier, calls_};
    SimAppWindows appWindows_{calls_, windowWorld_, mainThread_};
    SimPointerRouter pointerRouter_{appWindows_};
    SimStatusBar statusBar_{calls_, mainThread_};
    SimWindowServerConnection windowServerConnection_{calls_, mainThread_};
    SimLoginItems loginItems_{calls_, mainThread_};
    SimSymbolicHotKeys symbolicHotKeys_{calls_, mainThread_};
    SimSoftwareUpdater softwareUpdater_{calls_, mainThread_};
    SimKeychain keychain_{calls_};
    SimNetwork network_{calls_};
    SimEventTaps eventTaps_;
    SimHotKeys hotKeys_{calls_, mainThread_};
    SimInputStream input_;
    SimAppleScripts appleScripts_{input_, calls_, workspace_, windowWorld_, folders_};
    SimProcesses processes_{appleScripts_};
    SimTextInput textInput_{mainThread_};
    // Tells the program that it became active when its process comes to the front; another application
    // coming to the front resigns the program's key window.
    ObserverToken programActivation_;
};

}  // namespace tavelin::sim
