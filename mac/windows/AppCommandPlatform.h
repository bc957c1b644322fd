#pragma once

// What the application commands and the Dock-like activation ask of the system: the window platform
// (the window checks, the workspace and the requests to running applications, the disk, the clock and
// the logs), the workspace's actions, the user's folders, Apple events, in-process AppleScript and
// command-line tools. Every reference outlives the commands.

#include "mac/windows/WindowPlatform.h"
#include "platform/AppleEvents.h"
#include "platform/AppleScript.h"
#include "platform/Processes.h"
#include "platform/UserFolders.h"
#include "platform/WorkspaceActions.h"

namespace tavelin {

struct AppCommandPlatform {
    WindowPlatform windows;
    WorkspaceActions& workspaceActions;
    const UserFolders& folders;
    AppleEvents& appleEvents;
    AppleScripting& appleScript;
    Processes& processes;
};

}  // namespace tavelin
