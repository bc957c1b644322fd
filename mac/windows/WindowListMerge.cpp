#include "mac/windows/WindowListMerge.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "mac/windows/UserWindowThresholds.h"
#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"
#include "platform/LocalizedStrings.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// A capture with a side below this, or whose sampled bytes vary by less than kBlankSpread, is blank.
constexpr int kMinimumCaptureSide = 9;
constexpr int kBlankSpread = 12;
constexpr std::size_t kBlankSamples = 400;

bool isMinimized(const WindowDescriptor& window) { return window.state == WindowState::minimized; }
bool isFullScreen(const WindowDescriptor& window) { return window.state == WindowState::fullscreen; }
std::optional<std::uint32_t> numberOf(const WindowDescriptor& window) { return parseCGWindowID(window.windowID); }

std::optional<std::string> thumbnailToken(bool screenRecordingGranted, const WindowID& windowID,
                                          std::int64_t contentRevision) {
    if (!screenRecordingGranted || !parseCGWindowID(windowID)) return std::nullopt;
    return "w:" + windowID.rawValue() + ":" + std::to_string(contentRevision);
}

}  // namespace

std::string bundleText(const std::optional<std::string>& bundleID) {
    return bundleID && !bundleID->empty() ? *bundleID : "-";
}

WindowListMerge::WindowListMerge(const WindowPlatform& platform)
    : WindowListMerge(platform, WindowServerQueries(platform.windowServer, ScreenSupport(platform.screens))) {
}

WindowListMerge::WindowListMerge(const WindowPlatform& platform, const WindowServerQueries& queries)
    : platform_(platform),
      screens_(platform.screens),
      queries_(queries),
      spaces_(platform),
      ax_(platform, queries) {}

std::vector<WindowDescriptor> WindowListMerge::dedupeDescriptors(std::vector<WindowDescriptor> windows) {
    std::vector<WindowDescriptor> kept;
    std::unordered_set<std::string> seen;
    for (auto& window : windows) {
        if (seen.insert(window.windowID.rawValue()).second) kept.push_back(std::move(window));
    }
    return kept;
}

std::vector<WindowDescriptor> WindowListMerge::cgWindowDescriptors(const ProcessIDSet& allowedOwnerPIDs,
                                                                   bool screenRecordingGranted) const {
    const auto entries = queries_.windowList(WindowListOption::excludeDesktopElements);
    if (entries == nullptr) return {};
    for (const auto& entry : *entries) {
        if (!entry.getIf<PlistDict>()) return {};
    }

    std::vector<WindowDescriptor> windows;
    std::set<std::uint32_t> seen;
    for (const auto& entry : *entries) {
        const auto& info = *entry.getIf<PlistDict>();
        const auto* owner = info.find(kCGWindowOwnerPID) ? info.find(kCGWindowOwnerPID)->getIf<std::int64_t>() : nullptr;
        const auto* layer = info.find(kCGWindowLayer) ? info.find(kCGWindowLayer)->getIf<std::int64_t>() : nullptr;
        const auto number = windowNumber(info);
        const auto width = windowBoundsValue(info, "Width");
        const auto height = windowBoundsValue(info, "Height");
        if (owner == nullptr || *owner < INT32_MIN || *owner > INT32_MAX ||
            !allowedOwnerPIDs.contains(static_cast<std::int32_t>(*owner)) || layer == nullptr || *layer != 0 ||
            !number || !(width.value_or(0) >= kUserWindowMinimumWidth) || !height || !(*height >= kUserWindowMinimumHeight) ||
            !seen.insert(*number).second) {
            continue;
        }
        const auto* nameValue = info.find(kCGWindowName);
        const auto* name = nameValue ? nameValue->getIf<std::string>() : nullptr;
        const auto frame = queries_.windowFrame(*info.find(kCGWindowBounds));
        if (!frame) continue;

        WindowDescriptor window;
        window.windowID = WindowID(std::to_string(*number));
        window.title = preferredDisplayTitle(name ? *name : "", std::nullopt);
        window.frame = frame;
        window.state = spaces_.windowIsOnFullscreenSpace(*number) ? WindowState::fullscreen : WindowState::normal;
        window.contentRevision = windowContentRevision(window.title, window.frame, window.state, false);
        window.thumbnailToken = thumbnailToken(screenRecordingGranted, window.windowID, window.contentRevision);
        window.screenID = screenID(window.frame);
        window.supportsClose = window.supportsMinimize = window.supportsResize = true;
        window.supportsFullScreen = window.supportsTile = true;
        windows.push_back(std::move(window));
    }
    return windows;
}

