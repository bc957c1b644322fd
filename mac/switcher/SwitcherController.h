#pragma once

// The one controller of the switcher: made once at start-up, it lives for the process. It opens the
// floating panel over the current Dock snapshot on the chosen screen, sized to its grid with the right
// cell selected, follows new snapshots and the pointer's screen while the panel is open, and closes it
// again, by request or by itself (30 s idle, the panel losing the keyboard, another application coming
// to the front, a change of displays or Space, sleep). It also runs the overlays that hang from the
// panel's cells: the folder popover, the dock-anchored menu (context rows or a windows list) and the
// window popover, and it carries out what the user confirms: the selection's action, a window command
// of a windows list, a quit from a cell's menu (watched, with a force quit offered after 8 s).
//
// Each opening builds a new panel, host view, navigator and delegate, and each closing tears them all
// down; only the controller, its overlay controllers, its snapshot subscription and the icon size
// (kept in the user defaults) live across openings.
//
//     auto switcher = SwitcherController::make(services, platform);
//     switcher->openPanel(true);   // the selection after the active application
//     switcher->close(true);
//
// Main thread only. Every handler it gives away holds it weakly and does nothing once it is gone.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dockmodel/DockAction.h"
#include "dockmodel/DockNavigator.h"
#include "mac/settings/AppSettings.h"
#include "mac/switcher/SwitcherCellContextMenuModifier.h"
#include "mac/switcher/SwitcherDockAnchoredMenuController.h"
#include "mac/switcher/SwitcherFolderPopoverController.h"
#include "mac/switcher/SwitcherGridLayout.h"
#include "mac/switcher/SwitcherPanel.h"
#include "mac/switcher/SwitcherWindowPopoverController.h"
#include "mac/switcher/TriggerSwitcher.h"
#include "mac/switcher/views/SwitcherDockLayout.h"
#include "mac/switcher/views/SwitcherHostView.h"
#include "platform/AppWindows.h"
#include "platform/Application.h"
#include "platform/EventMonitors.h"
#include "platform/ItemProvider.h"
#include "platform/Screens.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "protocol/Command.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/Identifiers.h"
#include "runtime/NotificationCenter.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Scheduler.h"
#include "runtime/Task.h"
#include "runtime/WindowActionLog.h"

