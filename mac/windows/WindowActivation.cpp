// WindowActionService: bringing one window to the user with its Accessibility element: restore, its
// Space or the window itself onto the reference display, the pointer onto it, then the front sequence.

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowGeometry.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

constexpr int kEnsureOnScreenAttempts = 10;
constexpr double kPointerMinimumSide = 8;
constexpr double kFrontmostMinimumSize = 160;

const char* text(bool value) { return value ? "true" : "false"; }

}  // namespace

CommandResultPayload WindowActionService::activate(const AXElement& window, const RunningApplication& app,
                                                   const DockItem& item, const WindowDescriptor& descriptor,
                                                   bool moveToReference,
                                                   const std::optional<ScreenID>& referenceDisplayScreenID,
                                                   const std::optional<Screen>& referenceScreen) const {
    const auto& platform = platform_.windows;
    const auto& ax = platform.accessibility;
    const AXWindowGeometry geometry(platform);
    const AXWindowSupport support(platform);
    const std::string label = windowLabel(descriptor);

    ax.setMessagingTimeout(window, kWindowMessagingTimeout);
    log("activate start window=" + label + " moveToReferenceDisplay=" + text(moveToReference));
    const auto number = windowNumber(window, item, descriptor, false);
    auto isOffScreen = [&] { return number && !support.queries().cgWindowsOrderedOnScreen().contains(*number); };
    const bool offScreen = isOffScreen();

    const bool minimized = descriptor.state == WindowState::minimized || axBool(ax, window, "AXMinimized") == true;
    if (minimized || offScreen) {
        platform.applications.activate(app.processIdentifier, kActivateIgnoringOtherApps);
        if (offScreen) log("activate force deminiaturize cg offscreen window=" + label);
        if (!geometry.unminimize(window, label, offScreen)) {
            log("unminimize failed window=" + label);
            return CommandResultPayload::failure(ProtocolError::unavailable("unminimize failed"));
        }
        if (offScreen &&
            !geometry.ensureCGWindowOrderedOnScreen(*number, window, app.processIdentifier, label,
                                                    kEnsureOnScreenAttempts)) {
            return CommandResultPayload::failure(ProtocolError::unavailable("still minimized"));
        }
    }
    if (number) {
        log("cgWindowID=" + std::to_string(*number) + " window=" + label);
    } else {
        log("no cgWindowID (descriptor+AX+title) window=" + label + "; continuing raise");
    }

    const bool isFullScreen =
        descriptor.state == WindowState::fullscreen || axBool(ax, window, "AXFullScreen") == true;
    auto screenOfWindow = windowScreen(window, descriptor.screenID);
    if (number) {
        navigateSpacesForActivate(*number, window, label, screenOfWindow, isFullScreen, moveToReference,
                                  referenceDisplayScreenID, referenceScreen);
    } else {
        log("space skip no cgWindowID window=" + label);
    }

    bool moved = false;
    if (moveToReference && referenceDisplayScreenID) {
        // The Space step may have moved the window; Accessibility may still report the old place where the
        // window server already knows the new one.
        screenOfWindow = windowScreen(window, screenOfWindow);
        if (screenOfWindow == referenceDisplayScreenID && number) {
            const auto frame = support.queries().cgWindowFrame(*number);
            const auto screen = frame ? ScreenSupport(platform.screens).findScreen(*frame) : std::nullopt;
            if (screen) screenOfWindow = ScreenSupport::screenID(*screen);
        }
        if (screenOfWindow != referenceDisplayScreenID) {
            moved = moveLogged(window, *referenceDisplayScreenID, screenOfWindow, label, "activate AX move ok",
                               "activate AX move failed");
        }
    }

    const bool stillMinimized = axBool(ax, window, "AXMinimized") == true;
    const bool stillOffScreen = isOffScreen();
    if (stillMinimized || stillOffScreen) {
        log("still minimized after restore window=" + label + " axMin=" + text(stillMinimized) +
            " cgOffScreen=" + text(stillOffScreen));
        return CommandResultPayload::failure(ProtocolError::unavailable("still minimized"));
    }

    movePointerToActivatedWindowIfNeeded(moved, isFullScreen, window, number, label);
    frontSequence(window, app, item, descriptor, label);
    log("activate complete window=" + label);
    return CommandResultPayload::success();
}

