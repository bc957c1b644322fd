#pragma once

// What the application commands and the Dock-like activation ask of the system: the window platform
// (the window checks, the workspace and the requests to running applications, the disk, the clock and
// the logs, in-process AppleScript), the workspace's actions, the user's folders, Apple events and
// command-line tools. Every reference outlives the commands.

#include "mac/windows/WindowPlatform.h"
#include "platform/AppleEvents.h"
#include "platform/Processes.h"
#include "platform/UserFolders.h"
#include "platform/WorkspaceActions.h"

namespace tavelin {

struct AppCommandPlatform {
    WindowPlatform windows;
    WorkspaceActions& workspaceActions;
    const UserFolders& folders;
    AppleEvents& appleEvents;
    Processes& processes;
};

}  // namespace tavelin
