#include "mac/windows/AXWindowSupport.h"

#include "mac/windows/AXAttributes.h"
#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/UserWindowThresholds.h"
#include "mac/windows/WindowGeometry.h"
#include "platform/LocalizedStrings.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

bool isDialog(std::string_view subrole) { return subrole == "AXDialog" || subrole == "AXSystemDialog"; }

}  // namespace

std::string preferredDisplayTitle(std::string_view axTitle, const std::optional<std::string>& cgTitle) {
    const auto untitled = localizedString("window.untitled");
    auto usable = [&](std::string_view title) -> std::optional<std::string> {
        auto trimmed = trimmingWhitespaceAndNewlines(title);
        if (trimmed.empty() || trimmed == untitled) return std::nullopt;
        return trimmed;
    };
    if (auto title = usable(axTitle)) return std::move(*title);
    if (cgTitle) {
        if (auto title = usable(*cgTitle)) return std::move(*title);
    }
    return std::string(untitled);
}

AXWindowSupport::AXWindowSupport(const WindowPlatform& platform)
    : AXWindowSupport(platform, WindowServerQueries(platform.windowServer, ScreenSupport(platform.screens))) {
}

AXWindowSupport::AXWindowSupport(const WindowPlatform& platform, WindowServerQueries queries)
    : platform_(platform),
      screens_(platform.screens),
      queries_(std::move(queries)),
      spaces_(platform),
      host_(platform.workspace, platform.files) {}

std::vector<AXElement> AXWindowSupport::axWindows(const RunningApplication& application) const {
    const auto& ax = platform_.accessibility;
    const double timeout = DockNativeActivation::isChromiumAppMode(application.bundleIdentifier)
                               ? kAppModeMessagingTimeout
                               : kAXMessagingTimeout;
    const auto element = ax.createApplication(application.processIdentifier);
    ax.setMessagingTimeout(element, timeout);
    auto value = ax.copyAttributeValue(element, "AXWindows");
    if (!value) return {};
    auto* windows = std::get_if<std::vector<AXElement>>(&*value);
    if (windows == nullptr) return {};
    for (const auto& window : *windows) ax.setMessagingTimeout(window, timeout);
    return std::move(*windows);
}

std::optional<WindowFrame> AXWindowSupport::axFrame(const AXElement& window) const {
    const auto& ax = platform_.accessibility;
    if (const auto frame = ax.copyAttributeValue(window, "AXFrame")) {
        if (const auto* rect = std::get_if<Rect>(&*frame)) return cocoaFrame(*rect, screens_.primaryMaxY());
    }
    const auto position = ax.copyAttributeValue(window, "AXPosition");
    const auto size = ax.copyAttributeValue(window, "AXSize");
    const auto* point = position ? std::get_if<Point>(&*position) : nullptr;
    const auto* extent = size ? std::get_if<Size>(&*size) : nullptr;
    if (point == nullptr || extent == nullptr) return std::nullopt;
    return cocoaFrame(Rect{point->x, point->y, extent->width, extent->height}, screens_.primaryMaxY());
}

std::optional<std::uint32_t> AXWindowSupport::ownedNumber(std::optional<std::uint32_t> number,
                                                          const ProcessIDSet& allowed) const {
    if (!number || *number == 0 || !allowed.contains(queries_.cgWindowOwnerPID(*number))) return std::nullopt;
    return number;
}

std::optional<std::uint32_t> AXWindowSupport::linkedCGWindowID(const AXElement& window,
                                                               const ProcessIDSet& allowedOwnerPIDs) const {
    const auto& ax = platform_.accessibility;
    if (const auto number = ownedNumber(axWindowNumber(ax, window), allowedOwnerPIDs)) return number;
    const auto privateNumber = ax.windowNumber(window);
    return privateNumber ? ownedNumber(*privateNumber, allowedOwnerPIDs) : std::nullopt;
}

std::optional<std::uint32_t> AXWindowSupport::resolvedCGWindowID(const AXElement& window,
                                                                 const ProcessIDSet& allowedOwnerPIDs) const {
    if (const auto number = linkedCGWindowID(window, allowedOwnerPIDs)) return number;
    // A minimized window has no frame on screen to match.
    if (axBool(platform_.accessibility, window, "AXMinimized") == true) return std::nullopt;
    const auto frame = axFrame(window);
    return frame ? uniqueCGWindowID(*frame, allowedOwnerPIDs) : std::nullopt;
}

bool AXWindowSupport::isPhantomAXWindow(const AXElement& window, const ProcessIDSet& allowedOwnerPIDs) const {
    const auto& ax = platform_.accessibility;
    const auto subrole = axString(ax, window, "AXSubrole").value_or("");
    auto minimized = [&] { return axBool(ax, window, "AXMinimized") == true; };
    // A dialog is a user window only while it stands alone: in full screen, or in the Dock. Its title
    // does not save it.
    if (isDialog(subrole)) {
        if (axBool(ax, window, "AXFullScreen") == true) return false;
        return !minimized();
    }
    if (!trimmingWhitespaceAndNewlines(axString(ax, window, "AXTitle").value_or("")).empty()) return false;
    if (axBool(ax, window, "AXFullScreen") == true || minimized()) return false;
    if (subrole != "AXStandardWindow") return true;
    if (const auto frame = axFrame(window)) {
        return frame->width < kUserWindowMinimumWidth || frame->height < kUserWindowMinimumHeight;
    }
    // No readable frame: trust the window server.
    if (linkedCGWindowID(window, allowedOwnerPIDs)) return false;
    if (minimized()) return true;
    const auto frame = axFrame(window);
    return !frame || !uniqueCGWindowID(*frame, allowedOwnerPIDs);
}

bool AXWindowSupport::shouldIncludeInWindowList(const AXElement& window,
                                                const std::optional<std::string>& bundleID,
                                                const ProcessIDSet& allowedOwnerPIDs) const {
    const auto& ax = platform_.accessibility;
    if (axString(ax, window, "AXRole") != "AXWindow") return false;
    if (bundleID == kFinderBundleID) {
        if (!axString(ax, window, "AXTitle").value_or("").empty()) return true;
        return axString(ax, window, "AXSubrole") == "AXStandardWindow";
    }
    return !isPhantomAXWindow(window, allowedOwnerPIDs);
}

std::vector<AXElement> AXWindowSupport::includedWindows(const RunningApplication& application,
                                                        const std::optional<std::string>& bundleID,
                                                        const ProcessIDSet& allowedOwnerPIDs) const {
    auto windows = axWindows(application);
    std::erase_if(windows, [&](const AXElement& window) {
        return !shouldIncludeInWindowList(window, bundleID, allowedOwnerPIDs);
    });
    return windows;
}

std::optional<RunningApplication> AXWindowSupport::runningApplication(std::int32_t processID) const {
    for (auto& application : platform_.workspace.runningApplications()) {
        if (application.processIdentifier == processID) return std::move(application);
    }
    return std::nullopt;
}

}  // namespace tavelin
