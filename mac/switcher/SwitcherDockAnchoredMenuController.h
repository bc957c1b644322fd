#pragma once

// The menu that hangs under a panel cell: either the cell's context rows (contextOnly) or the windows
// list of a running application (windowsOnly), with a keyboard focus among the listed windows, its own
// search text and, on a right click of a window, the window action menu. Made once by the switcher
// controller and reused for every panel; it holds state and its popover windows (its views come with the
// panel's views, which report where each listed window is drawn). Main thread: a click's activation runs
// as a task on the main queue.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppWindows.h"
#include "platform/InputEvent.h"
#include "protocol/DockItem.h"
#include "protocol/WindowListSnapshot.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Queue.h"
#include "runtime/Task.h"

namespace tavelin {

class SwitcherDockAnchoredMenuModel : public ObservableObject {
  public:
    enum class ContentMode { contextOnly, windowsOnly };

    explicit SwitcherDockAnchoredMenuModel(const Queue& main) : ObservableObject(main) {}

    Published<ContentMode> contentMode{*this, ContentMode::contextOnly};
    Published<std::optional<ItemID>> presentedItemID{*this};
    Published<std::int64_t> focusedWindowIndex{*this, -1};
    Published<bool> windowActionMenuPointerInside{*this, false};
    Published<std::optional<WindowListSnapshot>> snapshot{*this};

    void reset();
};

class SwitcherDockAnchoredMenuController {
  public:
    using ContentMode = SwitcherDockAnchoredMenuModel::ContentMode;
    // Activates one window of a Dock item: the panel's window command, once the task is started.
    using WindowActivation = std::function<Task<void>(const DockItem& item, const WindowDescriptor& window)>;

    SwitcherDockAnchoredMenuController(AppWindows& windows, Queue& main) : model(main), windows_(windows), main_(main) {}
    SwitcherDockAnchoredMenuController(const SwitcherDockAnchoredMenuController&) = delete;
    SwitcherDockAnchoredMenuController& operator=(const SwitcherDockAnchoredMenuController&) = delete;

    // Shows the menu for the item under `anchor` (screen coordinates) of the panel, focus cleared.
    void present(const DockItem& item, ContentMode mode, std::optional<WindowListSnapshot> snapshot,
                 const Rect& anchor, const AppPanel& panel);
    void reanchor(const Rect& anchor, const AppPanel& panel);
    bool isShown() const { return popover && popover->isShown(); }
    bool showsWindowsList() const { return isShown() && model.contentMode.value() == ContentMode::windowsOnly; }

    void close();
    bool containsScreenPoint(Point point) const;

    // The listed windows whose title holds the filter text, in list order.
    std::vector<WindowDescriptor> displayedWindows() const;
    void setWindowFilter(std::string text);
    void enterWindowFocusFromTop();
    void moveWindowFocus(bool next);
    std::optional<WindowDescriptor> focusedWindow() const;
    // The activation of the window focused now, to be awaited; it ends when the window command has. Without
    // a focused window there is nothing to do.
    Task<void> activateFocusedWindow(const DockItem& dockItem);

    // Where the windows list draws each displayed window (screen coordinates), as its view reports it.
    void setWindowCellFrames(std::vector<Rect> frames) { windowCellFrames_ = std::move(frames); }
    bool handleWindowsListLeftMouseDown(const InputEvent& event, const DockItem& dockItem);
    bool handleWindowsListRightMouseDown(const InputEvent& event);
    bool windowActionMenuShown() const { return actionMenu_ && actionMenu_->isShown(); }

    void replaceWindowsSnapshotIfShowing(const DockItem& item, WindowListSnapshot snap);

    std::unique_ptr<AppPopover> popover;
    SwitcherDockAnchoredMenuModel model;
    std::function<void()> onDidClose;
    WindowActivation activateWindow;

  private:
    std::optional<std::size_t> windowCellAt(Point point) const;
    // The focus stays on the same window while it is listed.
    void keepFocus(const std::optional<WindowDescriptor>& focused);
    void resize();

    AppWindows& windows_;
    Queue& main_;
    std::unique_ptr<AppPopover> actionMenu_;
    const AppPanel* panel_ = nullptr;  // while shown
    std::string windowFilter_;
    std::vector<Rect> windowCellFrames_;
};

}  // namespace tavelin
