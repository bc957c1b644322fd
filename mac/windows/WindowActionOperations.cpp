// WindowActionService: the placement and state operations on a window's Accessibility element, and the
// front sequence that follows the placing ones.

#include <algorithm>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowGeometry.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowGeometry.h"
#include "mac/windows/WindowSLPSFocus.h"

namespace tavelin {
namespace {

constexpr int kFullScreenExitPolls = 15;
constexpr Duration kFullScreenExitPollPause = std::chrono::milliseconds(50);
constexpr double kFrontmostMinimumSize = 160;

CommandResultPayload unavailable(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}

std::optional<AXElement> button(const Accessibility& ax, const AXElement& window, std::string_view name) {
    const auto value = ax.copyAttributeValue(window, name);
    if (!value) return std::nullopt;
    const auto* element = std::get_if<AXElement>(&*value);
    return element ? std::optional(*element) : std::nullopt;
}

WindowFrame windowFrame(const Rect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }

}  // namespace

std::string windowLabel(const WindowDescriptor& descriptor) {
    return descriptor.windowID.rawValue() + ":" + descriptor.title;
}

std::string describeResult(const CommandResultPayload& result) {
    const auto* error = std::get_if<ProtocolError>(&result.value);
    if (error == nullptr) return "success";
    return std::string(error->caseName()) + "(" + error->errorDescription() + ")";
}

CommandResultPayload WindowActionService::close(const AXElement& window) const {
    const auto& ax = platform_.windows.accessibility;
    // A window without a close button (a panel, a sheet) is dismissed instead.
    const auto closeButton = button(ax, window, "AXCloseButton");
    const auto done = closeButton ? ax.performAction(*closeButton, "AXPress") : ax.performAction(window, "AXCancel");
    return done ? CommandResultPayload::success() : unavailable("close failed");
}

CommandResultPayload WindowActionService::minimize(const AXElement& window) const {
    const auto& ax = platform_.windows.accessibility;
    const auto minimizeButton = button(ax, window, "AXMinimizeButton");
    const auto done = minimizeButton ? ax.performAction(*minimizeButton, "AXPress")
                                     : ax.setAttributeValue(window, "AXMinimized", true);
    return done ? CommandResultPayload::success() : unavailable("minimize failed");
}

CommandResultPayload WindowActionService::fullScreen(const AXElement& window) const {
    const auto& ax = platform_.windows.accessibility;
    const bool isFullScreen = axBool(ax, window, "AXFullScreen") == true;
    if (ax.setAttributeValue(window, "AXFullScreen", !isFullScreen)) return CommandResultPayload::success();
    const auto fullScreenButton = button(ax, window, "AXFullScreenButton");
    if (!fullScreenButton) return unavailable("fullscreen unsupported");
    if (!ax.performAction(*fullScreenButton, "AXPress")) return unavailable("fullscreen failed");
    return CommandResultPayload::success();
}

bool WindowActionService::exitFullScreenForActivate(const AXElement& window) const {
    const auto& ax = platform_.windows.accessibility;
    auto isFullScreen = [&] { return axBool(ax, window, "AXFullScreen") == true; };
    if (!isFullScreen()) return true;
    if (!fullScreen(window).isSuccess()) return false;
    for (int poll = 0; poll < kFullScreenExitPolls; ++poll) {
        if (!isFullScreen()) return true;
        pause(kFullScreenExitPollPause);
    }
    return !isFullScreen();
}

std::optional<CommandResultPayload> WindowActionService::exitFullScreenIfNeeded(
    const AXElement& window, const WindowDescriptor& descriptor) const {
    if (descriptor.state != WindowState::fullscreen &&
        axBool(platform_.windows.accessibility, window, "AXFullScreen") != true) {
        return std::nullopt;
    }
    if (exitFullScreenForActivate(window)) return std::nullopt;
    return unavailable("fullscreen exit failed");
}

CommandResultPayload WindowActionService::maximize(const AXElement& window, const std::optional<ScreenID>& screenID,
                                                   std::string_view windowLabel) const {
    return setFrameOnScreen(window, std::nullopt, screenID, windowLabel, "maximize failed");
}

CommandResultPayload WindowActionService::tileWindow(const AXElement& window, WindowTileKind kind,
                                                     const std::optional<ScreenID>& screenID,
                                                     std::string_view windowLabel) const {
    return setFrameOnScreen(window, kind, screenID, windowLabel, "tile failed");
}

CommandResultPayload WindowActionService::setFrameOnScreen(const AXElement& window,
                                                           std::optional<WindowTileKind> kind,
                                                           const std::optional<ScreenID>& screenID,
                                                           std::string_view windowLabel,
                                                           std::string_view failure) const {
    const auto& ax = platform_.windows.accessibility;
    const AXWindowGeometry geometry(platform_.windows);
    if (axBool(ax, window, "AXMinimized") == true && !geometry.unminimize(window, windowLabel, false)) {
        return unavailable("unminimize failed");
    }
    auto screen = ScreenSupport(platform_.windows.screens).screen(screenID);
    if (!screen) screen = platform_.windows.screens.mainScreen();
    if (!screen) return unavailable("no screen");
    const Rect area = kind ? tileRect(*kind, screen->visibleFrame) : screen->visibleFrame;
    if (!geometry.setCocoaFrame(window, windowFrame(area), true)) return unavailable(std::string(failure));
    return CommandResultPayload::success();
}

CommandResultPayload WindowActionService::moveToScreen(const AXElement& window, const std::optional<ScreenID>& target,
                                                       const std::optional<ScreenID>& current,
                                                       std::string_view windowLabel) const {
    if (target && current && *target == *current) return CommandResultPayload::success();
    const auto& ax = platform_.windows.accessibility;
    const AXWindowGeometry geometry(platform_.windows);
    const AXWindowSupport support(platform_.windows);
    const ScreenSupport screens(platform_.windows.screens);
    if (axBool(ax, window, "AXMinimized") == true && !geometry.unminimize(window, windowLabel, false)) {
        return unavailable("unminimize failed");
    }
    const auto all = platform_.windows.screens.screens();
    if (all.empty()) return unavailable("no screen");

    std::optional<Screen> destination = target ? screens.screen(target) : std::nullopt;
    if (destination) {
        if (current && ScreenSupport::screenID(*destination) == *current) return CommandResultPayload::success();
    } else if (current) {
        const auto at = std::ranges::find(all, *current, &ScreenSupport::screenID);
        destination = at == all.end() || std::next(at) == all.end() ? all.front() : *std::next(at);
        // A single display: there is nowhere else to go.
        if (ScreenSupport::screenID(*destination) == *current) return CommandResultPayload::success();
    } else {
        destination = all.front();
    }

    const Rect& visible = destination->visibleFrame;
    const auto frame = frameFittingVisible(support.axFrame(window).value_or(windowFrame(visible)), visible);
    const bool reduced = reducesMotion();
    if (!geometry.setCocoaFrame(window, frame, !reduced)) return unavailable("move failed");
    pause(reduced ? kReducedMotionMovePause : kMovePause);

    if (target) {
        const auto now = support.axFrame(window);
        const auto screen = now ? screens.findScreen(*now) : std::nullopt;
        log("moveToScreen after window=" + std::string(windowLabel) + " target=" + target->rawValue() +
            " axScreen=" + (screen ? ScreenSupport::screenID(*screen).rawValue() : "nil"));
    }
    return CommandResultPayload::success();
}

bool WindowActionService::reducesMotion() const {
    return settings_->respectReduceMotion.value() &&
           platform_.windows.workspace.accessibilityDisplayShouldReduceMotion();
}

void WindowActionService::bringWindowToFront(const AXElement& window, const RunningApplication& app,
                                             const DockItem& item, const WindowDescriptor& descriptor,
                                             std::string_view windowLabel) const {
    frontSequence(window, app, item, descriptor, windowLabel);
    log("frontmost complete window=" + std::string(windowLabel));
}

void WindowActionService::frontSequence(const std::optional<AXElement>& window, const RunningApplication& app,
                                        const DockItem& item, const WindowDescriptor& descriptor,
                                        std::string_view windowLabel) const {
    const std::string label(windowLabel);
    unhideHiddenApplication(app, item, descriptor);
    if (!platform_.windows.applications.activate(app.processIdentifier, kActivateIgnoringOtherApps)) {
        log("app.activate failed window=" + label);
    }
    if (const auto number = windowNumber(window, item, descriptor, true)) {
        const AXWindowSupport support(platform_.windows);
        const auto owner = support.queries().cgWindowOwnerPID(*number).value_or(app.processIdentifier);
        if (!WindowSLPSFocus(platform_.windows).focusWindow(*number, owner)) {
            log("SLPS focus returned false window=" + label + " cgID=" + std::to_string(*number));
        }
    }
    if (!window) {
        reopenIfWindowless(item);
        return;
    }
    if (!platform_.windows.accessibility.performAction(*window, "AXRaise")) log("AXRaise failed window=" + label);
}

std::optional<std::uint32_t> WindowActionService::windowNumber(const std::optional<AXElement>& window,
                                                               const DockItem& item,
                                                               const WindowDescriptor& descriptor,
                                                               bool frontmost) const {
    if (const auto number = parseCGWindowID(descriptor.windowID); number && *number != 0) return number;
    const AXWindowSupport support(platform_.windows);
    const auto processIDs = support.processIDs(item);
    if (window) {
        if (const auto linked = support.linkedCGWindowID(*window, processIDs)) return linked;
    }
    if (const auto titled = support.cgWindowID(descriptor.title, processIDs)) return titled;
    return frontmost ? support.frontmostCGWindowID(item, kFrontmostMinimumSize) : std::nullopt;
}

void WindowActionService::reopenIfWindowless(const DockItem& item) const {
    if (!DockNativeActivation::showsWindow(platform_.windows, item)) DockNativeActivation(platform_).reopenIfNeeded(item);
}

}  // namespace tavelin
