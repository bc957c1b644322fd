// Window commands from the panel's windows list and window action menu: the panel's display pinned as
// the reference display for the command, the panel closed first, an activation re-targeted at the
// item's current windows, and the command run by the window-action pipeline.

#include <cmath>

#include "mac/core/DockStateService.h"
#include "mac/core/PermissionsService.h"
#include "mac/switcher/ReferenceScreenPin.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/WindowActionService.h"

namespace tavelin {

namespace {

// A recreated window may come back a little off its old place.
constexpr double kFrameTolerance = 3.0;

bool isWindowKind(CommandKind kind) { return kind >= CommandKind::windowActivate; }

bool framesAgree(const std::optional<WindowFrame>& a, const std::optional<WindowFrame>& b) {
    if (!a || !b) return true;
    return std::abs(a->x - b->x) <= kFrameTolerance && std::abs(a->y - b->y) <= kFrameTolerance &&
           std::abs(a->width - b->width) <= kFrameTolerance && std::abs(a->height - b->height) <= kFrameTolerance;
}

Task<void> dropResult(Task<CommandResultPayload> command) { co_await std::move(command); }

Command retargeted(Command command, const WindowDescriptor& window, std::int64_t listGeneration) {
    command.windowID = window.windowID;
    command.expectedWindowListGeneration = listGeneration;
    command.windowContentRevision = window.contentRevision;
    return command;
}

}  // namespace

std::optional<Screen> SwitcherController::referenceScreenForWindowMove() const {
    const auto screens = platform_.screens.screens();
    if (panel_) {
        const Rect frame = panel_->window().frame();
        const Point centre{frame.x + frame.width / 2, frame.y + frame.height / 2};
        const auto found = std::ranges::find_if(
            screens, [&](const Screen& screen) { return mouseInRect(centre, screen.frame, false); });
        if (found != screens.end()) return *found;
    }
    if (auto screen = screenUnderMouse()) return screen;
    if (screens.empty()) return platform_.screens.mainScreen();
    return screens.front();
}

Command SwitcherController::windowCommand(CommandKind kind, const DockItem& item, const WindowDescriptor& window,
                                          std::optional<std::int64_t> listGeneration) const {
    const auto& snapshot = services_.dockState->snapshot();
    return Command{
        .kind = kind,
        .target = item.itemID,
        .child = std::nullopt,
        .expectedGeneration = snapshot ? snapshot->dockGeneration : 0,
        .nonce = randomUUIDString(),
        .processID = std::nullopt,
        .processLaunchTime = std::nullopt,
        .windowID = window.windowID,
        .expectedWindowListGeneration = listGeneration,
        .windowContentRevision = window.contentRevision,
        .tile = std::nullopt,
        .targetScreenID = std::nullopt,
    };
}

Command SwitcherController::listedWindowActivation(const DockItem& item, const WindowDescriptor& window) const {
    const auto& shown = dockAnchoredMenu_.model.snapshot.value();
    return windowCommand(CommandKind::windowActivate, item, window,
                         shown ? std::optional(shown->listGeneration) : std::nullopt);
}

Task<void> SwitcherController::activateListedWindow(const DockItem& item, const WindowDescriptor& window) {
    return dropResult(performWindowCommand(listedWindowActivation(item, window), item));
}

Task<CommandResultPayload> SwitcherController::performWindowCommand(Command command, DockItem item) {
    return runWindowCommand(weak_from_this(), std::move(command), std::move(item));
}

Task<Command> SwitcherController::refreshedWindowActivateCommand(Command command, DockItem item) {
    return refreshActivation(weak_from_this(), std::move(command), std::move(item));
}

Task<CommandResultPayload> SwitcherController::runWindowCommand(std::weak_ptr<SwitcherController> weak,
                                                                Command command, DockItem item) {
    auto self = weak.lock();
    if (!self) co_return CommandResultPayload::failure(ProtocolError::notFound());
    // The services belong to the container, which outlives the controller's tasks.
    const Services services = self->services_;
    WindowActionLog& actionLog = self->platform_.windowActionLog;
    Queue& main = self->platform_.scheduler.main();
    const auto& actions = services.windowActions;
    const std::string kind(toString(command.kind));

    actionLog.append("performWindowCommand kind=" + kind +
                     " window=" + (command.windowID ? command.windowID->rawValue() : "-") +
                     " nonce=" + command.nonce + " listGen=" +
                     (command.expectedWindowListGeneration ? std::to_string(*command.expectedWindowListGeneration)
                                                           : "nil"));
    const auto screen = self->referenceScreenForWindowMove();
    ReferenceScreenPin pin(services.displayResolver,
                           screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt);
    self.reset();  // held weakly across the waits

    if (command.kind == CommandKind::windowActivate)
        command = co_await refreshActivation(weak, std::move(command), item);
    std::optional<bool> moveToReferenceDisplay;
    if (auto later = weak.lock()) {
        if (isWindowKind(command.kind)) later->close(true);
        // Shift inverts the setting for this one activation.
        if (command.kind == CommandKind::windowActivate) {
            const bool shift = (later->platform_.eventMonitors.modifierFlags() & kEventFlagShift) != 0;
            moveToReferenceDisplay = services.settings.moveWindowToReferenceDisplayOnActivate.value() != shift;
        }
    }

    auto result = co_await actions.perform(command, item, false, moveToReferenceDisplay);
    co_await services.windowList->invalidate(item.itemID);
    co_await main.hop();
    pin.release();
    if (const auto* error = std::get_if<ProtocolError>(&result.value)) {
        services.executor.platform().windows.log.log("Tavelin window command " + kind +
                                                     " failed: " + error->errorDescription());
    }
    co_return result;
}

Task<Command> SwitcherController::refreshActivation(std::weak_ptr<SwitcherController> weak, Command command,
                                                    DockItem item) {
    if (command.kind != CommandKind::windowActivate || !command.windowID) co_return command;
    std::optional<Services> found;
    WindowActionLog* actionLog = nullptr;
    Queue* main = nullptr;
    bool screenRecording = false;
    if (auto self = weak.lock()) {
        found.emplace(self->services_);
        actionLog = &self->platform_.windowActionLog;
        main = &self->platform_.scheduler.main();
        // Read here, on the main queue: the awaits below resume on the window list's queue.
        screenRecording = self->services_.permissions->screenRecordingGranted.value();
    }
    if (!found) co_return command;
    const Services services = *found;
    const WindowID windowID = *command.windowID;

    // Read before the fetch replaces the kept list.
    const auto cached = co_await services.windowList->descriptor(item.itemID, windowID);
    const auto fresh = co_await services.windowList->fetch(item, screenRecording);
    co_await main->hop();
    if (auto self = weak.lock()) self->dockAnchoredMenu_.replaceWindowsSnapshotIfShowing(item, fresh);

    const auto& windows = fresh.windows;
    if (const auto same = std::ranges::find(windows, windowID, &WindowDescriptor::windowID); same != windows.end())
        co_return retargeted(std::move(command), *same, fresh.listGeneration);
    if (cached) {
        const auto near = std::ranges::find_if(windows, [&](const WindowDescriptor& window) {
            return window.title == cached->title && framesAgree(window.frame, cached->frame);
        });
        if (near != windows.end()) co_return retargeted(std::move(command), *near, fresh.listGeneration);
        const auto titled = std::ranges::count(windows, cached->title, &WindowDescriptor::title);
        if (titled == 1) {
            const auto& match = *std::ranges::find(windows, cached->title, &WindowDescriptor::title);
            actionLog->append("activate remap by title id " + windowID.rawValue() + " -> " +
                              match.windowID.rawValue() + " title=" + cached->title);
            co_return retargeted(std::move(command), match, fresh.listGeneration);
        }
    }
    actionLog->append("activate remap failed windowID=" + windowID.rawValue() +
                      " snapCount=" + std::to_string(windows.size()));
    command.expectedWindowListGeneration = fresh.listGeneration;
    co_return command;
}

}  // namespace tavelin
