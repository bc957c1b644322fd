#include "mac/windows/WindowListService.h"

#include <utility>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"
#include "mac/windows/WindowListMerge.h"

namespace tavelin {
namespace {

// The descriptor list of a Dock item, built in one turn of the main queue: one pass, in which the window
// server's answers are read once and shared.
class WindowListPipeline {
  public:
    explicit WindowListPipeline(const WindowPlatform& platform)
        : WindowListPipeline(platform, WindowServerQueries::forOnePass(platform.windowServer,
                                                                       ScreenSupport(platform.screens))) {}

    std::vector<WindowDescriptor> windows(const DockItem& hostItem, bool screenRecordingGranted) const {
        const auto allowedOwnerPIDs = ax_.processIDs(hostItem);
        std::vector<AXElement> axRaw;
        for (const auto& application : ax_.runningApps(hostItem)) {
            for (auto& window : ax_.axWindows(application)) axRaw.push_back(window);
        }
        std::vector<WindowDescriptor> windows;
        int skipInclude = 0;
        int skipHidden = 0;
        for (const auto& window : axRaw) {
            if (!ax_.shouldIncludeInWindowList(window, hostItem.bundleID, allowedOwnerPIDs)) {
                ++skipInclude;
                continue;
            }
            const bool minimized = axBool(platform_.accessibility, window, "AXMinimized") == true;
            if (!minimized && axBool(platform_.accessibility, window, "AXHidden") == true) {
                ++skipHidden;
                continue;
            }
            windows.push_back(descriptorFromAX(window, allowedOwnerPIDs, minimized, screenRecordingGranted));
        }
        const auto afterAX = windows.size();
        windows = WindowListMerge::dedupeDescriptors(std::move(windows));

        const auto cgWindows = merge_.cgWindowDescriptors(allowedOwnerPIDs, screenRecordingGranted);
        windows = merge_.mergeCGWindowDescriptors(hostItem, allowedOwnerPIDs, std::move(windows), cgWindows,
                                                  screenRecordingGranted);
        windows = merge_.dropBlankDuplicateTitles(std::move(windows));
        windows = merge_.dropFullscreenCompanionGhosts(std::move(windows), ax_.chromiumFullscreenExists(hostItem));
        windows = merge_.dropDescriptorsWithoutOnScreenUserWindow(std::move(windows), hostItem);
        if (!windows.empty()) return windows;

        const auto bundle = bundleText(hostItem.bundleID);
        if (!axRaw.empty()) {
            log("windowList filtered all axRaw=" + std::to_string(axRaw.size()) + " afterAX=" + std::to_string(afterAX) +
                " merged=" + std::to_string(windows.size()) + " skipInclude=" + std::to_string(skipInclude) +
                " skipHidden=" + std::to_string(skipHidden) + " bundle=" + bundle);
        }
        if (ax_.allowsCGOnlyWindowListWhenAXDescriptorsEmpty(hostItem)) {
            auto live = ax_.liveUserWindowDescriptors(hostItem);
            if (!live.empty()) {
                log("windowList fetch empty; AX fallback count=" + std::to_string(live.size()) + " bundle=" + bundle);
                return live;
            }
        }
        return {};
    }

  private:
    WindowListPipeline(const WindowPlatform& platform, const WindowServerQueries& queries)
        : platform_(platform),
          ax_(platform, queries),
          merge_(platform, queries),
          screens_(platform.screens) {}

    WindowDescriptor descriptorFromAX(const AXElement& window, const ProcessIDSet& allowedOwnerPIDs, bool minimized,
                                      bool screenRecordingGranted) const {
        const auto& accessibility = platform_.accessibility;
        const auto readable = [&](std::string_view attribute) {
            return accessibility.copyAttributeValue(window, attribute).has_value();
        };
        const auto axTitle = axString(accessibility, window, "AXTitle").value_or("");
        const auto axFrame = ax_.axFrame(window);
        const bool fullScreen = axBool(accessibility, window, "AXFullScreen") == true;

        WindowDescriptor descriptor;
        descriptor.state = minimized ? WindowState::minimized
                           : fullScreen ? WindowState::fullscreen
                                        : WindowState::normal;
        const auto number = ax_.resolvedCGWindowID(window, allowedOwnerPIDs);
        descriptor.frame = axFrame ? axFrame : number ? ax_.queries().cgWindowFrame(*number) : std::nullopt;
        descriptor.title =
            preferredDisplayTitle(axTitle, number ? ax_.queries().cgWindowName(*number) : std::nullopt);
        descriptor.contentRevision =
            windowContentRevision(descriptor.title, descriptor.frame, descriptor.state, minimized);
        descriptor.windowID = number ? WindowID(std::to_string(*number)) : WindowID(randomUUIDString());
        if (descriptor.frame) {
            if (const auto screen = screens_.findScreen(*descriptor.frame))
                descriptor.screenID = ScreenSupport::screenID(*screen);
        }
        const auto subrole = axString(accessibility, window, "AXSubrole");
        const bool dialog = subrole == "AXDialog" || subrole == "AXSystemDialog";
        descriptor.supportsClose = readable("AXCloseButton");
        descriptor.supportsMinimize = readable("AXMinimizeButton");
        descriptor.supportsFullScreen = readable("AXFullScreenButton") || fullScreen;
        descriptor.supportsResize = descriptor.supportsTile = descriptor.frame && !dialog && !minimized;
        if (screenRecordingGranted && number) {
            descriptor.thumbnailToken =
                "w:" + descriptor.windowID.rawValue() + ":" + std::to_string(descriptor.contentRevision);
        }
        return descriptor;
    }
    void log(const std::string& line) const { platform_.actionLog.append(line); }

