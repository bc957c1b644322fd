// AXWindowSupport: live window descriptors and the order in which activation tries windows.

#include <algorithm>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/UserWindowThresholds.h"
#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

constexpr std::int64_t kNumberRank = 10000;
constexpr std::int64_t kTitleRank = 1000;
constexpr double kLargestAreaRank = 80000;

bool isSizeable(const WindowDescriptor& window) {
    return window.frame && window.frame->width >= kUserWindowMinimumWidth &&
           window.frame->height >= kUserWindowMinimumHeight;
}

}  // namespace

std::int64_t windowActivationRank(const WindowDescriptor& window) {
    std::int64_t rank = parseCGWindowID(window.windowID) ? kNumberRank : 0;
    if (!window.title.empty()) rank += kTitleRank;
    if (window.frame) {
        // A frame without a positive area (or with a size that is no number) adds nothing.
        const double area = window.frame->width * window.frame->height;
        if (area > 0) rank += static_cast<std::int64_t>(std::min(area, kLargestAreaRank));
    }
    return rank;
}

std::vector<WindowDescriptor> rankedWindowDescriptorsForActivation(std::vector<WindowDescriptor> windows) {
    std::vector<std::pair<std::int64_t, WindowDescriptor>> ranked;
    ranked.reserve(windows.size());
    for (auto& window : windows) {
        const auto rank = windowActivationRank(window);
        ranked.emplace_back(rank, std::move(window));
    }
    std::ranges::stable_sort(ranked, std::greater<>(), &std::pair<std::int64_t, WindowDescriptor>::first);
    windows.clear();
    for (auto& [rank, window] : ranked) windows.push_back(std::move(window));
    return windows;
}

std::vector<WindowDescriptor> AXWindowSupport::liveUserWindowDescriptors(const DockItem& item) const {
    // One pass over the windows, within this turn of the main queue: the window server's lists are read
    // once for all of them.
    const AXWindowSupport pass(platform_, WindowServerQueries::forOnePass(platform_.windowServer, screens_));
    return pass.userWindowDescriptors(item);
}

std::vector<WindowDescriptor> AXWindowSupport::userWindowDescriptors(const DockItem& item) const {
    const auto& ax = platform_.accessibility;
    const auto hostBundleID = host_.hostBundleID(item);
    const auto allowed = host_.processIDs(hostBundleID);
    std::vector<WindowDescriptor> descriptors;
    for (const auto& application : host_.runningApps(hostBundleID)) {
        for (const auto& window : includedWindows(application, hostBundleID, allowed)) {
            const bool minimized = axBool(ax, window, "AXMinimized") == true;
            if (!minimized && axBool(ax, window, "AXHidden") == true) continue;
            const auto axFrame = this->axFrame(window);
            auto number = linkedCGWindowID(window, allowed);
            if (!number && !minimized && axFrame) number = uniqueCGWindowID(*axFrame, allowed);
            const bool fullScreen = axBool(ax, window, "AXFullScreen") == true;

            WindowDescriptor descriptor;
            descriptor.windowID = WindowID(number ? std::to_string(*number) : randomUUIDString());
            descriptor.title = preferredDisplayTitle(axString(ax, window, "AXTitle").value_or(""),
                                                     number ? queries_.cgWindowName(*number) : std::nullopt);
            descriptor.frame = axFrame ? axFrame : number ? queries_.cgWindowFrame(*number) : std::nullopt;
            if (descriptor.frame) {
                if (const auto screen = screens_.findScreen(*descriptor.frame)) {
                    descriptor.screenID = ScreenSupport::screenID(*screen);
                }
            }
            descriptor.state = minimized    ? WindowState::minimized
                               : fullScreen ? WindowState::fullscreen
                                            : WindowState::normal;
            descriptor.contentRevision =
                windowContentRevision(descriptor.title, descriptor.frame, descriptor.state, minimized);
            descriptor.supportsClose = true;
            descriptor.supportsMinimize = true;
            descriptor.supportsResize = descriptor.frame.has_value();
            descriptor.supportsTile = descriptor.frame.has_value();
            descriptor.supportsFullScreen = fullScreen;
            descriptors.push_back(std::move(descriptor));
        }
    }
    // Left out only here, so that a minimized window is described as any other.
    std::erase_if(descriptors,
                  [](const WindowDescriptor& window) { return window.state == WindowState::minimized; });
    return rankedWindowDescriptorsForActivation(std::move(descriptors));
}

std::vector<WindowDescriptor> AXWindowSupport::activatableWindowsForDockActivate(
    const std::vector<WindowDescriptor>& windows, const DockItem& host) const {
    const auto allowed = host_.processIDs(host);
    const auto onScreen = queries_.cgWindowsOrderedOnScreen();
    // Off screen, a window can be brought forward when it waits on a Space its display does not show.
    // Whatever cannot be told (no catalog, a Space no display holds, a display without a current
    // Space) keeps the window; a window on no Space, or on the Space its display shows, is gone.
    auto waitsOnAnotherSpace = [&](std::uint32_t number) {
        const auto space = spaces_.primarySpace(number);
        if (!space || *space == 0) return false;
        const auto catalog = spaces_.loadCatalog(true);
        const auto display = catalog ? catalog->display(*space) : std::nullopt;
        return !display || !display->currentManagedID || *display->currentManagedID != *space;
    };
    std::vector<WindowDescriptor> passed;
    for (const auto& window : windows) {
        if (window.state == WindowState::minimized) {
            passed.push_back(window);
            continue;
        }
        const auto number = parseCGWindowID(window.windowID);
        const bool passes =
            number ? onScreen.contains(*number) || waitsOnAnotherSpace(*number) : isSizeable(window);
        if (passes) passed.push_back(window);
    }
    std::erase_if(passed,
                  [](const WindowDescriptor& window) { return window.state == WindowState::minimized; });
    // A browser's window counts when the browser's own processes show it, or when it is of a window's
    // size.
    const auto hostBundleID = host_.hostBundleID(host);
    if (hostBundleID && DockNativeActivation::chromiumBrowserBundleIDs().contains(*hostBundleID)) {
        std::erase_if(passed, [&](const WindowDescriptor& window) {
            const auto number = parseCGWindowID(window.windowID);
            const bool owned = number && allowed.contains(queries_.cgWindowOwnerPID(*number));
            return !owned && !isSizeable(window);
        });
    }
    return rankedWindowDescriptorsForActivation(std::move(passed));
}

}  // namespace tavelin
