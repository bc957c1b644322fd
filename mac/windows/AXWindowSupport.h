#pragma once

// Finding windows: an application's Accessibility windows and which of them are user windows, the
// window-server number behind each, the Accessibility window behind a descriptor or a number, the
// window-server questions that stand in when Accessibility cannot answer (the one window under a
// frame, a window by title, the front-most window, full screen of Chromium-family browsers), and the
// live descriptors of a Dock item's windows with their activation order.
//
// Stateless: every call reads the running applications, the Accessibility tree and the window list
// afresh (the list through its window-server queries, which may be those of one pass); nothing throws, and
// absence is an empty list, none or false. Accessibility calls block for at most the messaging timeout set on
// each element: 0.4 s for the web apps of Chromium-family browsers (which often do not answer), 2.0 s for
// everything else. The callers check Accessibility trust; without it every read fails, so lists are empty and
// finders find nothing. Main thread.
//
// An allowed-owner set (ProcessIDSet) limits which window-server windows count: a number counts only
// when the window server names an owner in the set. Sets are walked in the order they were built.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mac/windows/DockItemWindowHost.h"
#include "mac/windows/ProcessIDSet.h"
#include "mac/windows/ScreenSupport.h"
#include "mac/windows/WindowPlatform.h"
#include "mac/windows/WindowServerQueries.h"
#include "mac/windows/WindowSpaceSupport.h"
#include "protocol/DockItem.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

// Accessibility messaging timeouts, in seconds.
inline constexpr double kAppModeMessagingTimeout = 0.4;
inline constexpr double kAXMessagingTimeout = 2.0;

// The title shown for a window: the Accessibility title, else the window server's name, each trimmed and
// used only when it is neither empty nor the "Untitled" text itself; else that text.
std::string preferredDisplayTitle(std::string_view axTitle, const std::optional<std::string>& cgTitle);

class AXWindowSupport {
  public:
    explicit AXWindowSupport(const WindowPlatform& platform);
    // Asking the window server through these queries (those of one pass, say).
    AXWindowSupport(const WindowPlatform& platform, WindowServerQueries queries);
    AXWindowSupport(const AXWindowSupport&) = delete;
    AXWindowSupport& operator=(const AXWindowSupport&) = delete;

    // --- Accessibility windows ---

    // The application's window elements in its order; the messaging timeout is set on the application
    // element first, then on every window element.
    std::vector<AXElement> axWindows(const RunningApplication& application) const;
    // "AXFrame", else "AXPosition" with "AXSize", in screen coordinates.
    std::optional<WindowFrame> axFrame(const AXElement& window) const;
    // "AXWindowNumber", else the private call: non-zero with an owner in the set.
    std::optional<std::uint32_t> linkedCGWindowID(const AXElement& window,
                                                  const ProcessIDSet& allowedOwnerPIDs) const;
    // The linked number, else (for a window that is not minimized) the one window-server window under
    // its frame.
    std::optional<std::uint32_t> resolvedCGWindowID(const AXElement& window,
                                                    const ProcessIDSet& allowedOwnerPIDs) const;
    // A window ("AXRole" "AXWindow") that the user would call one: for the Finder a titled window or a
    // standard one, for any other application a window that is no phantom (a sheet, a pop-up, an
    // untitled sliver).
    bool shouldIncludeInWindowList(const AXElement& window, const std::optional<std::string>& bundleID,
                                   const ProcessIDSet& allowedOwnerPIDs) const;

    // --- Finding the window behind a descriptor or a number ---

    // Within one application (its own bundle identifier when none is given): by number, then by title,
    // then by frame within 3 points. With `titleMatchIgnoresMinimizedState`, only a title that exactly
    // one window has.
    std::optional<AXElement> findAXWindow(const RunningApplication& application,
                                          const WindowDescriptor& matching,
                                          const ProcessIDSet& allowedOwnerPIDs,
                                          const std::optional<std::string>& bundleID,
                                          bool titleMatchIgnoresMinimizedState) const;
    // Within the item's host applications, then by the descriptor's number.
    std::optional<AXElement> findAXWindow(const DockItem& item, const WindowDescriptor& matching,
                                          bool titleMatchIgnoresMinimizedState) const;
    // The window with that number among the allowed processes (the item's process set when none is given).
    std::optional<AXElement> findAXWindow(const DockItem& item, std::uint32_t cgWindowID,
                                          const std::optional<ProcessIDSet>& allowedOwnerPIDs) const;
    // The same finder for many numbers within one pass, in which the windows do not change: it walks
    // the windows once, as far as the numbers asked for so far need, and remembers every number it met.
    class WindowsByNumber {
      public:
        WindowsByNumber(const AXWindowSupport& support, const DockItem& item, ProcessIDSet allowedOwnerPIDs);
        std::optional<AXElement> find(std::uint32_t cgWindowID);