    WindowPlatform platform_;
    AXWindowSupport ax_;
    WindowListMerge merge_;
    ScreenSupport screens_;
};

std::vector<ConnectedDisplay> connectedDisplays(const Screens& screens) {
    std::vector<ConnectedDisplay> displays;
    for (const auto& screen : screens.screens()) {
        displays.push_back(ConnectedDisplay{ScreenSupport::screenID(screen), screen.localizedName});
    }
    return displays;
}

}  // namespace

WindowListService::WindowListService(const WindowPlatform& platform)
    : platform_(platform), queue_(platform.scheduler.serialQueue("tavelin.window-list")) {}

Task<std::optional<WindowListService::CachedList>> WindowListService::cachedList(ItemID itemID) {
    co_await queue_.hop();
    const auto found = cache_.find(itemID);
    co_return found == cache_.end() ? std::nullopt : std::optional(found->second);
}

Task<void> WindowListService::invalidate(ItemID itemID) {
    co_await queue_.hop();
    cache_.erase(itemID);
}

Task<std::optional<WindowDescriptor>> WindowListService::descriptor(ItemID appItemID, WindowID windowID) {
    co_await queue_.hop();
    const auto found = cache_.find(appItemID);
    if (found == cache_.end()) co_return std::nullopt;
    for (const auto& window : found->second.windows) {
        if (window.windowID.rawValue() == windowID.rawValue()) co_return window;
    }
    co_return std::nullopt;
}

Task<WindowListSnapshot> WindowListService::fetch(DockItem item, bool screenRecordingGranted) {
    const auto itemID = item.itemID;
    // Trust, the host item and its processes are asked on the main queue, like the windows themselves.
    co_await platform_.scheduler.main().hop();
    const bool trusted = platform_.accessibility.isProcessTrusted();
    const DockItemWindowHost host(platform_.workspace, platform_.files);
    DockItem hostItem = item;
    if (!item.bundleID || item.bundleID->empty()) {
        if (auto hostBundleID = host.hostBundleID(item)) hostItem.bundleID = std::move(hostBundleID);
    }
    const auto running = trusted ? host.runningApps(hostItem) : std::vector<RunningApplication>{};
    const bool listed = trusted && !running.empty();
    auto windows = listed ? WindowListPipeline(platform_).windows(hostItem, screenRecordingGranted)
                          : std::vector<WindowDescriptor>{};
    co_await queue_.hop();
    if (!listed) {
        const auto found = cache_.find(itemID);
        co_return WindowListSnapshot{itemID, found == cache_.end() ? 0 : found->second.generation, trusted,
                                     screenRecordingGranted, {}, std::nullopt};
    }
    const auto pid = running.front().processIdentifier;
    if (windows.empty()) {
        platform_.actionLog.append("windowList fetch empty bundle=" + bundleText(hostItem.bundleID) +
                                   " pid=" + std::to_string(pid));
        platform_.log.log("Tavelin windowList: no windows for pid=" + std::to_string(pid) +
                            " item=" + itemID.rawValue());
    }
    const auto generation = nextGeneration_++;
    cache_.insert_or_assign(itemID, CachedList{generation, windows, pid});

    co_await platform_.scheduler.main().hop();
    auto displays = connectedDisplays(platform_.screens);
    co_await queue_.hop();
    co_return WindowListSnapshot{itemID, generation, true, screenRecordingGranted, std::move(windows),
                                 std::move(displays)};
}

}  // namespace tavelin