Task<CommandResultPayload> WindowActionService::activateWithoutAXWindow(std::uint32_t cgID, Command command,
                                                                        DockItem item, RunningApplication app,
                                                                        WindowDescriptor descriptor,
                                                                        std::optional<bool> moveRequested) const {
    const AXWindowSupport support(platform_.windows);
    const std::string label = windowLabel(descriptor);
    log("activate cg-only no AX window=" + label);
    const auto reference = activationReference(command, moveRequested);
    const bool appShortcut = DockNativeActivation::isChromiumAppMode(item.bundleID);
    const bool isFullScreen = descriptor.state == WindowState::fullscreen;
    // A web app's shim may offer its element by now, though the lookup by descriptor found none.
    const auto lookUp = [&] { return support.findAXWindow(item, cgID, support.processIDs(item)); };
    std::optional<AXElement> window = appShortcut ? lookUp() : std::nullopt;

    navigateSpacesForActivate(cgID, window, label, descriptor.screenID, isFullScreen, reference.moveToReference,
                              reference.screenID, reference.screen);
    const bool movesToReference = reference.moveToReference && reference.screenID;
    bool moved = false;
    const auto moveToReference = [&](const std::optional<ScreenID>& from) {
        if (from != reference.screenID) {
            moved = moveLogged(*window, *reference.screenID, from, label, "activate cg-only AX move ok",
                               "activate cg-only AX move failed");
        }
    };
    if (movesToReference && appShortcut) {
        if (!window) window = lookUp();
        if (!window) {
            log("activate cg-only no AX to move window=" + label);
        } else {
            auto from = windowScreen(window, std::nullopt);
            if (!from) {
                const auto frame = support.queries().cgWindowFrame(cgID);
                const auto screen =
                    frame ? ScreenSupport(platform_.windows.screens).findScreen(*frame) : std::nullopt;
                from = screen ? std::optional(ScreenSupport::screenID(*screen)) : descriptor.screenID;
            }
            moveToReference(from);
        }
    }
    movePointerToActivatedWindowIfNeeded(moved, isFullScreen, window, cgID, label);
    finalizeActivateFrontmost(window, app, item, descriptor, label);

    if (movesToReference && !appShortcut) {
        std::optional<AXElement> found;
        for (int poll = 0; poll < kCGOnlyPolls && !found; ++poll) {
            co_await sleepFor(kRetryPause);
            found = resolveAXWindow(descriptor, item, true);
        }
        if (found) {
            window = found;
            moveToReference(windowScreen(window, descriptor.screenID));
        }
        movePointerToActivatedWindowIfNeeded(moved, isFullScreen, window, cgID, label);
    } else {
        movePointerToActivatedWindowIfNeeded(moved, isFullScreen, window, cgID, label);
    }
    if (!window) reopenIfWindowless(item);
    log("activate cg-only complete window=" + label);
    co_return CommandResultPayload::success();
}

void WindowActionService::unhideHiddenApplication(const RunningApplication& anchor, const DockItem& item,
                                                  const WindowDescriptor& descriptor) const {
    const auto& platform = platform_.windows;
    const AXWindowSupport support(platform);
    auto candidates = support.runningApps(item);
    auto listed = [&](std::int32_t processID) {
        return std::ranges::find(candidates, processID, &RunningApplication::processIdentifier) != candidates.end();
    };
    if (!listed(anchor.processIdentifier)) candidates.push_back(anchor);
    if (const auto number = parseCGWindowID(descriptor.windowID); number && *number != 0) {
        const auto owner = support.queries().cgWindowOwnerPID(*number);
        if (owner && !listed(*owner)) {
            for (auto& running : platform.workspace.runningApplications()) {
                if (running.processIdentifier == *owner) candidates.push_back(std::move(running));
            }
        }
    }
    const bool anyHidden = std::ranges::any_of(candidates, &RunningApplication::isHidden);
    if (!item.isHidden && !anyHidden) return;
    for (const auto& candidate : candidates) {
        if (!item.isHidden && !candidate.isHidden) continue;
        const bool ok = platform.applications.unhide(candidate);
        log("unhide pid=" + std::to_string(candidate.processIdentifier) + " wasHidden=" + text(candidate.isHidden) +
            " ok=" + text(ok) + " itemHidden=" + text(item.isHidden));
    }
}

