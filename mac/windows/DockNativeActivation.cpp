#include "mac/windows/DockNativeActivation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/DockItemWindowHost.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

// 2.5 s, waiting for the reply and letting the application interact with the user.
constexpr std::int64_t kReopenTimeoutTicks = 150;
constexpr std::int32_t kReopenSendMode = kAEWaitReply | kAECanInteract;

// A web app's window counts only when one this large is in front.
constexpr double kMinimumAppModeWindowSide = 160;

bool isWebLink(std::string_view path) { return path.starts_with("http://") || path.starts_with("https://"); }

}  // namespace

const std::set<std::string, std::less<>>& DockNativeActivation::chromiumBrowserBundleIDs() {
    static const std::set<std::string, std::less<>> identifiers{
        "com.google.Chrome",      "com.google.Chrome.canary",   "com.microsoft.edgemac",
        "com.brave.Browser",      "company.thebrowser.Browser", "com.vivaldi.Vivaldi",
        "com.eatbiscult.biscult", "org.chromium.Chromium",
    };
    return identifiers;
}

bool DockNativeActivation::isChromiumAppMode(std::optional<std::string_view> bundleID) {
    if (!bundleID) return false;
    return std::ranges::any_of(chromiumBrowserBundleIDs(), [&](const std::string& browser) {
        return bundleID->starts_with(browser) && bundleID->substr(browser.size()).starts_with(".app.");
    });
}

CommandResultPayload DockNativeActivation::activateApplication(const std::string& bundleID) const {
    const auto url = platform_.windows.workspace.urlForApplication(bundleID);
    if (!url) return CommandResultPayload::failure(ProtocolError::notFound());
    const auto running = platform_.windows.workspace.runningApplications(bundleID);
    if (running.empty()) {
        // The launch finishes later; only the log hears of a failure.
        platform_.workspaceActions.openApplication(
            *url, OpenConfiguration{.activates = true},
            [&log = platform_.windows.log, &applications = platform_.windows.applications,
             bundleID](std::expected<RunningApplication, WorkspaceError> launched) {
                if (!launched) {
                    log.logf("Tavelin DockNativeActivation launch %s: %s", bundleID.c_str(),
                             launched.error().localizedDescription.c_str());
                    return;
                }
                if (launched->isHidden) applications.unhide(*launched);
                applications.activate(launched->processIdentifier, kActivateIgnoringOtherApps);
            });
        return CommandResultPayload::success();
    }
    const auto& application = running.front();
    if (application.isHidden) platform_.windows.applications.unhide(application);
    if (!platform_.windows.applications.activate(application.processIdentifier, kActivateIgnoringOtherApps)) {
        return CommandResultPayload::failure(ProtocolError::unavailable("activate failed"));
    }
    if (!hasLiveUserWindow(bundleID)) {
        sendReopenAppleEvent(application);
        ensureChromiumWindowIfNeeded(bundleID, application);
    }
    return CommandResultPayload::success();
}

CommandResultPayload DockNativeActivation::openDocumentLikeDock(const std::string& path) const {
    // A web-link tile's path is its link, which names no file: it opens as the link it is.
    const auto url =
        isWebLink(path) ? path : fileURL(path, platform_.windows.files.itemType(path) == ItemType::directory);
    if (!platform_.workspaceActions.openURL(url)) {
        return CommandResultPayload::failure(ProtocolError::unavailable("open failed"));
    }
    return CommandResultPayload::success();
}

void DockNativeActivation::reopenIfNeeded(const DockItem& item) const { reopen(item, std::nullopt); }

void DockNativeActivation::ensureVisibleWindow(const DockItem& item, bool windowListConfirmedEmpty) const {
    reopen(item, windowListConfirmedEmpty);
}

void DockNativeActivation::reopen(const DockItem& item, std::optional<bool> loggedListEmpty) const {
    auto bundleID =
        DockItemWindowHost(platform_.windows.workspace, platform_.windows.files).hostBundleID(item);
    if (!bundleID && item.bundleID && !item.bundleID->empty()) bundleID = item.bundleID;
    if (!bundleID) return;
    const auto running = platform_.windows.workspace.runningApplications(*bundleID);
    if (running.empty()) return;
    const auto& application = running.front();
    if (loggedListEmpty) {
        platform_.windows.actionLog.append("ensureVisibleWindow bundle=" + *bundleID +
                                           " listEmpty=" + (*loggedListEmpty ? "true" : "false"));
    }
    unhideAndActivate(application);
    if (!hasLiveUserWindow(*bundleID)) {
        sendReopenAppleEvent(application);
        ensureChromiumWindowIfNeeded(*bundleID, application);
    }
}

bool DockNativeActivation::hasLiveUserWindow(const std::string& bundleID) const {
    const DockItem probe{.itemID = ItemID("window-probe"),
                         .region = DockRegion::runningApps,
                         .kind = DockItemKind::app,
                         .bundleID = bundleID};
    return showsWindow(platform_.windows, probe);
}

bool DockNativeActivation::showsWindow(const WindowPlatform& platform, const DockItem& item) {
    const AXWindowSupport windows(platform);
    if (isChromiumAppMode(item.bundleID)) {
        return windows.frontmostCGWindowID(item, kMinimumAppModeWindowSide).has_value();
    }
    return !windows.liveUserWindowDescriptors(item).empty();
}

void DockNativeActivation::unhideAndActivate(const RunningApplication& application) const {
    if (application.isHidden) platform_.windows.applications.unhide(application);
    platform_.windows.applications.activate(application.processIdentifier, kActivateIgnoringOtherApps);
}

void DockNativeActivation::sendReopenAppleEvent(const RunningApplication& application) const {
    auto& events = platform_.appleEvents;
    std::vector<std::uint8_t> processID(sizeof(std::int32_t));
    std::memcpy(processID.data(), &application.processIdentifier, sizeof(std::int32_t));
    auto address = events.createDesc(kTypeKernelProcessID, std::move(processID));
    if (!address) return;
    auto event = events.createAppleEvent(kCoreEventClass, kAEReopenApplication, *address,
                                         kAutoGenerateReturnID, kAnyTransactionID);
    if (!event) {
        events.disposeDesc(*address);
        return;
    }
    AEDesc reply;
    // Whether the application answered does not matter: the window checks come later.
    events.sendMessage(*event, reply, kReopenSendMode, kReopenTimeoutTicks);
    events.disposeDesc(reply);
    events.disposeDesc(*event);
    events.disposeDesc(*address);
}

void DockNativeActivation::ensureChromiumWindowIfNeeded(const std::string& bundleID,
                                                        std::optional<RunningApplication> application) const {
    // Only a member of the fixed set goes into the script's text.
    if (!chromiumBrowserBundleIDs().contains(bundleID)) return;
    if (!application) {
        const auto running = platform_.windows.workspace.runningApplications(bundleID);
        if (running.empty()) return;
    }
    const auto script =
        platform_.windows.appleScripts.make("tell application id \"" + bundleID +
                                         "\"\n    activate\n    if (count of windows) = 0 then\n"
                                         "        make new window\n    end if\nend tell");
    if (!script) return;
    if (const auto error = script->execute()) {
        platform_.windows.log.logf("Tavelin ensureChromiumWindow AppleScript %s: %s", bundleID.c_str(),
                                   error->c_str());
    }
}

}  // namespace tavelin
