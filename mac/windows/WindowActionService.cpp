#include "mac/windows/WindowActionService.h"

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

bool isWindowKind(CommandKind kind) {
    switch (kind) {
    case CommandKind::windowActivate:
    case CommandKind::windowClose:
    case CommandKind::windowHide:
    case CommandKind::windowMinimize:
    case CommandKind::windowMaximize:
    case CommandKind::windowFullScreen:
    case CommandKind::windowTile:
    case CommandKind::windowMoveToScreen: return true;
    default: return false;
    }
}

CommandResultPayload unavailable(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}

std::optional<std::uint32_t> validNumber(const WindowDescriptor& descriptor) {
    const auto number = parseCGWindowID(descriptor.windowID);
    return number && *number != 0 ? number : std::nullopt;
}

std::string generationText(std::optional<std::int64_t> generation) {
    return generation ? std::to_string(*generation) : "nil";
}

}  // namespace

Task<CommandResultPayload> WindowActionService::perform(Command command, DockItem item, bool fromRemote,
                                                        std::optional<bool> moveToReferenceDisplayOnActivate) const {
    const auto& platform = platform_.windows;
    Queue& main = platform.scheduler.main();
    const std::string kind(toString(command.kind));
    const auto notFound = [&](std::string_view why) {
        log("perform early return notFound " + std::string(why) + " kind=" + kind);
        return CommandResultPayload::failure(ProtocolError::notFound());
    };

    if (fromRemote) {
        log("remote command kind=" + kind + " window=" + (command.windowID ? command.windowID->rawValue() : "-"));
    }
    if (!isWindowKind(command.kind)) co_return CommandResultPayload::failure(ProtocolError::notFound());
    if (!platform.accessibility.isProcessTrusted()) {
        log("perform early return permissionDenied kind=" + kind);
        co_return CommandResultPayload::failure(ProtocolError::permissionDenied("accessibility"));
    }
    const auto cached = co_await listService_->cachedList(item.itemID);
    co_await main.hop();
    const auto expected = command.expectedWindowListGeneration;
    if (!expected || !cached || cached->generation != *expected) {
        log("perform early return staleWindowRevision kind=" + kind + " expected=" + generationText(expected) +
            " cached=" + generationText(cached ? std::optional(cached->generation) : std::nullopt));
        co_return CommandResultPayload::failure(ProtocolError::staleWindowRevision());
    }
    if (!command.windowID) co_return notFound("no descriptor");
    const auto found = co_await listService_->descriptor(item.itemID, *command.windowID);
    co_await main.hop();
    if (!found) co_return notFound("no descriptor");
    const WindowDescriptor descriptor = *found;

    const AXWindowSupport support(platform);
    const auto apps = support.runningApps(item);
    if (apps.empty()) co_return notFound("no app");
    const RunningApplication app = apps.front();
    const bool activating = command.kind == CommandKind::windowActivate;
    if (activating) unhideHiddenApplication(app, item, descriptor);
    const bool appShortcut = DockNativeActivation::isChromiumAppMode(item.bundleID);

    auto window = resolveAXWindow(descriptor, item, activating);
    // A window that is still appearing: a web app's shim answers too slowly to be worth the wait.
    if (!window && !appShortcut && (activating || command.kind == CommandKind::windowMoveToScreen)) {
        for (int retry = 0; retry < kRetries && !window; ++retry) {
            co_await sleepFor(kRetryPause);
            window = resolveAXWindow(descriptor, item, activating);
        }
    }
    if (window) co_return dispatch(*window, command, item, app, descriptor, moveToReferenceDisplayOnActivate);

    if (activating) {
        const auto number = validNumber(descriptor);
        if (number && support.queries().cgWindowOwnerPID(*number)) {
            co_return co_await activateWithoutAXWindow(*number, command, item, app, descriptor,
                                                       moveToReferenceDisplayOnActivate);
        }
        log("activate fallback app-only window=" + windowLabel(descriptor));
        unhideHiddenApplication(app, item, descriptor);
        platform.applications.activate(app.processIdentifier, kActivateIgnoringOtherApps);
        DockNativeActivation(platform_).reopenIfNeeded(item);
        co_return CommandResultPayload::success();
    }
    if (command.kind == CommandKind::windowMoveToScreen) co_return co_await moveWithoutAXWindow(command, item, app, descriptor);
    co_return missingWindow(command, descriptor);
}

