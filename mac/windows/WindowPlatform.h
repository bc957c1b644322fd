#pragma once

// What window management asks of the system, in one place: Accessibility, the window server (its list,
// its private calls and the connection they use), the screens, other applications (their processes,
// and which application opens a file or a link), the disk, the pointer, the clock for its waits, its
// two logs, the operating system's version and in-process AppleScript. Every reference outlives the
// window services. The window operations run on the main thread unless they say otherwise.

#include "platform/Accessibility.h"
#include "platform/AppleScript.h"
#include "platform/FileSystem.h"
#include "platform/HostInfo.h"
#include "platform/MouseCursor.h"
#include "platform/PrivateWindowServer.h"
#include "platform/RunningApplicationActions.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "platform/WindowServerConnection.h"
#include "platform/Workspace.h"
#include "runtime/Scheduler.h"
#include "runtime/SystemLog.h"
#include "runtime/WindowActionLog.h"

namespace tavelin {

struct WindowPlatform {
    const Accessibility& accessibility;
    WindowServer& windowServer;
    const Screens& screens;
    RunningApplicationActions& applications;
    MouseCursor& mouseCursor;
    Scheduler& scheduler;
    SystemLog& log;
    WindowActionLog& actionLog;
    PrivateWindowServer& privateWindowServer;
    WindowServerConnection& connection;
    const HostInfo& host;
    const Workspace& workspace;
    const FileSystem& files;
    AppleScripts& appleScripts;
};

}  // namespace tavelin
