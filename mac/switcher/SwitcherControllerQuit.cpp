// Quit from a cell's context menu: the polite request, then a watch that offers a force quit when the
// application is still running 8 s later. The watch outlives the panel.

#include "mac/switcher/SwitcherController.h"
#include "mac/windows/CommandExecutor.h"
#include "platform/Alerts.h"

namespace tavelin {

namespace {

constexpr Duration kQuitWatchDelay = std::chrono::seconds(8);
constexpr std::string_view kForceConfirmMessage = "quit.forceConfirm.message";
constexpr std::string_view kForceConfirmYes = "quit.forceConfirm.yes";
constexpr std::string_view kForceConfirmNo = "quit.forceConfirm.no";

}  // namespace

void SwitcherController::quitAppFromContextMenu(const DockItem& item) {
    if (!item.bundleID || item.bundleID->empty()) return;
    const auto running = platform_.workspace.runningApplications(*item.bundleID);
    if (running.empty()) return;
    const RunningApplication& application = running.front();
    const auto launchTime = application.launchDate
                                ? std::optional(CommandExecutor::secondsSinceReferenceDate(*application.launchDate))
                                : std::nullopt;
    services_.executor.platform().windows.applications.terminate(application);

    if (const auto old = quitWatchTasks_.find(item.itemID); old != quitWatchTasks_.end()) {
        old->second.handle.cancel();
        quitWatchTasks_.erase(old);
    }
    const std::uint64_t serial = nextTaskSerial();
    auto handle = startTask(platform_.scheduler.main(),
                            quitWatch(weak_from_this(), serial, item.itemID, application.processIdentifier,
                                      launchTime, item.bundleID, item.title),
                            Cancellation::cooperative);
    quitWatchTasks_.insert_or_assign(item.itemID, KeptTask{serial, std::move(handle)});
}

Task<void> SwitcherController::quitWatch(std::weak_ptr<SwitcherController> weak, std::uint64_t serial, ItemID itemID,
                                         std::int32_t processID, std::optional<double> launchTime,
                                         std::optional<std::string> bundleID, std::string displayName) {
    co_await sleepFor(kQuitWatchDelay);
    if (isCancelled()) co_return;
    auto self = weak.lock();
    if (!self) co_return;
    if (const auto entry = self->quitWatchTasks_.find(itemID);
        entry != self->quitWatchTasks_.end() && entry->second.serial == serial)
        self->quitWatchTasks_.erase(entry);
    // Another process with this ID, or the application launched again, is not the one asked to quit.
    if (self->services_.executor.isProcessStillRunning(processID, bundleID, launchTime))
        self->presentForceQuitAlert(displayName, processID, bundleID, launchTime);
}

void SwitcherController::presentForceQuitAlert(const std::string& displayName, std::int32_t processID,
                                               const std::optional<std::string>& bundleID,
                                               std::optional<double> launchTime) {
    const auto answer = platform_.alerts.runModal(ModalAlert{
        .messageKey = std::string(kForceConfirmMessage),
        .buttonKeys = {std::string(kForceConfirmYes), std::string(kForceConfirmNo)},
        .style = AlertStyle::warning,
        .messageArguments = {displayName},
    });
    if (answer.button != 0) return;
    // The application may have quit while the question was open, and its ID gone to another process,
    // whose unsaved work a force quit would destroy.
    if (!services_.executor.isProcessStillRunning(processID, bundleID, launchTime)) return;
    services_.executor.forceQuitApp(processID);
}

}  // namespace tavelin
