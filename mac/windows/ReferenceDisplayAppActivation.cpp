#include "mac/windows/ReferenceDisplayAppActivation.h"

#include <chrono>

#include "mac/windows/DockNativeActivation.h"

namespace tavelin {
namespace {

constexpr int kTries = 20;
constexpr Duration kStep = std::chrono::milliseconds(50);

bool hasFinishedLaunching(const Workspace& workspace, const std::string& bundleID) {
    const auto running = workspace.runningApplications(bundleID);
    return !running.empty() && running.front().isFinishedLaunching;
}

}  // namespace

Task<void> ReferenceDisplayAppActivation::briefWaitForWindows(WindowPlatform platform, DockItem host) {
    co_await platform.scheduler.main().hop();
    if (host.bundleID && !host.bundleID->empty()) {
        for (int tries = 0; tries < kTries && !hasFinishedLaunching(platform.workspace, *host.bundleID);
             ++tries) {
            co_await sleepFor(kStep);
        }
    }
    for (int tries = 0; tries < kTries && !DockNativeActivation::showsWindow(platform, host); ++tries) {
        co_await sleepFor(kStep);
    }
}

}  // namespace tavelin