WindowDescriptor WindowListMerge::combinedDescriptor(const WindowDescriptor& ax, const WindowDescriptor& cg,
                                                     bool screenRecordingGranted) {
    WindowDescriptor joined = ax;  // actions, isSecure and unavailableReason are Accessibility's
    joined.windowID = numberOf(cg) || !numberOf(ax) ? cg.windowID : ax.windowID;
    joined.frame = ax.frame ? ax.frame : cg.frame;
    if (!isMinimized(ax) && !isFullScreen(ax) && isFullScreen(cg)) joined.state = WindowState::fullscreen;
    joined.title = preferredDisplayTitle(ax.title, cg.title);
    joined.contentRevision = windowContentRevision(joined.title, joined.frame, joined.state, isMinimized(ax));
    joined.thumbnailToken = thumbnailToken(screenRecordingGranted, joined.windowID, joined.contentRevision);
    if (!joined.thumbnailToken) joined.thumbnailToken = ax.thumbnailToken ? ax.thumbnailToken : cg.thumbnailToken;
    joined.screenID = ax.screenID ? ax.screenID : cg.screenID;
    return joined;
}

std::vector<WindowDescriptor> WindowListMerge::mergeCGWindowDescriptors(const DockItem& hostItem,
                                                                        const ProcessIDSet& allowedOwnerPIDs,
                                                                        std::vector<WindowDescriptor> axWindows,
                                                                        const std::vector<WindowDescriptor>& cgWindows,
                                                                        bool screenRecordingGranted) const {
    if (axWindows.empty()) {
        if (!ax_.allowsCGOnlyWindowListWhenAXDescriptorsEmpty(hostItem)) {
            log("windowList skip CG-only merge axRawPresent bundle=" + bundleText(hostItem.bundleID));
            return {};
        }
        std::vector<WindowDescriptor> kept;
        for (const auto& window : cgWindows) {
            if (keepsLeftover(window)) kept.push_back(window);
        }
        return dedupeDescriptors(std::move(kept));
    }

    // The window-server entries by number and by title, each in list order, so that a long list is not
    // scanned once per window.
    std::vector<std::optional<std::uint32_t>> cgNumbers;
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> cgByNumber;
    std::unordered_map<std::string_view, std::vector<std::size_t>> cgByTitle;
    for (std::size_t i = 0; i < cgWindows.size(); ++i) {
        cgNumbers.push_back(numberOf(cgWindows[i]));
        if (cgNumbers[i]) cgByNumber[*cgNumbers[i]].push_back(i);
        cgByTitle[cgWindows[i].title].push_back(i);
    }
    std::vector<std::size_t> allCG(cgWindows.size());
    std::iota(allCG.begin(), allCG.end(), std::size_t{0});
    std::optional<AXWindowSupport::WindowsByNumber> axWindowsByNumber;

    std::vector<bool> usedCG(cgWindows.size(), false);
    const auto join = [&](WindowDescriptor& axWindow, std::size_t cgIndex) {
        usedCG[cgIndex] = true;
        axWindow = combinedDescriptor(axWindow, cgWindows[cgIndex], screenRecordingGranted);
    };
    // Joins the entry to the window-server entry when exactly one unused one of those passes the test.
    const auto joinUnique = [&](WindowDescriptor& axWindow, const std::vector<std::size_t>& among,
                                const auto& isCandidate) {
        std::optional<std::size_t> found;
        for (const auto i : among) {
            if (usedCG[i] || !isCandidate(i)) continue;
            if (found) return;
            found = i;
        }
        if (found) join(axWindow, *found);
    };

    for (auto& axWindow : axWindows) {
        const auto number = numberOf(axWindow);
        const auto sameNumber = number ? cgByNumber.find(*number) : cgByNumber.end();
        if (sameNumber == cgByNumber.end()) continue;
        const auto unused =
            std::ranges::find_if(sameNumber->second, [&](std::size_t i) { return !usedCG[i]; });
        if (unused != sameNumber->second.end()) join(axWindow, *unused);
    }
    for (auto& axWindow : axWindows) {
        if (numberOf(axWindow) || !axWindow.frame) continue;
        joinUnique(axWindow, allCG, [&](std::size_t i) {
            const auto& cg = cgWindows[i];
            if (!cgNumbers[i] || !cg.frame ||
                frameOverlapShare(*axWindow.frame, *cg.frame) < kSameWindowMinimumOverlap) {
                return false;
            }
            if (!axWindowsByNumber) axWindowsByNumber.emplace(ax_, hostItem, allowedOwnerPIDs);
            return isRelevantCandidate(hostItem, allowedOwnerPIDs, *axWindowsByNumber, *cgNumbers[i]);
        });
    }
    for (auto& axWindow : axWindows) {
        if (numberOf(axWindow)) continue;
        const auto sameTitle = cgByTitle.find(axWindow.title);
        if (sameTitle == cgByTitle.end()) continue;
        joinUnique(axWindow, sameTitle->second, [](std::size_t) { return true; });
    }

    if (cgWindows.empty()) return dedupeDescriptors(std::move(axWindows));
    for (std::size_t i = 0; i < cgWindows.size(); ++i) {
        if (usedCG[i]) continue;
        const auto& cg = cgWindows[i];
        if (keepsLeftover(cg)) {
            axWindows.push_back(cg);
        } else if (const auto number = numberOf(cg)) {
            log("windowList drop leftover cgID=" + std::to_string(*number) + " title=" + cg.title);
        }
    }
    return dedupeDescriptors(std::move(axWindows));
}

