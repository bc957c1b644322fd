// AXWindowSupport: the window-server questions that stand in where Accessibility cannot answer.

#include <algorithm>
#include <cmath>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/UserWindowThresholds.h"
#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

// How far a full-screen browser window may fall short of its screen (the menu bar may stay).
constexpr double kFullScreenWidthSlack = 12;
constexpr double kFullScreenHeightSlack = 48;

// An entry of the allowed owners on layer 0 with a number: its number.
std::optional<std::uint32_t> ownedNormalWindow(const PlistDict& info, const ProcessIDSet& allowed) {
    if (!allowed.contains(windowOwnerPID(info)) || windowLayer(info) != 0) return std::nullopt;
    const auto number = windowNumber(info);
    return number && *number != 0 ? number : std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> AXWindowSupport::uniqueCGWindowID(const WindowFrame& forAXFrame,
                                                               const ProcessIDSet& allowedOwnerPIDs) const {
    const auto windows = queries_.normalWindows();
    std::optional<std::uint32_t> found;
    for (const auto& window : *windows) {
        if (!allowedOwnerPIDs.contains(window.ownerPID) ||
            frameOverlapShare(window.frame, forAXFrame) < kSameWindowMinimumOverlap) {
            continue;
        }
        // Off screen it still counts while it lives on a Space (another Space, or minimized there).
        if (!queries_.isOrderedOnScreen(window.number) && !spaces_.hasManagedSpace(window.number)) continue;
        if (found) return std::nullopt;
        found = window.number;
    }
    return found;
}

std::optional<std::uint32_t> AXWindowSupport::cgWindowID(std::string_view matchingDisplayTitle,
                                                         const ProcessIDSet& allowedOwnerPIDs) const {
    const auto all = queries_.windowList(WindowListOption::excludeDesktopElements);
    if (all == nullptr) return std::nullopt;
    for (const auto& entry : *all) {
        const auto* info = entry.getIf<PlistDict>();
        const auto number = info ? ownedNormalWindow(*info, allowedOwnerPIDs) : std::nullopt;
        if (!number) continue;
        const auto width = windowBoundsValue(*info, "Width");
        const auto height = windowBoundsValue(*info, "Height");
        if (!width || !height || !(*width >= kUserWindowMinimumWidth) ||
            !(*height >= kUserWindowMinimumHeight)) {
            continue;
        }
        const auto* name = info->find(kCGWindowName);
        const auto* text = name ? name->getIf<std::string>() : nullptr;
        if (preferredDisplayTitle(text ? *text : std::string(), std::nullopt) == matchingDisplayTitle)
            return number;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> AXWindowSupport::frontmostCGWindowID(const DockItem& item,
                                                                  double minimumSize) const {
    const auto allowed = host_.processIDs(item);
    const auto all =
        queries_.windowList(WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements);
    if (all == nullptr) return std::nullopt;
    for (const auto& entry : *all) {
        const auto* info = entry.getIf<PlistDict>();
        const auto number = info ? ownedNormalWindow(*info, allowed) : std::nullopt;
        if (!number) continue;
        const auto* bounds = info->find(kCGWindowBounds);
        if (bounds == nullptr || bounds->getIf<PlistDict>() == nullptr) {
            if (minimumSize <= 0) return number;
            continue;
        }
        if (windowBoundsValue(*info, "Width").value_or(0) >= minimumSize &&
            windowBoundsValue(*info, "Height").value_or(0) >= minimumSize) {
            return number;
        }
    }
    return std::nullopt;
}

bool AXWindowSupport::chromiumFullscreenExists(const DockItem& item) const {
    const auto& bundleID = item.bundleID;
    if (!bundleID || bundleID->empty()) return false;
    const bool browser = DockNativeActivation::chromiumBrowserBundleIDs().contains(*bundleID);
    if (!browser && !DockNativeActivation::isChromiumAppMode(*bundleID)) return false;
    std::vector<RunningApplication> applications;
    if (browser) {
        // The browser's web apps show their windows in processes of their own.
        const auto appModePrefix = *bundleID + ".app.";
        for (auto& application : platform_.workspace.runningApplications()) {
            if (application.bundleIdentifier && application.bundleIdentifier->starts_with(appModePrefix)) {
                applications.push_back(std::move(application));
            }
        }
    }
    std::ranges::move(host_.runningApps(item), std::back_inserter(applications));
    ProcessIDSet processIDs;
    for (const auto& application : applications) processIDs.insert(application.processIdentifier);
    if (processIDs.empty()) return false;
    for (const auto& application : applications) {
        for (const auto& window : axWindows(application)) {
            if (axBool(platform_.accessibility, window, "AXFullScreen") == true) return true;
        }
    }
    const auto all = queries_.windowList(WindowListOption::excludeDesktopElements);
    if (all == nullptr) return false;
    const auto screens = platform_.screens.screens();
    for (const auto& entry : *all) {
        const auto* info = entry.getIf<PlistDict>();
        const auto number = info ? ownedNormalWindow(*info, processIDs) : std::nullopt;
        if (!number) continue;
        if (spaces_.windowIsOnFullscreenSpace(*number)) return true;
        const double width = windowBoundsValue(*info, "Width").value_or(0);
        const double height = windowBoundsValue(*info, "Height").value_or(0);
        const bool fillsAScreen = std::ranges::any_of(screens, [&](const Screen& screen) {
            return std::abs(screen.frame.width - width) < kFullScreenWidthSlack &&
                   std::abs(screen.frame.height - height) < kFullScreenHeightSlack;
        });
        if (fillsAScreen) return true;
    }
    return false;
}

bool AXWindowSupport::allowsCGOnlyWindowListWhenAXDescriptorsEmpty(const DockItem& item) const {
    const auto& bundleID = item.bundleID;
    if (bundleID && (DockNativeActivation::chromiumBrowserBundleIDs().contains(*bundleID) ||
                     DockNativeActivation::isChromiumAppMode(*bundleID))) {
        return true;
    }
    return std::ranges::none_of(host_.runningApps(item), [&](const RunningApplication& application) {
        return !axWindows(application).empty();
    });
}

}  // namespace tavelin
