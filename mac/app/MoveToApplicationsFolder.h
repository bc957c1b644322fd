#pragma once

// Offers, once per launch, to move the program into the Applications folder when it runs from
// anywhere else: a modal question with "do not ask again" (remembered in
// "moveToApplicationsFolderAlertSuppress"). Moved, the program starts again from its new place and
// this process ends. A program of the same name already in the Applications folder is left alone: the
// move is not made. A move the system refuses for want of permission ends the program when asked to;
// any other failure is logged and start-up goes on. Main thread.

#include <functional>
#include <string_view>

#include "platform/Alerts.h"
#include "platform/Application.h"
#include "platform/FileSystem.h"
#include "platform/HostInfo.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class MoveToApplicationsFolder {
  public:
    struct Platform {
        const HostInfo& host;
        const UserFolders& folders;
        FileSystem& files;
        Alerts& alerts;
        UserDefaults& defaults;  // the program's own domain
        Application& application;
        SystemLog& log;
    };

    static constexpr std::string_view kSuppressKey = "moveToApplicationsFolderAlertSuppress";
    // The question's texts, as localisation keys.
    static constexpr std::string_view kMessageKey = "moveToApplications.message";
    static constexpr std::string_view kInformativeKey = "moveToApplications.informative";
    static constexpr std::string_view kMoveButtonKey = "moveToApplications.move";
    static constexpr std::string_view kDoNotMoveButtonKey = "moveToApplications.doNotMove";

    // `force` asks even when the user said not to ask again. False when the process is ending (the
    // program was moved and relaunched, or the move was refused and `authFailureTerminatesApp`): the
    // caller then goes no further.
    [[nodiscard]] static bool moveIfNecessary(const Platform& platform, bool force,
                                              bool authFailureTerminatesApp,
                                              const std::function<void()>& onDidInstall);
};

}  // namespace tavelin
