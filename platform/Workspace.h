#pragma once

// The workspace: the running applications, the frontmost one, the installed applications by bundle
// identifier and by the files they open, and the workspace's own notification centre.
//
// The notifications below are posted on the main queue, each with the application concerned under
// `kWorkspaceApplicationKey` (a RunningApplication as it was when the change happened). Lives on the main
// thread.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/RunningApplication.h"
#include "runtime/NotificationCenter.h"

namespace tavelin {

inline constexpr std::string_view kWorkspaceDidLaunchApplication =
    "NSWorkspaceDidLaunchApplicationNotification";
inline constexpr std::string_view kWorkspaceDidTerminateApplication =
    "NSWorkspaceDidTerminateApplicationNotification";
inline constexpr std::string_view kWorkspaceDidActivateApplication =
    "NSWorkspaceDidActivateApplicationNotification";
inline constexpr std::string_view kWorkspaceDidHideApplication = "NSWorkspaceDidHideApplicationNotification";
inline constexpr std::string_view kWorkspaceDidUnhideApplication =
    "NSWorkspaceDidUnhideApplicationNotification";
inline constexpr std::string_view kWorkspaceApplicationKey = "NSWorkspaceApplicationKey";
// The Mac woke from sleep; posted without an application.
inline constexpr std::string_view kWorkspaceDidWake = "NSWorkspaceDidWakeNotification";
// The Mac is about to sleep; the user switched Spaces. Posted without an application.
inline constexpr std::string_view kWorkspaceWillSleep = "NSWorkspaceWillSleepNotification";
inline constexpr std::string_view kWorkspaceActiveSpaceDidChange = "NSWorkspaceActiveSpaceDidChangeNotification";

class Workspace {
  public:
    virtual ~Workspace() = default;

    // In the workspace's order: the order in which the processes started.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    // The processes of one application, in a stable order: the first is the one to act on.
    virtual std::vector<RunningApplication> runningApplications(std::string_view bundleIdentifier) const = 0;
    // None when no process with that identifier runs.
    virtual std::optional<RunningApplication> runningApplication(std::int32_t processIdentifier) const = 0;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    virtual NotificationCenter& notificationCenter() = 0;

    // Where the application with that bundle identifier is installed.
    virtual std::optional<std::filesystem::path> urlForApplication(
        std::string_view bundleIdentifier) const = 0;
    // The application that would open the file or folder at `path`.
    virtual std::optional<std::filesystem::path> urlForApplicationToOpen(
        const std::filesystem::path& path) const = 0;
    // The application that would open a URL ("https://example.org": the default browser); a file URL
    // as its path.
    virtual std::optional<std::filesystem::path> urlForApplicationToOpenURL(std::string_view url) const = 0;

    // The user asked the system to reduce motion (an accessibility display setting).
    virtual bool accessibilityDisplayShouldReduceMotion() const = 0;
};

}  // namespace tavelin