std::optional<AXElement> WindowActionService::resolveAXWindow(const WindowDescriptor& descriptor,
                                                              const DockItem& item,
                                                              bool allowStaleMinimizedState) const {
    const AXWindowSupport support(platform_.windows);
    if (auto found = support.findAXWindow(item, descriptor, false)) return found;
    if (allowStaleMinimizedState && descriptor.state != WindowState::minimized) {
        // The list may predate the window being minimised.
        auto minimized = descriptor;
        minimized.state = WindowState::minimized;
        if (auto found = support.findAXWindow(item, minimized, false)) return found;
        if (auto found = support.findAXWindow(item, descriptor, true)) return found;
    }
    const auto number = validNumber(descriptor);
    if (!number) return std::nullopt;
    const auto processIDs = support.processIDs(item);
    if (auto found = support.findAXWindow(item, *number, processIDs)) return found;
    if (!processIDs.contains(support.queries().cgWindowOwnerPID(*number))) return std::nullopt;
    return support.findAXWindow(item, descriptor, false);
}

WindowActionService::ActivationReference WindowActionService::activationReference(
    const Command& command, std::optional<bool> moveRequested) const {
    ActivationReference reference;
    if (command.targetScreenID) {
        reference.moveToReference = true;
        reference.screenID = command.targetScreenID;
    } else {
        reference.moveToReference = moveRequested.value_or(settings_->moveWindowToReferenceDisplayOnActivate.value());
        if (reference.moveToReference) reference.screenID = displayResolver_->referenceDisplayScreenID();
    }
    reference.screen = ScreenSupport(platform_.windows.screens).screen(reference.screenID);
    if (reference.moveToReference && !reference.screen) {
        // A display that is gone: the pinned screen, else the one under the pointer, stands in for it, also
        // as the screen the window is moved to (a move to a display that is gone would go to whichever
        // display follows the window's own).
        reference.screen = displayResolver_->referenceScreen();
        if (reference.screen) reference.screenID = ScreenSupport::screenID(*reference.screen);
    }
    return reference;
}

CommandResultPayload WindowActionService::dispatch(const AXElement& window, const Command& command,
                                                   const DockItem& item, const RunningApplication& app,
                                                   const WindowDescriptor& descriptor,
                                                   std::optional<bool> moveRequested) const {
    const auto& ax = platform_.windows.accessibility;
    const std::string label = windowLabel(descriptor);
    // The placing kinds end with the window in front, whatever their own result.
    const auto placed = [&](const CommandResultPayload& result) {
        bringWindowToFront(window, app, item, descriptor, label);
        return result;
    };
    switch (command.kind) {
    case CommandKind::windowActivate: {
        const auto reference = activationReference(command, moveRequested);
        return activate(window, app, item, descriptor, reference.moveToReference, reference.screenID,
                        reference.screen);
    }
    case CommandKind::windowClose:
        return descriptor.supportsClose ? close(window) : unavailable("close unsupported");
    case CommandKind::windowHide:
        ax.setMessagingTimeout(window, kAXMessagingTimeout);
        return ax.setAttributeValue(window, "AXHidden", true) ? CommandResultPayload::success()
                                                              : unavailable("hide window failed");
    case CommandKind::windowMinimize:
        return descriptor.supportsMinimize ? minimize(window) : unavailable("minimize unsupported");
    case CommandKind::windowMaximize:
        if (!descriptor.canArrangeWindow()) return unavailable("maximize unsupported");
        if (auto failed = exitFullScreenIfNeeded(window, descriptor)) return *failed;
        return placed(maximize(window, descriptor.screenID, label));
    case CommandKind::windowFullScreen:
        if (!descriptor.showsFullScreenControl()) return unavailable("fullscreen unsupported");
        return placed(fullScreen(window));
    case CommandKind::windowTile:
        if (!descriptor.canArrangeWindow() || !command.tile) return unavailable("tile unsupported");
        if (auto failed = exitFullScreenIfNeeded(window, descriptor)) return *failed;
        return placed(tileWindow(window, *command.tile, descriptor.screenID, label));
    case CommandKind::windowMoveToScreen: {
        if (!descriptor.canArrangeWindow()) return unavailable("move unsupported");
        if (auto failed = exitFullScreenIfNeeded(window, descriptor)) return *failed;
        const auto target = command.targetScreenID ? command.targetScreenID : displayResolver_->referenceDisplayScreenID();
        return placed(moveToScreen(window, target, windowScreen(window, descriptor.screenID), label));
    }
    default: return CommandResultPayload::failure(ProtocolError::notFound());
    }
}

