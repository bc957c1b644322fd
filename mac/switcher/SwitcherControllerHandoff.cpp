// Dock-item activation with a display policy: launching or activating an application (or opening a
// file, folder or link of the Dock) either the plain way, or so that its first window comes to the
// display the panel stood on, by a hand-off task that outlives the panel.

#include "mac/core/DockStateService.h"
#include "mac/core/PermissionsService.h"
#include "mac/switcher/ReferenceScreenPin.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/ReferenceDisplayAppActivation.h"
#include "mac/windows/WindowActionService.h"

namespace tavelin {

namespace {

constexpr Duration kSecondTryPause = std::chrono::milliseconds(200);
// A web app's window counts when it is at least this large.
constexpr double kMinimumWebAppWindowSize = 160;

std::string bundleText(const DockItem& item) { return item.bundleID.value_or("-"); }

}  // namespace

void SwitcherController::activateDockItemWithDisplayPolicy(const DockItem& item, bool closeAfter,
                                                           std::optional<std::string> openPath) {
    const auto& executor = services_.executor;
    const auto& activation = executor.dockNativeActivation();
    const auto& actions = services_.windowActions;
    // Shift inverts the setting for this one activation.
    const bool shift = (platform_.eventMonitors.modifierFlags() & kEventFlagShift) != 0;
    const bool toReferenceDisplay = services_.settings.moveWindowToReferenceDisplayOnActivate.value() != shift;

    if (!toReferenceDisplay) {
        if (openPath) {
            activation.openDocumentLikeDock(*openPath);
            actions.movePointerToFrontmostWindow(item);
        } else {
            // A window already in front takes the pointer at once; one that comes with the launch, after it.
            const bool moved = actions.movePointerToFrontmostWindow(item);
            executor.launchOrActivate(item);
            if (!moved) actions.movePointerToFrontmostWindow(item);
            actions.movePointerToFrontmostWindow(item);
        }
        if (closeAfter) close(true);
        return;
    }

    const auto& windows = executor.platform().windows;
    if (!DockItemWindowHost(windows.workspace, windows.files).hostBundleID(item)) {
        // Nothing hosts its windows: nothing to bring over.
        if (openPath) {
            activation.openDocumentLikeDock(*openPath);
        } else {
            executor.launchOrActivate(item);
        }
        if (closeAfter) close(true);
        return;
    }

    // Taken while the panel still stands on its screen.
    const auto screen = referenceScreenForWindowMove();
    ReferenceScreenPin pin(services_.displayResolver,
                           screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt);
    if (closeAfter) close(true);
    startActivationHandoff(referenceDisplayHandoff(weak_from_this(), item, std::move(openPath), std::move(pin)));
}

void SwitcherController::startActivationHandoff(Task<void> operation) {
    activationHandoffTask_.handle.cancel();
    const std::uint64_t serial = nextTaskSerial();
    // Cooperative: a hand-off under way finishes (its waits cut short) and so releases its pin.
    auto handle = startTask(platform_.scheduler.main(), runActivationHandoff(weak_from_this(), serial, std::move(operation)),
                            Cancellation::cooperative);
    activationHandoffTask_ = KeptTask{serial, std::move(handle)};
}

Task<void> SwitcherController::runActivationHandoff(std::weak_ptr<SwitcherController> weak, std::uint64_t serial,
                                                    Task<void> operation) {
    // Cancelled before it began: the unstarted operation goes with this frame, and its pin with it.
    if (isCancelled()) co_return;
    {
        Task<void> running = std::move(operation);
        co_await std::move(running);
    }  // the operation's frame, and what it holds, is gone here
    // A newer hand-off may have taken the slot meanwhile; it stays cancellable.
    if (auto self = weak.lock(); self && self->activationHandoffTask_.serial == serial)
        self->activationHandoffTask_ = {};
}

// Captures the controller weakly, the item and the path by value; the pin ends with the frame.
Task<void> SwitcherController::referenceDisplayHandoff(std::weak_ptr<SwitcherController> weak, DockItem item,
                                                       std::optional<std::string> openPath,
                                                       [[maybe_unused]] ReferenceScreenPin pin) {
    std::optional<Services> found;
    if (auto self = weak.lock()) found.emplace(self->services_);
    if (!found) co_return;
    // The services belong to the container, which outlives every task.
    const Services services = *found;
    const auto& executor = services.executor;
    const auto& activation = executor.dockNativeActivation();
    const auto& windows = executor.platform().windows;
    const auto& actions = services.windowActions;
    const AXWindowSupport ax(windows);

    if (openPath) activation.openDocumentLikeDock(*openPath);
    const auto& snapshot = services.dockState->snapshot();
    const std::int64_t generation = snapshot ? snapshot->dockGeneration : 0;
    const bool screenRecording = services.permissions->screenRecordingGranted.value();

    const auto host = ax.host().hostBundleID(item);
    if (!host) {
        executor.launchOrActivate(item);
        co_return;
    }
    DockItem activationItem = item;
    if (!item.bundleID || item.bundleID->empty()) activationItem.bundleID = host;

    const auto& resolver = *services.displayResolver;
    const ScreenSupport screens(windows.screens);
    auto target = resolver.pinDepth >= 1 && resolver.pinnedScreenID ? screens.screen(resolver.pinnedScreenID)
                                                                    : std::nullopt;
    if (!target) target = resolver.mouseReferenceScreen();
    const auto targetScreenID = target ? std::optional(ScreenSupport::screenID(*target)) : std::nullopt;

    if (!executor.launchOrActivate(activationItem).isSuccess()) co_return;
    co_await ReferenceDisplayAppActivation::briefWaitForWindows(windows, activationItem);

    WindowListSnapshot list;
    std::vector<WindowDescriptor> activatable;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1) {
            activation.ensureVisibleWindow(item, true);
            co_await sleepFor(kSecondTryPause);
        }
        co_await services.windowList->invalidate(item.itemID);
        list = co_await services.windowList->fetch(item, screenRecording);
        co_await windows.scheduler.main().hop();
        activatable = ax.activatableWindowsForDockActivate(list.windows, activationItem);
        if (!activatable.empty()) break;
    }
    if (activatable.empty()) {
        const bool liveAX = DockNativeActivation::isChromiumAppMode(activationItem.bundleID)
                                ? ax.frontmostCGWindowID(activationItem, kMinimumWebAppWindowSize).has_value()
                                : !ax.liveUserWindowDescriptors(activationItem).empty();
        windows.actionLog.append("referenceDisplayActivate abort no window bundle=" + bundleText(activationItem) +
                                 " liveAX=" + (liveAX ? "true" : "false"));
        co_return;
    }

    const WindowDescriptor& window = activatable.front();
    Command command{
        .kind = CommandKind::windowActivate,
        .target = item.itemID,
        .child = std::nullopt,
        .expectedGeneration = generation,
        .nonce = randomUUIDString(),
        .processID = std::nullopt,
        .processLaunchTime = std::nullopt,
        .windowID = window.windowID,
        .expectedWindowListGeneration = list.listGeneration,
        .windowContentRevision = window.contentRevision,
        .tile = std::nullopt,
        .targetScreenID = targetScreenID,
    };
    // As a paired device's command: the pipeline only adds its "remote command" line for it.
    const auto result = co_await actions.perform(std::move(command), activationItem, true, std::nullopt);
    if (!result.isSuccess()) {
        windows.actionLog.append("referenceDisplayActivate windowActivate failed bundle=" +
                                 bundleText(activationItem) + " err=" + result.textualForm());
    }
}

}  // namespace tavelin
