#pragma once

// The application and Dock-tile commands of the paired devices and the switcher: launch or activate,
// show in Finder, open and empty the Trash, hide, unhide, quit and force quit an application, and the
// liveness test of a process that was asked to quit. A value that holds only the platform; each
// operation runs on the caller's thread (the main thread) and returns when the platform has answered:
// quitting only asks, and the process ends later. Emptying the Trash blocks while its script runs.
//
// Process IDs arrive at the wire's 64 bits; one outside 1...2147483647 names no process and is never
// narrowed to the platform's 32 bits.

#include <cstdint>
#include <optional>
#include <string>

#include "mac/windows/AppCommandPlatform.h"
#include "mac/windows/DockNativeActivation.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/DockItem.h"
#include "protocol/Timestamp.h"

namespace tavelin {

class CommandExecutor {
  public:
    explicit CommandExecutor(const AppCommandPlatform& platform)
        : platform_(platform), activation_(platform) {}

    // A non-empty bundle ID activates, else a non-empty path opens, else notFound.
    CommandResultPayload launchOrActivate(const DockItem& item) const;
    CommandResultPayload showInFinder(const DockItem& item) const;
    CommandResultPayload activateTrash() const;
    CommandResultPayload emptyTrash() const;
    CommandResultPayload hideApp(const std::string& bundleID) const;
    CommandResultPayload unhideApp(const std::string& bundleID) const;
    // Success carries the process ID and its launch time (when known), for isProcessStillRunning.
    CommandResultPayload quitApp(const std::string& bundleID) const;
    // Success also when there is nothing to quit.
    CommandResultPayload forceQuitApp(std::int64_t processID) const;
    CommandResultPayload forceQuitApp(const std::string& bundleID) const;
    // Whether that very process still runs: same ID, same bundle ID (when it has one), a launch time
    // within 1 ms of the expected one.
    bool isProcessStillRunning(std::int64_t processID, const std::optional<std::string>& expectedBundleID,
                               std::optional<double> expectedLaunchTime) const;

    // A process's launch time as the commands carry it: seconds since 2001-01-01 00:00:00 UTC.
    static double secondsSinceReferenceDate(Timestamp time);

    // What the commands run on, for the callers that also ask the platform themselves.
    const AppCommandPlatform& platform() const { return platform_; }
    const DockNativeActivation& dockNativeActivation() const { return activation_; }

  private:
    std::optional<RunningApplication> firstRunning(const std::string& bundleID) const;
    // The running application with the ID, when the ID can name one.
    std::optional<RunningApplication> running(std::int64_t processID) const;

    AppCommandPlatform platform_;
    DockNativeActivation activation_;
};

}  // namespace tavelin