void WindowActionService::movePointerToActivatedWindowIfNeeded(bool didMoveWindowToReference, bool isFullScreen,
                                                               const std::optional<AXElement>& axWindow,
                                                               std::optional<std::uint32_t> cgID,
                                                               std::string_view windowLabel) const {
    const auto& platform = platform_.windows;
    const std::string label(windowLabel);
    if (didMoveWindowToReference && !isFullScreen) {
        log("pointer skip window already moved window=" + label);
        return;
    }
    const AXWindowSupport support(platform);
    auto frame = axWindow ? support.axFrame(*axWindow) : std::nullopt;
    if (!frame && cgID) frame = support.queries().cgWindowFrame(*cgID);
    if (!frame || frame->width <= kPointerMinimumSide || frame->height <= kPointerMinimumSide) {
        log("pointer skip no frame window=" + label);
        return;
    }
    if (pointInRect(platform.screens.mouseLocation(), Rect{frame->x, frame->y, frame->width, frame->height})) {
        log("pointer skip already inside window=" + label);
        return;
    }
    const bool animated = !reducesMotion();
    const Point centre{frame->x + frame->width / 2, frame->y + frame->height / 2};
    pointer_->move(centre, animated);
    log("pointer to window center window=" + label + " animated=" + text(animated) +
        " x=" + std::to_string(static_cast<std::int64_t>(centre.x)) +
        " y=" + std::to_string(static_cast<std::int64_t>(centre.y)));
}

void WindowActionService::finalizeActivateFrontmost(const std::optional<AXElement>& window,
                                                    const RunningApplication& app, const DockItem& item,
                                                    const WindowDescriptor& descriptor,
                                                    std::string_view windowLabel) const {
    frontSequence(window, app, item, descriptor, windowLabel);
}

bool WindowActionService::movePointerToFrontmostWindow(const DockItem& item) const {
    const AXWindowSupport support(platform_.windows);
    const auto number = support.frontmostCGWindowID(item, kFrontmostMinimumSize);
    if (!number) return false;
    const auto window = support.findAXWindow(item, *number, std::nullopt);
    const bool isFullScreen =
        window && axBool(platform_.windows.accessibility, *window, "AXFullScreen") == true;
    if (!(window && support.axFrame(*window)) && !support.queries().cgWindowFrame(*number)) return false;
    const auto label = item.bundleID && !item.bundleID->empty() ? *item.bundleID : item.title;
    movePointerToActivatedWindowIfNeeded(false, isFullScreen, window, number, label);
    return true;
}

std::optional<ScreenID> WindowActionService::windowScreen(const std::optional<AXElement>& window,
                                                          const std::optional<ScreenID>& fallback) const {
    if (!window) return fallback;
    const auto frame = AXWindowSupport(platform_.windows).axFrame(*window);
    const auto screen = frame ? ScreenSupport(platform_.windows.screens).findScreen(*frame) : std::nullopt;
    return screen ? std::optional(ScreenSupport::screenID(*screen)) : fallback;
}

bool WindowActionService::moveLogged(const AXElement& window, const ScreenID& reference,
                                     const std::optional<ScreenID>& current, std::string_view windowLabel,
                                     std::string_view okLine, std::string_view failedLine) const {
    const auto result = moveToScreen(window, reference, current, windowLabel);
    const std::string label = " window=" + std::string(windowLabel);
    if (result.isSuccess()) {
        log(std::string(okLine) + label);
    } else {
        log(std::string(failedLine) + label + " err=" + describeResult(result));
    }
    return result.isSuccess();
}

}  // namespace tavelin