bool WindowListMerge::isRelevantCandidate(const DockItem& hostItem, const ProcessIDSet& allowedOwnerPIDs,
                                          AXWindowSupport::WindowsByNumber& axWindows,
                                          std::uint32_t windowNumber) const {
    if (const auto element = axWindows.find(windowNumber);
        element && ax_.shouldIncludeInWindowList(*element, hostItem.bundleID, allowedOwnerPIDs)) {
        return true;
    }
    return isOnScreenOrParked(windowNumber);
}

bool WindowListMerge::keepsLeftover(const WindowDescriptor& window) const {
    if (isMinimized(window)) return true;
    if (const auto number = numberOf(window)) return isOnScreenOrParked(*number);
    return window.frame && window.frame->width >= kUserWindowMinimumWidth &&
           window.frame->height >= kUserWindowMinimumHeight;
}

bool WindowListMerge::isOnScreenOrParked(std::uint32_t windowNumber) const {
    if (queries_.isOrderedOnScreen(windowNumber)) return true;
    const auto space = spaces_.primarySpace(windowNumber);
    if (!space || *space == SpaceID{0}) return false;
    const auto catalog = spaces_.loadCatalog(true);
    if (!catalog) return true;
    const auto display = catalog->display(*space);
    if (!display || !display->currentManagedID) return true;
    return *display->currentManagedID != *space;
}