Task<CommandResultPayload> WindowActionService::moveWithoutAXWindow(const Command& command, const DockItem& item,
                                                                    const RunningApplication& app,
                                                                    const WindowDescriptor& descriptor) const {
    const AXWindowSupport support(platform_.windows);
    const ScreenSupport screens(platform_.windows.screens);
    const auto number = validNumber(descriptor);
    auto targetID = command.targetScreenID ? command.targetScreenID : displayResolver_->referenceDisplayScreenID();
    if (!number || !targetID) co_return missingWindow(command, descriptor);
    auto target = screens.screen(targetID);
    if (!target) {
        // A display that is gone: the screen standing in for it is where the window goes, as for activation.
        target = displayResolver_->referenceScreen();
        if (target) targetID = ScreenSupport::screenID(*target);
    }
    if (!target || !support.queries().cgWindowOwnerPID(*number)) co_return missingWindow(command, descriptor);

    if (const auto window = support.findAXWindow(item, *number, std::nullopt)) {
        co_return moveResolvedWindow(*window, *targetID, app, item, descriptor);
    }
    const auto frame = support.queries().cgWindowFrame(*number);
    const auto screen = frame ? screens.findScreen(*frame) : std::nullopt;
    const auto current = screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt;
    if (current == ScreenSupport::screenID(*target)) co_return missingWindow(command, descriptor);

    const std::string label = windowLabel(descriptor);
    log("move cg-only no AX window=" + label + "; space+SLPS only");
    navigateSpacesForActivate(*number, std::nullopt, label, current, descriptor.state == WindowState::fullscreen,
                              true, targetID, target);
    for (int retry = 0; retry < kRetries; ++retry) {
        co_await sleepFor(kRetryPause);
        if (const auto window = support.findAXWindow(item, *number, std::nullopt)) {
            co_return moveResolvedWindow(*window, *targetID, app, item, descriptor);
        }
    }
    co_return missingWindow(command, descriptor);
}

CommandResultPayload WindowActionService::moveResolvedWindow(const AXElement& window, const ScreenID& target,
                                                             const RunningApplication& app, const DockItem& item,
                                                             const WindowDescriptor& descriptor) const {
    const std::string label = windowLabel(descriptor);
    const auto result = moveToScreen(window, target, windowScreen(window, descriptor.screenID), label);
    bringWindowToFront(window, app, item, descriptor, label);
    log("move cg-resolved AX window=" + label);
    return result;
}

CommandResultPayload WindowActionService::missingWindow(const Command& command,
                                                        const WindowDescriptor& descriptor) const {
    const std::string kind(toString(command.kind));
    log("perform early return notFound ax missing kind=" + kind + " window=" + windowLabel(descriptor));
    platform_.windows.log.logf("Tavelin windowAction: ax window not found kind=%s windowID=%s title=%s state=%s",
                               kind.c_str(), descriptor.windowID.rawValue().c_str(), descriptor.title.c_str(),
                               std::string(toString(descriptor.state)).c_str());
    return CommandResultPayload::failure(ProtocolError::notFound());
}

}  // namespace tavelin
