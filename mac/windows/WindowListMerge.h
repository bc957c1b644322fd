#pragma once

// The window list's two views of an application's windows made one: descriptors of the window server's
// windows, the Accessibility descriptors joined to them (by number, then by frame, then by title), the
// window server's other real windows added after them, and three kinds of phantom entries removed
// (blank captures among windows of one title, untitled companions of a full-screen window, windows
// neither on screen nor parked on a Space that is not showing). Drops are written to the window-actions
// log as "windowList ..." lines, a missing bundle identifier as "-".
//
// Stateless: every call reads the Spaces and the screens afresh, also for each window it tests, and the
// window list through its window-server queries (live, or those of one pass: see WindowServerQueries).
// Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/ScreenSupport.h"
#include "mac/windows/WindowPlatform.h"
#include "mac/windows/WindowServerQueries.h"
#include "mac/windows/WindowSpaceSupport.h"
#include "protocol/DockItem.h"
#include "protocol/WindowDescriptor.h"

namespace tavelin {

class WindowListMerge {
  public:
    explicit WindowListMerge(const WindowPlatform& platform);
    WindowListMerge(const WindowPlatform& platform, const WindowServerQueries& queries);

    // Later entries whose window ID an earlier one has are left out.
    static std::vector<WindowDescriptor> dedupeDescriptors(std::vector<WindowDescriptor> windows);
    // The layer-0 windows of at least 80 x 60 of those processes, front to back, each number once.
    std::vector<WindowDescriptor> cgWindowDescriptors(const ProcessIDSet& allowedOwnerPIDs,
                                                      bool screenRecordingGranted) const;
    static WindowDescriptor combinedDescriptor(const WindowDescriptor& ax, const WindowDescriptor& cg,
                                               bool screenRecordingGranted);
    std::vector<WindowDescriptor> mergeCGWindowDescriptors(const DockItem& hostItem,
                                                           const ProcessIDSet& allowedOwnerPIDs,
                                                           std::vector<WindowDescriptor> axWindows,
                                                           const std::vector<WindowDescriptor>& cgWindows,
                                                           bool screenRecordingGranted) const;

    std::vector<WindowDescriptor> dropBlankDuplicateTitles(std::vector<WindowDescriptor> windows) const;
    std::vector<WindowDescriptor> dropFullscreenCompanionGhosts(std::vector<WindowDescriptor> windows,
                                                                bool relatedAppModeFullscreen) const;
    std::vector<WindowDescriptor> dropDescriptorsWithoutOnScreenUserWindow(std::vector<WindowDescriptor> windows,
                                                                           const DockItem& hostItem) const;

    // On screen now, or on a Space its display is not showing. A window without a primary Space is
    // neither; when the Spaces cannot be read, or its display shows none, it counts as parked.
    bool isOnScreenOrParked(std::uint32_t windowNumber) const;

  private:
    bool keepsLeftover(const WindowDescriptor& window) const;
    bool isBlankCapture(const WindowDescriptor& window) const;
    bool isRelevantCandidate(const DockItem& hostItem, const ProcessIDSet& allowedOwnerPIDs,
                             AXWindowSupport::WindowsByNumber& axWindows, std::uint32_t windowNumber) const;
    std::optional<ScreenID> screenID(const std::optional<WindowFrame>& frame) const;
    void log(const std::string& line) const { platform_.actionLog.append(line); }

    WindowPlatform platform_;
    ScreenSupport screens_;
    WindowServerQueries queries_;
    WindowSpaceSupport spaces_;
    AXWindowSupport ax_;
};

// How a bundle identifier is written in the "windowList" lines: "-" when missing or empty.
std::string bundleText(const std::optional<std::string>& bundleID);

}  // namespace tavelin
