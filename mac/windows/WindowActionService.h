#pragma once

// The window-action pipeline of the switcher and the paired devices: one entry (perform) for the eight
// window commands, which checks the command against the Accessibility permission and the window list
// the requester saw, finds the live window (waiting a little for one that is still appearing, falling
// back on the window server or the application alone), and closes, hides, minimises, maximises, tiles,
// toggles full screen, moves or activates it across Spaces and displays. Every decision leaves a line
// in the window-actions log.
//
// A value holding what every action needs (the window list service, the settings, the display resolver,
// the platform and the pointer animator), with no state of its own; held by the service container and
// copied to its users; the value a call was made on must outlive the call. Main thread only. The per-kind operations block it for their short waits
// (sleepBlocking: the world goes on, queued work does not); perform suspends at its two hops to the
// list service and during its 80 ms retries, when other main-queue work runs. perform may run in a
// cooperatively cancelled task: its retry sleeps then end at once and count as elapsed.
//
// Results: success without process facts, or failure: permissionDenied("accessibility"),
// staleWindowRevision, notFound, or unavailable with a short reason ("close unsupported", "move failed").

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "mac/settings/AppSettings.h"
#include "mac/windows/AppCommandPlatform.h"
#include "mac/windows/PointerAnimator.h"
#include "mac/windows/WindowActionDisplayResolver.h"
#include "mac/windows/WindowListService.h"
#include "protocol/Command.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/DockItem.h"
#include "protocol/WindowDescriptor.h"
#include "runtime/Task.h"

namespace tavelin {

class WindowActionService {
  public:
    // The pause after a window moved to another display, and its shorter form under reduced motion.
    static constexpr Duration kMovePause = std::chrono::milliseconds(220);
    static constexpr Duration kReducedMotionMovePause = std::chrono::milliseconds(50);
    // How long perform waits, and how often, for a window that is still appearing.
    static constexpr Duration kRetryPause = std::chrono::milliseconds(80);
    static constexpr int kRetries = 12;
    // How often the window-server-only activation looks again for the element, to move the window.
    static constexpr int kCGOnlyPolls = 8;

    WindowActionService(std::shared_ptr<WindowListService> listService, AppSettings& settings,
                        std::shared_ptr<WindowActionDisplayResolver> displayResolver,
                        const AppCommandPlatform& platform, std::shared_ptr<PointerAnimator> pointer)
        : listService_(std::move(listService)),
          settings_(&settings),
          displayResolver_(std::move(displayResolver)),
          platform_(platform),
          pointer_(std::move(pointer)) {}

    WindowListService& listService() const { return *listService_; }
    AppSettings& settings() const { return *settings_; }
    WindowActionDisplayResolver& displayResolver() const { return *displayResolver_; }

    // --- The pipeline ---

    // The command's kind, window ID, expected list generation, tile kind and target screen are read;
    // the item's ID, bundle ID and hidden flag. `moveToReferenceDisplayOnActivate` none: the setting
    // decides. Any kind other than the eight window kinds: notFound.
    Task<CommandResultPayload> perform(Command command, DockItem item, bool fromRemote,
                                       std::optional<bool> moveToReferenceDisplayOnActivate) const;
    // The Accessibility window behind a descriptor: by the descriptor, then (with stale minimized state
    // allowed, for a window not minimized in it) as if minimized and by a unique title, then by its
    // number among the item's processes, then once more by the descriptor when the number's owner is one
    // of them.
    std::optional<AXElement> resolveAXWindow(const WindowDescriptor& descriptor, const DockItem& item,
                                             bool allowStaleMinimizedState) const;

    // --- Placement and state operations (the window's Accessibility element) ---

    CommandResultPayload close(const AXElement& window) const;
    CommandResultPayload minimize(const AXElement& window) const;
    // A toggle: in full screen it leaves it.
    CommandResultPayload fullScreen(const AXElement& window) const;
    // True when the window is not, or no longer, in full screen (at most 0.75 s of polling).
    bool exitFullScreenForActivate(const AXElement& window) const;
    // None when nothing had to be done or leaving succeeded.
    std::optional<CommandResultPayload> exitFullScreenIfNeeded(const AXElement& window,
                                                               const WindowDescriptor& descriptor) const;
    // On the screen with that ID; none or an unknown ID: the main screen. Always animated.
    CommandResultPayload maximize(const AXElement& window, const std::optional<ScreenID>& screenID,
                                  std::string_view windowLabel) const;
    CommandResultPayload tileWindow(const AXElement& window, WindowTileKind kind,
                                    const std::optional<ScreenID>& screenID, std::string_view windowLabel) const;
    // To the target; without one, to the screen after `current` in the system's order (cyclically).
    CommandResultPayload moveToScreen(const AXElement& window, const std::optional<ScreenID>& target,
                                      const std::optional<ScreenID>& current, std::string_view windowLabel) const;
    // Unhide, activate, window-server focus, raise: the front sequence after a placing operation.
    void bringWindowToFront(const AXElement& window, const RunningApplication& app, const DockItem& item,
                            const WindowDescriptor& descriptor, std::string_view windowLabel) const;

    // --- Activation ---