std::vector<WindowDescriptor> WindowListMerge::dropBlankDuplicateTitles(std::vector<WindowDescriptor> windows) const {
    std::map<std::string, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < windows.size(); ++i) groups[windows[i].title].push_back(i);

    std::vector<bool> dropped(windows.size(), false);
    for (const auto& [title, members] : groups) {
        if (members.size() < 2) continue;
        std::vector<std::size_t> blank;
        for (const auto index : members) {
            if (isBlankCapture(windows[index])) blank.push_back(index);
        }
        if (blank.size() == members.size()) continue;
        for (const auto index : blank) {
            dropped[index] = true;
            log("windowList drop blank duplicate title=" + title + " id=" + windows[index].windowID.rawValue());
        }
    }
    std::vector<WindowDescriptor> kept;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!dropped[i]) kept.push_back(std::move(windows[i]));
    }
    return kept;
}

bool WindowListMerge::isBlankCapture(const WindowDescriptor& window) const {
    if (isMinimized(window)) return false;
    const auto number = numberOf(window);
    if (!number) return true;
    const auto image = platform_.windowServer.createWindowImage(
        std::nullopt, WindowListOption::includingWindow, *number,
        WindowImageOption::boundsIgnoreFraming | WindowImageOption::bestResolution);
    if (!image || image->width < kMinimumCaptureSide || image->height < kMinimumCaptureSide ||
        image->pixels.empty()) {
        return true;
    }
    // The raw bytes mix the channels, so only a picture of one colour whose channels are equal (white,
    // black, grey, fully opaque) samples as blank; any other picture varies across its bytes.
    const auto& bytes = image->pixels;
    const std::size_t step = bytes.size() >= kBlankSamples ? bytes.size() / kBlankSamples : 1;
    std::uint8_t lowest = 255;
    std::uint8_t highest = 0;
    for (std::size_t offset = 0; offset < bytes.size(); offset += step) {
        lowest = std::min(lowest, bytes[offset]);
        highest = std::max(highest, bytes[offset]);
    }
    return highest - lowest < kBlankSpread;
}

std::vector<WindowDescriptor> WindowListMerge::dropFullscreenCompanionGhosts(std::vector<WindowDescriptor> windows,
                                                                             bool relatedAppModeFullscreen) const {
    if (!relatedAppModeFullscreen && std::ranges::none_of(windows, isFullScreen)) return windows;
    const auto untitled = localizedString("window.untitled");
    std::vector<WindowDescriptor> kept;
    for (auto& window : windows) {
        const auto title = trimmingWhitespaceAndNewlines(window.title);
        bool keep = isMinimized(window) || (!title.empty() && title != untitled);
        if (!keep && isFullScreen(window) && window.frame) {
            const auto screen = screens_.findScreen(*window.frame);
            keep = screen && screen->frame.height > 0 && window.frame->height >= screen->frame.height * 0.5;
        }
        if (keep) {
            kept.push_back(std::move(window));
        } else {
            log("windowList drop fullscreen leftover untitled id=" + window.windowID.rawValue() +
                " relatedPWA=" + (relatedAppModeFullscreen ? "true" : "false"));
        }
    }
    return kept;
}

std::vector<WindowDescriptor> WindowListMerge::dropDescriptorsWithoutOnScreenUserWindow(
    std::vector<WindowDescriptor> windows, const DockItem& hostItem) const {
    std::vector<WindowDescriptor> kept;
    for (auto& window : windows) {
        const auto number = numberOf(window);
        if (isMinimized(window) || (number && isOnScreenOrParked(*number))) kept.push_back(std::move(window));
    }
    if (const auto removed = windows.size() - kept.size(); removed > 0) {
        log("windowList drop offscreen-only removed=" + std::to_string(removed) +
            " bundle=" + bundleText(hostItem.bundleID));
    }
    return kept;
}

std::optional<ScreenID> WindowListMerge::screenID(const std::optional<WindowFrame>& frame) const {
    if (!frame) return std::nullopt;
    const auto screen = screens_.findScreen(*frame);
    return screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt;
}

}  // namespace tavelin
