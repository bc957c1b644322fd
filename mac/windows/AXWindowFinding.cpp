// AXWindowSupport: finding the Accessibility window behind a descriptor or a window number.

#include <cmath>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/WindowGeometry.h"
#include "platform/LocalizedStrings.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// How far a window may have moved or grown since its descriptor was made and still be the same.
constexpr double kFrameTolerance = 3.0;

bool framesMatch(const WindowFrame& a, const WindowFrame& b) {
    return std::abs(a.x - b.x) <= kFrameTolerance && std::abs(a.y - b.y) <= kFrameTolerance &&
           std::abs(a.width - b.width) <= kFrameTolerance && std::abs(a.height - b.height) <= kFrameTolerance;
}

}  // namespace

std::optional<AXElement> AXWindowSupport::findAXWindow(const RunningApplication& application,
                                                       const WindowDescriptor& matching,
                                                       const ProcessIDSet& allowedOwnerPIDs,
                                                       const std::optional<std::string>& bundleID,
                                                       bool titleMatchIgnoresMinimizedState) const {
    const auto& ax = platform_.accessibility;
    const auto windows =
        includedWindows(application, bundleID ? bundleID : application.bundleIdentifier, allowedOwnerPIDs);
    if (const auto number = parseCGWindowID(matching.windowID); number && *number != 0) {
        for (const auto& window : windows) {
            if (resolvedCGWindowID(window, allowedOwnerPIDs) == number) return window;
        }
    }
    // By title: the Accessibility title alone, as the descriptor's own title may have come from the
    // window server.
    const auto untitled = localizedString("window.untitled");
    const bool wantsMinimized = matching.state == WindowState::minimized;
    std::vector<AXElement> candidates;
    for (const auto& window : windows) {
        auto title = trimmingWhitespaceAndNewlines(axString(ax, window, "AXTitle").value_or(""));
        if ((title.empty() ? std::string(untitled) : title) != matching.title) continue;
        if (!titleMatchIgnoresMinimizedState && (axBool(ax, window, "AXMinimized") == true) != wantsMinimized)
            continue;
        candidates.push_back(window);
    }
    if (titleMatchIgnoresMinimizedState) {
        return candidates.size() == 1 ? std::optional(candidates.front()) : std::nullopt;
    }
    if (candidates.empty()) return std::nullopt;
    if (wantsMinimized || !matching.frame) return candidates.front();
    for (const auto& candidate : candidates) {
        const auto frame = axFrame(candidate);
        // A window that will not tell its frame cannot be ruled out.
        if (!frame || framesMatch(*frame, *matching.frame)) return candidate;
    }
    return std::nullopt;
}

std::optional<AXElement> AXWindowSupport::findAXWindow(const DockItem& item, const WindowDescriptor& matching,
                                                       bool titleMatchIgnoresMinimizedState) const {
    const auto hostBundleID = host_.hostBundleID(item);
    const auto allowed = host_.processIDs(hostBundleID);
    for (const auto& application : host_.runningApps(hostBundleID)) {
        if (auto found =
                findAXWindow(application, matching, allowed, hostBundleID, titleMatchIgnoresMinimizedState)) {
            return found;
        }
    }
    const auto number = parseCGWindowID(matching.windowID);
    if (!number || *number == 0) return std::nullopt;
    if (auto found = findAXWindow(hostBundleID, *number, allowed)) return found;
    // The window belongs to a process of the item that is not one of its instances (a helper).
    const auto owner = queries_.cgWindowOwnerPID(*number);
    if (!allowed.contains(owner)) return std::nullopt;
    const auto application = runningApplication(*owner);
    if (!application) return std::nullopt;
    return findAXWindow(*application, matching, allowed, hostBundleID, titleMatchIgnoresMinimizedState);
}

std::optional<AXElement> AXWindowSupport::findAXWindow(
    const DockItem& item, std::uint32_t cgWindowID,
    const std::optional<ProcessIDSet>& allowedOwnerPIDs) const {
    const auto hostBundleID = host_.hostBundleID(item);
    return findAXWindow(hostBundleID, cgWindowID,
                        allowedOwnerPIDs ? *allowedOwnerPIDs : host_.processIDs(hostBundleID));
}

std::optional<AXElement> AXWindowSupport::findAXWindow(const std::optional<std::string>& hostBundleID,
                                                       std::uint32_t cgWindowID,
                                                       const ProcessIDSet& allowedOwnerPIDs) const {
    const auto& ax = platform_.accessibility;
    // 0 names no window, even where a window claims it.
    if (cgWindowID == 0) return std::nullopt;
    for (const auto processID : allowedOwnerPIDs) {
        const auto application = runningApplication(processID);
        if (!application) continue;
        for (const auto& window : includedWindows(*application, hostBundleID, allowedOwnerPIDs)) {
            if (axWindowNumber(ax, window) == cgWindowID ||
                resolvedCGWindowID(window, allowedOwnerPIDs) == cgWindowID) {
                return window;
            }
        }
    }
    return std::nullopt;
}

AXWindowSupport::WindowsByNumber::WindowsByNumber(const AXWindowSupport& support, const DockItem& item,
                                                  ProcessIDSet allowedOwnerPIDs)
    : support_(support),
      hostBundleID_(support.host_.hostBundleID(item)),
      allowed_(std::move(allowedOwnerPIDs)) {}

std::optional<AXElement> AXWindowSupport::WindowsByNumber::find(std::uint32_t cgWindowID) {
    if (cgWindowID == 0) return std::nullopt;
    do {
        if (const auto found = found_.find(cgWindowID); found != found_.end()) return found->second;
    } while (readNextWindow());
    return std::nullopt;
}

bool AXWindowSupport::WindowsByNumber::readNextWindow() {
    while (nextWindow_ == windows_.size()) {
        if (nextProcess_ == allowed_.size()) return false;
        const auto application = support_.runningApplication(*std::next(allowed_.begin(), nextProcess_++));
        windows_ = application ? support_.includedWindows(*application, hostBundleID_, allowed_)
                               : std::vector<AXElement>{};
        nextWindow_ = 0;
    }
    const auto& window = windows_[nextWindow_++];
    for (const auto number : {axWindowNumber(support_.platform_.accessibility, window),
                              support_.resolvedCGWindowID(window, allowed_)}) {
        if (number && *number != 0) found_.emplace(*number, window);
    }
    return true;
}

}  // namespace tavelin
