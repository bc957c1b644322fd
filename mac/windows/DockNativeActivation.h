#pragma once

// Launching, activating and reopening applications and opening documents the way a click on a Dock
// tile does: a running application is unhidden, brought forward ignoring other applications and, when
// it shows no window, sent the reopen event; a Chromium-family browser that still shows none is told
// by AppleScript to make a new window. Holds nothing but the platform. Main thread; the reopen event
// and the AppleScript block the caller until the application answers (the event for 2.5 s at most).
//
// The Chromium-family browsers and their web apps (app-mode shims: applications of their own whose
// bundle identifier is the browser's followed by ".app." and the web app's own) several window
// operations treat apart.

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "mac/windows/AppCommandPlatform.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/DockItem.h"

namespace tavelin {

class DockNativeActivation {
  public:
    explicit DockNativeActivation(const AppCommandPlatform& platform) : platform_(platform) {}

    // The browsers' bundle identifiers; membership is exact and case-sensitive.
    static const std::set<std::string, std::less<>>& chromiumBrowserBundleIDs();
    // True when the identifier is a browser's followed by ".app." (and anything, also nothing).
    static bool isChromiumAppMode(std::optional<std::string_view> bundleID);

    // Not installed: notFound. Not running: launched, success at once (a failed launch is only
    // logged). Running: activated ("activate failed" when refused), then reopened without a window.
    CommandResultPayload activateApplication(const std::string& bundleID) const;
    // The path as a file URL, or a web link ("http://", "https://") as itself; "open failed" when
    // nothing opens it.
    CommandResultPayload openDocumentLikeDock(const std::string& path) const;
    // The application that hosts the item's windows, when it runs: activated, and reopened when it
    // shows no window.
    void reopenIfNeeded(const DockItem& item) const;
    // The same, with a window-actions log line once the application is found.
    void ensureVisibleWindow(const DockItem& item, bool windowListConfirmedEmpty) const;
    bool hasLiveUserWindow(const std::string& bundleID) const;
    // Whether the item's application shows a window: for a web app, one of at least 160 points in
    // front; for any other application, a live user window.
    static bool showsWindow(const WindowPlatform& platform, const DockItem& item);

  private:
    void reopen(const DockItem& item, std::optional<bool> loggedListEmpty) const;
    void unhideAndActivate(const RunningApplication& application) const;
    void sendReopenAppleEvent(const RunningApplication& application) const;
    void ensureChromiumWindowIfNeeded(const std::string& bundleID,
                                      std::optional<RunningApplication> application) const;

    AppCommandPlatform platform_;
};

}  // namespace tavelin