    CommandResultPayload activate(const AXElement& window, const RunningApplication& app, const DockItem& item,
                                  const WindowDescriptor& descriptor, bool moveToReference,
                                  const std::optional<ScreenID>& referenceDisplayScreenID,
                                  const std::optional<Screen>& referenceScreen) const;
    void unhideHiddenApplication(const RunningApplication& anchor, const DockItem& item,
                                 const WindowDescriptor& descriptor) const;
    void navigateSpacesForActivate(std::uint32_t cgID, const std::optional<AXElement>& axWindow,
                                   std::string_view windowLabel, const std::optional<ScreenID>& windowScreenID,
                                   bool isFullScreen, bool moveToReference,
                                   const std::optional<ScreenID>& referenceDisplayScreenID,
                                   const std::optional<Screen>& referenceScreen) const;
    void movePointerToActivatedWindowIfNeeded(bool didMoveWindowToReference, bool isFullScreen,
                                              const std::optional<AXElement>& axWindow,
                                              std::optional<std::uint32_t> cgID, std::string_view windowLabel) const;
    void finalizeActivateFrontmost(const std::optional<AXElement>& window, const RunningApplication& app,
                                   const DockItem& item, const WindowDescriptor& descriptor,
                                   std::string_view windowLabel) const;
    // After a Dock-style activation of the item: the pointer onto its front-most window of at least 160
    // points; false without one or without any frame.
    bool movePointerToFrontmostWindow(const DockItem& item) const;

  private:
    // Where an activation aims: the reference display, its screen, and whether the window moves there.
    struct ActivationReference {
        bool moveToReference = false;
        std::optional<ScreenID> screenID;
        std::optional<Screen> screen;
    };
    ActivationReference activationReference(const Command& command, std::optional<bool> moveRequested) const;

    // The window-server-only activation: no Accessibility element, a valid number with a known owner.
    Task<CommandResultPayload> activateWithoutAXWindow(std::uint32_t cgID, Command command, DockItem item,
                                                       RunningApplication app, WindowDescriptor descriptor,
                                                       std::optional<bool> moveRequested) const;
    Task<CommandResultPayload> moveWithoutAXWindow(const Command& command, const DockItem& item,
                                                   const RunningApplication& app,
                                                   const WindowDescriptor& descriptor) const;
    CommandResultPayload moveResolvedWindow(const AXElement& window, const ScreenID& target,
                                            const RunningApplication& app, const DockItem& item,
                                            const WindowDescriptor& descriptor) const;
    CommandResultPayload dispatch(const AXElement& window, const Command& command, const DockItem& item,
                                  const RunningApplication& app, const WindowDescriptor& descriptor,
                                  std::optional<bool> moveRequested) const;
    CommandResultPayload missingWindow(const Command& command, const WindowDescriptor& descriptor) const;

    // Maximise (no tile kind) or tile: restored first, then placed in the screen's visible frame, animated.
    CommandResultPayload setFrameOnScreen(const AXElement& window, std::optional<WindowTileKind> kind,
                                          const std::optional<ScreenID>& screenID, std::string_view windowLabel,
                                          std::string_view failure) const;
    // Unhide, activate, window-server focus, and "AXRaise" with an element; the reopen check without.
    void frontSequence(const std::optional<AXElement>& window, const RunningApplication& app, const DockItem& item,
                       const WindowDescriptor& descriptor, std::string_view windowLabel) const;
    // For an application whose windows have all gone: a web app without a front-most window of at least
    // 160 points, or another application without live user windows, is reopened.
    void reopenIfWindowless(const DockItem& item) const;
    // Descriptor, element (linked among the item's processes), title; `frontmost` adds the item's front-most
    // window of at least 160 points.
    std::optional<std::uint32_t> windowNumber(const std::optional<AXElement>& window, const DockItem& item,
                                              const WindowDescriptor& descriptor, bool frontmost) const;
    // The screen holding the element's frame, else the fallback.
    std::optional<ScreenID> windowScreen(const std::optional<AXElement>& window,
                                         const std::optional<ScreenID>& fallback) const;
    // A move from the window's screen to the reference, logged "<okLine> window=..." or
    // "<failedLine> window=... err=...".
    bool moveLogged(const AXElement& window, const ScreenID& reference, const std::optional<ScreenID>& current,
                    std::string_view windowLabel, std::string_view okLine, std::string_view failedLine) const;
    // The walk to the window's Space; see WindowActionSpaces.cpp for the screen it walks on.
    bool walkToWindowSpace(SpaceID space, const std::optional<Screen>& referenceScreen,
                           const std::optional<std::string>& windowDisplay) const;
    bool reducesMotion() const;
    void pause(Duration duration) const { platform_.windows.scheduler.sleepBlocking(duration); }
    void log(std::string_view line) const { platform_.windows.actionLog.append(line); }

    std::shared_ptr<WindowListService> listService_;
    AppSettings* settings_;
    std::shared_ptr<WindowActionDisplayResolver> displayResolver_;
    AppCommandPlatform platform_;
    std::shared_ptr<PointerAnimator> pointer_;
};

// "4711:Inbox": the window ID, ":" and the title.
std::string windowLabel(const WindowDescriptor& descriptor);
// How a failure is written after " err=": its case and its description, "unavailable(move failed)".
std::string describeResult(const CommandResultPayload& result);

}  // namespace tavelin