      private:
        bool readNextWindow();

        const AXWindowSupport& support_;
        std::optional<std::string> hostBundleID_;
        ProcessIDSet allowed_;
        std::size_t nextProcess_ = 0;     // in allowed_'s order
        std::vector<AXElement> windows_;  // of the process being read
        std::size_t nextWindow_ = 0;
        std::unordered_map<std::uint32_t, AXElement> found_;  // the first window of each number
    };

    // --- Window-server questions ---

    // The one layer-0 window of the allowed owners that covers at least 45 % of the smaller of the two
    // areas and is on screen; none when two are.
    std::optional<std::uint32_t> uniqueCGWindowID(const WindowFrame& forAXFrame,
                                                  const ProcessIDSet& allowedOwnerPIDs) const;
    // The front-most window of at least 80 x 60 whose display title is the one given.
    std::optional<std::uint32_t> cgWindowID(std::string_view matchingDisplayTitle,
                                            const ProcessIDSet& allowedOwnerPIDs) const;
    // The front-most on-screen window of the item's processes whose sides are at least `minimumSize`.
    std::optional<std::uint32_t> frontmostCGWindowID(const DockItem& item, double minimumSize) const;
    // Whether a Chromium-family browser (with its web apps) or a web app shows a window in full screen.
    bool chromiumFullscreenExists(const DockItem& item) const;
    // Whether the item's window list may come from the window server alone: always for browsers and
    // their web apps, else when no instance has an Accessibility window.
    bool allowsCGOnlyWindowListWhenAXDescriptorsEmpty(const DockItem& item) const;

    // --- The item's processes (see DockItemWindowHost) ---

    std::vector<RunningApplication> runningApps(const DockItem& item) const {
        return host_.runningApps(item);
    }
    ProcessIDSet processIDs(const DockItem& item) const { return host_.processIDs(item); }

    // --- Live descriptors ---

    // The item's user windows straight from Accessibility, hidden and minimized ones left out, in
    // activation order.
    std::vector<WindowDescriptor> liveUserWindowDescriptors(const DockItem& item) const;
    // The windows of a list that activation can bring forward, in activation order: on screen, or
    // waiting on another Space of their display; windows without a number need a frame of at least
    // 80 x 60. For a Chromium-family browser, also only the browser's own windows or sizeable ones.
    std::vector<WindowDescriptor> activatableWindowsForDockActivate(
        const std::vector<WindowDescriptor>& windows, const DockItem& host) const;

    const DockItemWindowHost& host() const { return host_; }
    const WindowServerQueries& queries() const { return queries_; }

  private:
    std::vector<WindowDescriptor> userWindowDescriptors(const DockItem& item) const;
    bool isPhantomAXWindow(const AXElement& window, const ProcessIDSet& allowedOwnerPIDs) const;
    std::vector<AXElement> includedWindows(const RunningApplication& application,
                                           const std::optional<std::string>& bundleID,
                                           const ProcessIDSet& allowedOwnerPIDs) const;
    std::optional<AXElement> findAXWindow(const std::optional<std::string>& hostBundleID,
                                          std::uint32_t cgWindowID,
                                          const ProcessIDSet& allowedOwnerPIDs) const;
    std::optional<RunningApplication> runningApplication(std::int32_t processID) const;
    std::optional<std::uint32_t> ownedNumber(std::optional<std::uint32_t> number,
                                             const ProcessIDSet& allowed) const;

    WindowPlatform platform_;
    ScreenSupport screens_;
    WindowServerQueries queries_;
    WindowSpaceSupport spaces_;
    DockItemWindowHost host_;
};

// 10000 for a window number, 1000 for a title, and the frame's area up to 80000.
std::int64_t windowActivationRank(const WindowDescriptor& window);
// Highest rank first; equal ranks keep their order.
std::vector<WindowDescriptor> rankedWindowDescriptorsForActivation(std::vector<WindowDescriptor> windows);

}  // namespace tavelin
