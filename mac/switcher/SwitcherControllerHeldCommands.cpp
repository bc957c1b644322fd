// Confirming whatever has the focus, and the letters that act on the selected application while the
// trigger is held: H hides, Q quits, W closes and M minimises a window. The letters keep the panel open
// and leave the trigger session as it is.

#include "mac/core/DockStateService.h"
#include "mac/core/PermissionsService.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/DockItemWindowHost.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/WindowServerQueries.h"

namespace tavelin {
namespace {

constexpr std::int64_t kH = 4, kQ = 12, kW = 13, kM = 46;

bool hasBundleID(const DockItem& item) { return item.bundleID && !item.bundleID->empty(); }

}  // namespace

void SwitcherController::confirmCurrentSelection() {
    if (folderPopover_.isShown()) {
        if (folderFocusIndex_) {
            activateFolderFocus();
        } else {
            enterFolderFocusFromTop();
        }
        return;
    }
    if (dockAnchoredMenu_.showsWindowsList() && dockAnchoredMenu_.model.focusedWindowIndex.value() >= 0) {
        if (const auto item = selectedDockItem()) {
            startActivationHandoff(activateFocusedWindowThenClose(weak_from_this(), *item));
            return;
        }
    }
    const auto model = navigator.value();
    if (const auto action = model ? model->activate() : std::nullopt) perform(*action, true);
}

// The focused window is read when the hand-off starts; the window command closes the panel itself.
Task<void> SwitcherController::activateFocusedWindowThenClose(std::weak_ptr<SwitcherController> weak,
                                                              DockItem item) {
    std::optional<Task<void>> activation;
    if (const auto self = weak.lock()) activation = self->dockAnchoredMenu_.activateFocusedWindow(item);
    if (activation) co_await std::move(*activation);
    if (const auto self = weak.lock()) self->close(true);
}

bool SwitcherController::handleHeldModifierLetter(std::int64_t keyCode) {
    if (!triggerHeld()) return false;
    const auto item = selectedDockItem();
    if (!item || item->kind != DockItemKind::app) return false;
    auto& main = platform_.scheduler.main();
    switch (keyCode) {
        case kH:
            startTask(main, hideFrontOrFocused(weak_from_this(), *item));
            return true;
        case kQ:
            quitSelectedAppKeepPanel(*item);
            return true;
        case kW:
            startTask(main, commandFrontOrFocusedWindow(weak_from_this(), CommandKind::windowClose, *item));
            return true;
        case kM:
            startTask(main, commandFrontOrFocusedWindow(weak_from_this(), CommandKind::windowMinimize, *item));
            return true;
        default:
            return false;
    }
}

std::optional<SwitcherController::WindowTarget> SwitcherController::focusedWindowTarget() const {
    if (dockAnchoredMenu_.model.focusedWindowIndex.value() < 0) return std::nullopt;
    auto window = dockAnchoredMenu_.focusedWindow();
    if (!window) return std::nullopt;
    const auto& list = dockAnchoredMenu_.model.snapshot.value();
    return WindowTarget{std::move(*window), list ? list->listGeneration : 0};
}

// Without a window focused in the windows list, the whole application hides.
Task<void> SwitcherController::hideFrontOrFocused(std::weak_ptr<SwitcherController> weak, DockItem item) {
    std::optional<WindowTarget> target;
    if (const auto self = weak.lock()) {
        target = self->focusedWindowTarget();
        if (!target) {
            if (hasBundleID(item)) self->services_.executor.hideApp(*item.bundleID);
            co_return;
        }
    } else {
        co_return;
    }
    co_await performWindowCommandKeepingPanel(weak, CommandKind::windowHide, std::move(item), target->window,
                                              target->generation);
}

Task<void> SwitcherController::commandFrontOrFocusedWindow(std::weak_ptr<SwitcherController> weak, CommandKind kind,
                                                           DockItem item) {
    const auto target = co_await resolvedWindowTarget(weak, item);
    if (!target) co_return;
    co_await performWindowCommandKeepingPanel(weak, kind, std::move(item), target->window, target->generation);
}

Task<std::optional<SwitcherController::WindowTarget>> SwitcherController::resolvedWindowTarget(
    std::weak_ptr<SwitcherController> weak, DockItem item) {
    std::shared_ptr<WindowListService> lists;
    Queue* main = nullptr;
    bool screenRecording = false;
    if (const auto self = weak.lock()) {
        if (auto focused = self->focusedWindowTarget()) co_return focused;
        lists = self->services_.windowList;
        main = &self->platform_.scheduler.main();
        screenRecording = self->services_.permissions->screenRecordingGranted.value();
    }
    if (!lists) co_return std::nullopt;
    const auto snapshot = co_await lists->fetch(item, screenRecording);
    co_await main->hop();
    const auto self = weak.lock();
    if (!self) co_return std::nullopt;
    const auto processes = DockItemWindowHost(self->platform_.workspace, self->platform_.files).processIDs(item);
    auto window =
        frontmostWindow(snapshot, processes, self->services_.executor.platform().windows.windowServer);
    if (!window) co_return std::nullopt;
    co_return WindowTarget{std::move(*window), snapshot.listGeneration};
}

std::optional<WindowDescriptor> SwitcherController::frontmostWindow(const WindowListSnapshot& snapshot,
                                                                    const ProcessIDSet& processes,
                                                                    const WindowServer& windowServer) {
    std::vector<const WindowDescriptor*> candidates;
    for (const auto& window : snapshot.windows) {
        if (window.state != WindowState::minimized) candidates.push_back(&window);
    }
    if (candidates.empty()) {
        for (const auto& window : snapshot.windows) candidates.push_back(&window);
    }
    if (candidates.empty()) return std::nullopt;
    const auto list = windowServer.copyWindowInfo(
        WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements, 0);
    const auto* entries = list ? list->getIf<PlistArray>() : nullptr;
    if (!entries) return *candidates.front();
    for (const auto& entry : *entries) {
        const auto* info = entry.getIf<PlistDict>();
        const auto number = info ? windowNumber(*info) : std::nullopt;
        if (!number || !processes.contains(windowOwnerPID(*info))) continue;
        const WindowID id(std::to_string(*number));
        const auto found = std::ranges::find(candidates, id, &WindowDescriptor::windowID);
        if (found != candidates.end()) return **found;
    }
    return *candidates.front();
}

// The panel stays open; a closed, hidden or minimised window leaves a shown windows list at once.
Task<CommandResultPayload> SwitcherController::performWindowCommandKeepingPanel(
    std::weak_ptr<SwitcherController> weak, CommandKind kind, DockItem item, WindowDescriptor window,
    std::int64_t generation) {
    const auto self = weak.lock();
    if (!self) co_return CommandResultPayload::failure(ProtocolError::notFound());
    const auto command = self->windowCommand(kind, item, window, generation);
    const WindowActionService actions = self->services_.windowActions;
    const auto lists = self->services_.windowList;
    Queue& main = self->platform_.scheduler.main();
    const bool screenRecording = self->services_.permissions->screenRecordingGranted.value();
    auto result = co_await actions.perform(command, item, false, std::nullopt);
    const bool removesWindow = kind == CommandKind::windowClose || kind == CommandKind::windowHide ||
                               kind == CommandKind::windowMinimize;
    if (result.isSuccess() && removesWindow) {
        auto fresh = co_await lists->fetch(item, screenRecording);
        co_await main.hop();
        if (const auto alive = weak.lock()) alive->dockAnchoredMenu_.replaceWindowsSnapshotIfShowing(item, std::move(fresh));
    }
    co_return result;
}

void SwitcherController::quitSelectedAppKeepPanel(const DockItem& item) {
    if (!hasBundleID(item)) return;
    services_.executor.quitApp(*item.bundleID);
    closeOverlaysFromKeyboard();
    if (const auto model = navigator.value()) model->moveNext(false);
    selectionStepped();
}

}  // namespace tavelin