namespace tavelin {

class Alerts;
class CommandExecutor;
class DockDropHandler;
class DockStateService;
class EventMonitors;
class FileSystem;
class FolderService;
class IconService;
class PermissionsService;
class ProcessIDSet;
class WindowServer;
class ReferenceScreenPin;
class WindowActionDisplayResolver;
class WindowActionService;
class WindowListService;
class SwitcherSearchField;
class TextInput;

namespace ui {
class TextMeasurer;
}

class SwitcherController : public ObservableObject,
                           public TriggerSwitcher,
                           public std::enable_shared_from_this<SwitcherController> {
  public:
    struct Services {
        AppSettings& settings;
        std::shared_ptr<DockStateService> dockState;
        const FolderService& folders;
        IconService& icons;
        std::shared_ptr<WindowListService> windowList;
        std::shared_ptr<PermissionsService> permissions;
        const DockDropHandler& drops;
        // Application commands and Dock-like activation, on the platform they run on.
        const CommandExecutor& executor;
        // The window-action pipeline, and its display resolver (the same one), which a pin may outlive.
        const WindowActionService& windowActions;
        std::shared_ptr<WindowActionDisplayResolver> displayResolver;
    };

    struct Platform {
        AppWindows& windows;
        Application& application;
        Workspace& workspace;
        const Screens& screens;
        UserDefaults& standardDefaults;
        NotificationCenter& defaultCenter;
        Scheduler& scheduler;
        WindowActionLog& windowActionLog;
        const ui::TextMeasurer& textMeasurer;
        EventMonitors& eventMonitors;
        TextInput& textInput;
        const FileSystem& files;
        // Where the folder search lists folders, off the main thread, at utility priority.
        Queue& utilityQueue;
        // The force-quit question.
        Alerts& alerts;
    };

    using CellAnchors = std::unordered_map<CellPath, Rect>;
    using ContentMode = SwitcherDockAnchoredMenuModel::ContentMode;

    static constexpr double minPanelIconSize = 48;
    static constexpr double maxPanelIconSize = 112;
    static constexpr double defaultPanelIconSize = 72;
    static constexpr double panelHorizontalChrome = SwitcherPanelGeometry::kHorizontalChrome;
    static constexpr double panelVerticalChrome = SwitcherPanelGeometry::kVerticalChrome;
    static constexpr std::string_view kPanelIconSizeKey = "switcher.panelIconSize";
    static constexpr std::string_view kFinderBundleID = "com.apple.finder";
    static constexpr Duration kIdleTimeout = std::chrono::seconds(30);
    static constexpr Duration kSelectionDwell = std::chrono::milliseconds(500);
    static constexpr std::string_view kIdleCloseLogLine = "switcher idleTimer close 30s";
    static constexpr std::string_view kFolderSearchQueueLabel = "jp.fenwold.lomaret.switcher.folder-search";

    // Reads the saved icon size and follows the Dock snapshot from its next value on.
    static std::shared_ptr<SwitcherController> make(Services services, Platform platform);
    SwitcherController(const SwitcherController&) = delete;
    SwitcherController& operator=(const SwitcherController&) = delete;
    ~SwitcherController();

    // --- Opening and closing ---

    // Does nothing while a panel is open.
    void openPanel(bool selectNextAfterActive);
    // Does nothing while no panel is open.
    void close(bool discardState) override;
    bool isOpen() const { return panel_ != nullptr; }

    // onPanelOpenChanged (TriggerSwitcher) is told at the end of every opening (true) and at the start
    // of every closing (false); onTriggerSessionArmedChanged false during every closing, and otherwise
    // as the trigger session arms and disarms.

    // --- Published for the panel's views ---

    Published<std::shared_ptr<DockNavigator>> navigator{*this};
    Published<std::string> filterText{*this};
    Published<std::string> folderFilterText{*this};
    Published<std::string> windowsFilterText{*this};
    Published<std::int64_t> uiTick{*this, 0};
    Published<double> panelIconSize{*this, defaultPanelIconSize};
    Published<double> panelLabelMaxWidth{*this, 800};
    Published<double> panelGridInnerWidth{*this, 0};
    Published<std::optional<CellPath>> dropHighlightPath{*this};

    // Every assignment of the three search texts goes through these.
    void setFilterText(std::string text);
    void setFolderFilterText(std::string text);
    void setWindowsFilterText(std::string text);

    // --- Search: typed text filters the surface under the pointer ---

    enum class SearchSurface { main, folder, windows };
    enum class SearchKeyRoute { searchField, panel };

    SearchSurface searchSurfaceUnderMouse() const;
    std::string activeSearchText() const;
    void appendSearchText(std::string_view text);
    // Removes the last grapheme cluster of the text under the pointer; false when it was empty.
    bool deleteSearchCharacter();
    // What a key-down adds to a search; none for a key that types nothing printable.
    static std::optional<std::string> searchCharacters(const InputEvent& event);
    SearchKeyRoute searchKeyRoute(const InputEvent& event) const;
    void prepareSearchFieldForInput();
    void ensureSearchFieldFocus();
    // The search field reports its whole text; reports are applied once per main-queue turn.
    void noteSearchFieldText(const std::string& text);
    void applySearchFieldText(const std::string& text, std::optional<SearchSurface> surface);
    void positionSearchField();
    void dismissWindowsListBecauseSearchBegan();
    // Looks for the search text in the Dock's folders and adds the hits to the panel's result.
    void scheduleDockFolderSearch();
    const std::shared_ptr<SwitcherSearchField>& searchField() const { return searchField_; }
    const TaskHandle& folderSearchTask() const { return folderSearchTask_; }

    // --- Input while the panel is open ---

    // Installs the five event monitors.
    void startLocalMonitor();
    // The key handler: the event to pass on, or none to consume it.
    std::optional<InputEvent> handlePanelEvent(const InputEvent& event);
    void installSearchField(SwitcherPanel& panel);
    // Pinch: grows or shrinks the icons by the factor.
    void applyMagnification(double magnification);
    // Whether a scroll event steps the selection, and which way (true: the next cell).
    std::optional<bool> wheelStepDirection(const InputEvent& event);
    // The trigger's modifiers are all held (globally), or its mouse button is.
    bool triggerHeld() const;
    // The screen rectangle for the input method's candidate window.
    Rect compositionRect() const;
    double lastDiscreteWheelAt = 0;  // seconds of uptime
    bool wheelConsumedThisGesture = false;

    // --- The panel ---

    SwitcherPanel* panel() { return panel_.get(); }
    const std::shared_ptr<SwitcherHostView>& panelHost() const { return panelHost_; }
    const std::optional<ScreenID>& lastFollowedScreenID() const { return lastFollowedScreenID_; }
    // The root view reports where each cell is drawn (host view coordinates: origin at the top left, y
    // downwards); the open overlays follow.
    void cellAnchorsChanged(CellAnchors anchors);
    const CellAnchors& cellAnchors() const { return cellAnchors_; }

    // The screen the panel opens on, by the target-screen setting.
    std::optional<Screen> targetScreen() const;
    // The first screen whose frame holds the pointer; none off every screen.
    std::optional<Screen> screenUnderMouse() const;

    // --- Geometry ---

    // Sizes the panel to its grid and the selected label; the place is the caller's.
    void fitPanelToContent();
    // After a selection change: fit, re-centre (not while the search shows marked text), re-anchor the
    // overlays.
    void syncPanelLayoutToSelection();
    // On a mouse move: the panel goes to the pointer's screen when that is a new one.
    void followPanelToMouseScreenIfNeeded();
    static std::optional<std::string> title(CellPath path, const DockPresentation& presentation);
    double measuredSelectedLabelInnerWidth(std::string_view text) const;
    // The cell whose recorded rectangle holds the point of the host view.
    std::optional<CellPath> cellPath(Point hostPoint) const;

    // --- The selection ---

    std::optional<DockItem> selectedDockItem() const;
    std::optional<DockPresentation::Cell> cell(CellPath path) const;
    std::optional<CellPath> pathFor(const ItemID& id) const;
    void selectPath(CellPath path);

    // --- Activating the selection (SwitcherControllerActivation.cpp) ---

    // Carries out one action on the item as the current snapshot has it now (the first with that item
    // ID); `closeAfter` closes the panel when done, except for the actions that leave it open (opening a
    // folder popover, hide, unhide, quit, force quit). Main thread; never suspends.
    void perform(const DockAction& action, bool closeAfter);
    // A click on a cell: the folder popover goes, the cell is selected and its action performed,
    // closing the panel.
    void selectAndActivate(CellPath path);
    // Launches or activates the item, or opens `openPath` like the Dock; when the reference display is
    // wanted (the setting, inverted while Shift is held), the panel's display is pinned, the panel
    // closes and a hand-off brings the application's first window there.
    void activateDockItemWithDisplayPolicy(const DockItem& item, bool closeAfter,
                                           std::optional<std::string> openPath);
    // Cancels the running hand-off and starts `operation` as the new one, a later main-queue turn, as a
    // cooperatively cancelled task: cancelled before it starts, the operation is dropped unstarted (its
    // parameters, a display pin among them, are released); once started it runs to its end.
    void startActivationHandoff(Task<void> operation);
    // The running hand-off, none when there is none.
    bool hasActivationHandoff() const { return static_cast<bool>(activationHandoffTask_); }

    // --- Window commands from the panel (SwitcherControllerWindowCommands.cpp) ---

    // Runs one window command of the item's windows list or window action menu: pins the panel's display
    // as the reference display, closes the panel for a window command, re-targets an activation at a
    // fresh window list and hands the command to the window-action pipeline. Main thread; suspends.
    Task<CommandResultPayload> performWindowCommand(Command command, DockItem item);
    // An activation re-targeted at the item's current windows: the same window, else one with its title
    // (and frame, within 3 points), else the unique one with its title; unchanged for other commands.
    Task<Command> refreshedWindowActivateCommand(Command command, DockItem item);
    // The screen holding the panel's centre, else the one under the pointer, else the first (or main).
    std::optional<Screen> referenceScreenForWindowMove() const;
    // A window of the item's windows list chosen: its activation by the panel's window command, to be
    // awaited.
    Task<void> activateListedWindow(const DockItem& item, const WindowDescriptor& window);
    // A command of that kind for the window of the item, as the panel sends it: the current Dock
    // generation, a new nonce, the window's revision and the list generation it was read from.
    Command windowCommand(CommandKind kind, const DockItem& item, const WindowDescriptor& window,
                          std::optional<std::int64_t> listGeneration) const;
    // The activation of a window of the shown windows list.
    Command listedWindowActivation(const DockItem& item, const WindowDescriptor& window) const;

    // --- Quit and force quit (SwitcherControllerQuit.cpp) ---

    // Asks the item's first running instance to quit and watches it: still running 8 s later, the user is
    // offered a force quit. A second quit of the item restarts its watch.
    void quitAppFromContextMenu(const DockItem& item);
    // Asks whether to force quit; on consent, force quits the process only while it is still the one
    // that was asked to quit (same ID, bundle ID and launch time).
    void presentForceQuitAlert(const std::string& displayName, std::int32_t processID,
                               const std::optional<std::string>& bundleID, std::optional<double> launchTime);
    bool hasQuitWatch(const ItemID& itemID) const { return quitWatchTasks_.contains(itemID); }
    // A row of a cell's context menu chosen: its action with the panel left open; the quit row quits
    // and watches.
    void runContextMenuRow(const MenuActionHolder& row);

    // --- The panel's views ---

    // The cell's icon: the icon service's 128-pixel picture of the item or child, asked for again when
    // the cell's icon token changes (the Trash's follows its state) and decoded only when the picture is
    // new; none for a spacer or a picture that does not decode.
    std::optional<ui::Image> iconImage(const DockPresentation::Cell& cell);
    // The grid's cell views of its last layout, which the grid reuses while they would come out the same.
    SwitcherDockLayout::BuiltCells& panelCellViews() { return panelCellViews_; }
    // Lays the panel's views out again in the host's frame, in the panel's appearance and the user's
    // reduce-motion choice. Runs a main-queue turn after any published change while the panel is open.
    void updatePanelHost();

    // --- Drops onto cells ---

    // Raises uiTick when the highlight changes.
    void setDropHighlight(std::optional<CellPath> path);
    // The drop onto an application, folder or Trash cell: files from the drag pasteboard, or else loaded
    // from the drag's items, are handed to the drop handler on a later turn. False when refused at once.
    bool acceptDroppedFiles(std::vector<std::shared_ptr<const ItemProvider>> providers, CellPath path,
                            const DockPresentation::Cell& cell);
    const DockDropHandler& dropHandler() const { return services_.drops; }
    // The Option key is held now.
    bool optionKeyHeld() const;

    // --- Self-closing ---

    // Restarts the 30 s idle close.
    void resetIdleTimer();

    // --- The overlays ---

    SwitcherFolderPopoverController& folderPopover() { return folderPopover_; }
    SwitcherWindowPopoverController& windowPopover() { return windowPopover_; }
    SwitcherDockAnchoredMenuController& dockAnchoredMenu() { return dockAnchoredMenu_; }

    void presentDockAnchoredMenu(const DockItem& item, CellPath path, ContentMode contentMode,
                                 std::optional<WindowListSnapshot> prefetchedSnapshot);
    // A windows list fetched for the menu arrives: it is shown only when no newer presentation or search
    // began since.
    void applyFetchedWindowList(const DockItem& item, std::int64_t fetchEpoch, WindowListSnapshot snapshot);
    void presentDockContextMenu(const DockItem& item, CellPath path, const InputEvent& event);
    void presentFolder(const DockItem& item, CellPath path, bool focusInside);
    void scheduleSelectionDwellOverlay();
    void enterFolderFocusFromTop();
    void cycleFolderFocus(bool next);
    void activateFolderFocus();
    void folderNavigateBack();
    void repositionOpenOverlays();
    void dismissSubDisplaysFromEmptyClick();
    void dismissSubDisplaysIfLeaving(CellPath path);
    void hoverCell(CellPath path, const DockPresentation::Cell& cell);
    void hoverCellEnded(CellPath path);

    // Folder popover state.
    const std::vector<FolderSnapshot>& folderStack() const { return folderStack_; }
    const std::optional<DockItem>& folderDockItem() const { return folderDockItem_; }
    const std::optional<std::int64_t>& folderFocusIndex() const { return folderFocusIndex_; }
    const std::optional<CellPath>& folderAnchorPath() const { return folderAnchorPath_; }
    bool folderPresentPending() const { return folderPresentPending_; }
    const std::vector<MenuActionHolder>& contextMenuActionHolders() const {
        return contextMenuActionHolders_;
    }

    // Overlay and hover state.
    std::optional<CellPath> dockMenuHoverPath;
    std::optional<CellPath> dockMenuHoverTargetPath;
    bool dockMenuPointerInPopover = false;
    std::int64_t windowsFetchEpoch = 0;
    bool overlayOpenedFromKeyboard = false;

    // Trigger session state, reset by every closing.
    double panelBecameVisibleUptime = 0;  // seconds of system uptime; 0 while closed
    bool releasedBeforePanelShown = false;
    bool triggerModifiersEngaged = false;
    bool modifierReleaseHandled = false;
    bool autoModePanelRetained = false;
    bool triggerMouseButtonHeld = false;
    bool retainConfirmArmed = false;

    // --- The hold-and-release session (SwitcherControllerTrigger.cpp) ---
    //
    // Hold the trigger's modifiers (or its mouse button), press the key (or the button) to open and to
    // step, let go to confirm; after-release mode says what a release does instead: auto keeps a panel
    // let go of within 0.3 s of its showing (armed: bare Tab steps, the middle button confirms, the
    // wheel steps), hold and search keep it, focus always confirms. Holding the chord again on a kept
    // panel starts a hold whose release confirms (search excepted).

    // A trigger press: opens the panel (a key on the entry after the active application, the mouse
    // button on it) or steps the selection, or the focus of an open folder popover or windows list.
    void triggerTab(bool shift, bool fromKey) override;
    void handleModifierRelease();
    void beginRetainedTriggerSessionIfNeeded();
    void handleTriggerMouseDown(std::int64_t button) override;
    void handleTriggerMouseUp(std::int64_t button) override;
    // The pointer is over the folder popover or the windows list, which then scroll instead.
    bool wheelShouldScrollOnly() override;
    void applyWheelStep(bool next) override;

    // --- Confirm and the held letters (SwitcherControllerHeldCommands.cpp) ---

    // The focused folder child, else the focused window of the windows list, else the selected cell.
    void confirmCurrentSelection();
    // While the trigger is held, on an application: H hides, Q quits, W closes and M minimises a window;
    // the panel stays open. True when the key was taken.
    bool handleHeldModifierLetter(std::int64_t keyCode);
    // The window the letters act on without a focused window: the first of the snapshot's windows that
    // are not minimised (of all of them when every one is) to come first in the window server's
    // on-screen order among the item's processes; else the first of them.
    static std::optional<WindowDescriptor> frontmostWindow(const WindowListSnapshot& snapshot,
                                                           const ProcessIDSet& processes,
                                                           const WindowServer& windowServer);

  private:
    struct Private {};

  public:
    SwitcherController(Private, Services services, Platform platform);

  private:
    class PanelDelegate;

    void subscribeToSnapshots();
    void refreshOpenPanel(const std::optional<DockSnapshot>& snapshot);
    void applyTheme();
    void centreInTargetScreen();
    void startPanelDismissObservers();
    void stopPanelDismissObservers();
    // Queues a main-queue turn that closes the panel if one is still open then.
    void closeSoon();
    void resignKeyRule();
    // A cell's rectangle in screen coordinates, once the root view has reported it.
    std::optional<Rect> screenRect(CellPath path) const;
    void showFolderPopover();
    static Task<void> fetchWindowList(std::weak_ptr<SwitcherController> weak, DockItem item,
                                      std::int64_t epoch);
    void cancelKeyboardDwell();
    std::shared_ptr<SwitcherHostView> makePanelHost();

    static Task<std::vector<std::string>> loadFileURLs(std::vector<std::shared_ptr<const ItemProvider>> providers);
    static Task<std::optional<std::string>> loadFileURL(std::shared_ptr<const ItemProvider> provider);
    static Task<void> finishDroppedFiles(std::weak_ptr<SwitcherController> weak, std::vector<std::string> urls,
                                         DockItem item);
    static Task<void> loadAndFinishDroppedFiles(std::weak_ptr<SwitcherController> weak,
                                                std::vector<std::shared_ptr<const ItemProvider>> providers,
                                                DockItem item);

    // Input (SwitcherControllerInput.cpp).
    void removeMonitors();
    void handleOutsideClick(const InputEvent& event);
    std::optional<InputEvent> handleRightClickMonitorEvent(const InputEvent& event);
    std::optional<InputEvent> handlePanelInteraction(const InputEvent& event);
    // The key table; false when no row takes the key (every row consumes it).
    bool applyKeyTable(const InputEvent& event, bool held);
    void moveArrow(std::int64_t keyCode);
    void closeOverlaysFromKeyboard();
    std::optional<CellPath> hitCell(const InputEvent& event) const;
    // The middle button on the panel; none when it passes.
    std::optional<InputEvent> handleMiddleButtonOnPanel(const InputEvent& event);

    // The trigger session (SwitcherControllerTrigger.cpp).
    void finishAutoTriggerAfterOpen();
    void handleTriggerModifierFlagsChanged(const InputEvent& event);
    // Every modifier of the trigger is in the flags.
    bool triggerModifiersHeld(std::uint64_t flags) const;
    // After the selection moved: redraw, refit and restart the dwell.
    void selectionStepped();

    // Held letters (SwitcherControllerHeldCommands.cpp). The window tasks read the focused window when
    // they start and leave the panel open.
    struct WindowTarget {
        WindowDescriptor window;
        std::int64_t generation = 0;  // of the window list it was read from
    };
    void quitSelectedAppKeepPanel(const DockItem& item);
    std::optional<WindowTarget> focusedWindowTarget() const;
    static Task<void> hideFrontOrFocused(std::weak_ptr<SwitcherController> weak, DockItem item);
    static Task<void> commandFrontOrFocusedWindow(std::weak_ptr<SwitcherController> weak, CommandKind kind,
                                                  DockItem item);
    static Task<std::optional<WindowTarget>> resolvedWindowTarget(std::weak_ptr<SwitcherController> weak,
                                                                  DockItem item);
    static Task<void> activateFocusedWindowThenClose(std::weak_ptr<SwitcherController> weak, DockItem item);
    static Task<CommandResultPayload> performWindowCommandKeepingPanel(std::weak_ptr<SwitcherController> weak,
                                                                       CommandKind kind, DockItem item,
                                                                       WindowDescriptor window,
                                                                       std::int64_t generation);

    // Search (SwitcherControllerSearch.cpp).
    std::string searchTextOf(SearchSurface surface) const;
    void setSearchText(SearchSurface surface, std::string text);
    void filterTextChanged(const std::string& old);
    bool isComposing() const;

    static Task<void> runFolderSearch(std::weak_ptr<SwitcherController> weak,
                                      std::vector<DockNavigator::SearchableFolder> jobs, std::string text,
                                      Queue& utilityQueue, const FileSystem& files);

    // Activation, window commands and quit (SwitcherControllerActivation.cpp and the two beside it).
    // A task the controller keeps, with an identity: a task that ends clears its own entry only while the
    // entry still holds it, never a newer one's. The handle does not own the task's frame.
    struct KeptTask {
        std::uint64_t serial = 0;
        TaskHandle handle;
        explicit operator bool() const { return serial != 0; }
    };
    std::uint64_t nextTaskSerial() { return ++taskSerial_; }
    // The first item of the current snapshot with that ID.
    std::optional<DockItem> currentItem(const ItemID& id) const;
    static Task<void> referenceDisplayHandoff(std::weak_ptr<SwitcherController> weak, DockItem item,
                                              std::optional<std::string> openPath, ReferenceScreenPin pin);
    static Task<CommandResultPayload> runWindowCommand(std::weak_ptr<SwitcherController> weak, Command command,
                                                       DockItem item);
    static Task<Command> refreshActivation(std::weak_ptr<SwitcherController> weak, Command command, DockItem item);
    static Task<void> runActivationHandoff(std::weak_ptr<SwitcherController> weak, std::uint64_t serial,
                                           Task<void> operation);
    static Task<void> quitWatch(std::weak_ptr<SwitcherController> weak, std::uint64_t serial, ItemID itemID,
                                std::int32_t processID, std::optional<double> launchTime,
                                std::optional<std::string> bundleID, std::string displayName);

    Services services_;
    Platform platform_;

    KeptTask activationHandoffTask_;
    std::unordered_map<ItemID, KeptTask> quitWatchTasks_;
    std::uint64_t taskSerial_ = 0;

    SwitcherFolderPopoverController folderPopover_;
    SwitcherWindowPopoverController windowPopover_;
    SwitcherDockAnchoredMenuController dockAnchoredMenu_;

    std::unique_ptr<SwitcherPanel> panel_;
    std::unique_ptr<PanelDelegate> panelDelegate_;
    std::shared_ptr<SwitcherHostView> panelHost_;
    CellAnchors cellAnchors_;
    std::optional<ScreenID> lastFollowedScreenID_;

    std::vector<FolderSnapshot> folderStack_;
    std::optional<DockItem> folderDockItem_;
    std::optional<std::int64_t> folderFocusIndex_;
    std::optional<CellPath> folderAnchorPath_;
    bool folderPresentPending_ = false;
    std::vector<MenuActionHolder> contextMenuActionHolders_;
    // An icon as the icon service gave it (shared with its cache), what it decoded to, and the token
    // of the cell that asked.
    struct DecodedIcon {
        std::optional<IconToken> token;
        std::shared_ptr<const Bytes> png;
        std::optional<ui::Image> image;
    };
    // Icons decoded during this opening, by icon source; those of the last opening are decoded again
    // only when their picture changed.
    std::unordered_map<std::string, DecodedIcon> openingIcons_;
    std::unordered_map<std::string, DecodedIcon> lastOpeningIcons_;
    SwitcherDockLayout::BuiltCells panelCellViews_;
    bool panelHostUpdateQueued_ = false;
    Subscription panelHostRefresh_;

    std::shared_ptr<SwitcherSearchField> searchField_;
    bool searchFieldUpdating_ = false;
    bool searchPublishScheduled_ = false;
    std::optional<std::string> queuedSearchText_;
    std::optional<SearchSurface> queuedSearchSurface_;
    TaskHandle folderSearchTask_;

    EventMonitorToken localMonitor_;
    EventMonitorToken globalMouseMonitor_;
    EventMonitorToken magnifyMonitor_;
    EventMonitorToken rightClickMonitor_;
    EventMonitorToken panelInteractionMonitor_;

    WorkItem idleTimer_;
    WorkItem keyboardDwellTask_;
    std::vector<ObserverToken> panelDismissObservers_;
    std::vector<Subscription> cancellables_;
};

}  // namespace tavelin
