#include "mac/windows/CommandExecutor.h"

#include <chrono>
#include <cmath>
#include <limits>

#include "platform/FileURL.h"

namespace tavelin {
namespace {

constexpr std::string_view kFinderPath = "/System/Library/CoreServices/Finder.app";
constexpr std::string_view kOsascriptPath = "/usr/bin/osascript";
constexpr std::string_view kEmptyTrashSource = "tell application \"Finder\"\n    empty trash\nend tell";

CommandResultPayload unavailable(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}

CommandResultPayload notFound() { return CommandResultPayload::failure(ProtocolError::notFound()); }

}  // namespace

CommandResultPayload CommandExecutor::launchOrActivate(const DockItem& item) const {
    if (item.bundleID && !item.bundleID->empty()) return activation_.activateApplication(*item.bundleID);
    if (item.path && !item.path->empty()) return activation_.openDocumentLikeDock(*item.path);
    return notFound();
}

CommandResultPayload CommandExecutor::showInFinder(const DockItem& item) const {
    if (!item.path) return notFound();
    platform_.workspaceActions.activateFileViewerSelectingURLs({*item.path});
    return CommandResultPayload::success();
}

CommandResultPayload CommandExecutor::activateTrash() const {
    const auto trash =
        platform_.folders.trashDirectory().value_or(platform_.folders.homeDirectory() / ".Trash");
    if (!platform_.workspaceActions.openURL(fileURL(trash, true))) return unavailable("open trash failed");
    return CommandResultPayload::success();
}

CommandResultPayload CommandExecutor::emptyTrash() const {
    platform_.workspaceActions.openApplication(std::filesystem::path(kFinderPath), OpenConfiguration{},
                                               [](std::expected<RunningApplication, WorkspaceError>) {});
    const auto script = platform_.windows.appleScripts.make(std::string(kEmptyTrashSource));
    if (!script) return unavailable("empty trash script");
    if (!script->execute()) return CommandResultPayload::success();
    const auto status = platform_.processes.runAndWait(std::filesystem::path(kOsascriptPath),
                                                       {"-e", std::string(kEmptyTrashSource)});
    if (!status || *status != 0) return unavailable("empty trash failed");
    return CommandResultPayload::success();
}

CommandResultPayload CommandExecutor::hideApp(const std::string& bundleID) const {
    const auto application = firstRunning(bundleID);
    if (!application) return notFound();
    if (!platform_.windows.applications.hide(*application)) return unavailable("hide failed");
    return CommandResultPayload::success();
}

CommandResultPayload CommandExecutor::unhideApp(const std::string& bundleID) const {
    const auto application = firstRunning(bundleID);
    if (!application) return notFound();
    if (!platform_.windows.applications.unhide(*application)) return unavailable("unhide failed");
    return CommandResultPayload::success();
}

double CommandExecutor::secondsSinceReferenceDate(Timestamp time) {
    constexpr std::chrono::sys_days referenceDate{std::chrono::year(2001) / 1 / 1};
    return std::chrono::duration<double>(time - referenceDate).count();
}

CommandResultPayload CommandExecutor::quitApp(const std::string& bundleID) const {
    const auto application = firstRunning(bundleID);
    if (!application) return notFound();
    const auto launchTime = application->launchDate
                                ? std::optional(secondsSinceReferenceDate(*application->launchDate))
                                : std::nullopt;
    if (!platform_.windows.applications.terminate(*application)) return unavailable("quit failed");
    return CommandResultPayload::success(
        {.processID = application->processIdentifier, .processLaunchTime = launchTime});
}

CommandResultPayload CommandExecutor::forceQuitApp(std::int64_t processID) const {
    const auto application = running(processID);
    if (!application) return CommandResultPayload::success();
    // It may have ended since.
    const auto again = running(processID);
    if (!again) return CommandResultPayload::success();
    if (!platform_.windows.applications.forceTerminate(*again)) return unavailable("force quit failed");
    return CommandResultPayload::success();
}

CommandResultPayload CommandExecutor::forceQuitApp(const std::string& bundleID) const {
    const auto application = firstRunning(bundleID);
    if (!application) return notFound();
    return forceQuitApp(application->processIdentifier);
}

bool CommandExecutor::isProcessStillRunning(std::int64_t processID,
                                            const std::optional<std::string>& expectedBundleID,
                                            std::optional<double> expectedLaunchTime) const {
    const auto application = running(processID);
    if (!application) return false;
    if (expectedBundleID && application->bundleIdentifier &&
        *application->bundleIdentifier != *expectedBundleID) {
        return false;
    }
    if (expectedLaunchTime) {
        if (!application->launchDate) return false;
        // Agreement, not disagreement, is tested: a time that is not a number agrees with none.
        if (!(std::abs(secondsSinceReferenceDate(*application->launchDate) - *expectedLaunchTime) <= 0.001)) {
            return false;
        }
    }
    return true;
}

std::optional<RunningApplication> CommandExecutor::firstRunning(const std::string& bundleID) const {
    auto running = platform_.windows.workspace.runningApplications(bundleID);
    if (running.empty()) return std::nullopt;
    return std::move(running.front());
}

std::optional<RunningApplication> CommandExecutor::running(std::int64_t processID) const {
    if (processID < 1 || processID > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    auto application = platform_.windows.workspace.runningApplication(static_cast<std::int32_t>(processID));
    if (!application || application->isTerminated) return std::nullopt;
    return application;
}

}  // namespace tavelin
