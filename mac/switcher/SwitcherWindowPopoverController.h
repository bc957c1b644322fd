#pragma once

// The window popover: a list of one application's windows in a popover, with the window action menu on
// a right click of a window. Made once by the switcher controller and reused for every panel; it holds
// its popover windows and the list's cell frames as its view reports them. Main thread.

#include <memory>
#include <vector>

#include "platform/AppWindows.h"
#include "platform/InputEvent.h"

namespace tavelin {

class SwitcherWindowPopoverController {
  public:
    explicit SwitcherWindowPopoverController(AppWindows& windows) : windows_(windows) {}
    SwitcherWindowPopoverController(const SwitcherWindowPopoverController&) = delete;
    SwitcherWindowPopoverController& operator=(const SwitcherWindowPopoverController&) = delete;

    // Closes the popover and its action menu.
    void close();
    bool isShown() const { return popover && popover->isShown(); }
    // Where the list draws each window (screen coordinates), as its view reports it.
    void setListCellFrames(std::vector<Rect> frames) { listCellFrames_ = std::move(frames); }
    // A right click on a listed window opens its action menu; true when taken.
    bool handleListRightMouseDown(const InputEvent& event, const AppPanel& panel);

    std::unique_ptr<AppPopover> popover;

  private:
    AppWindows& windows_;
    std::unique_ptr<AppPopover> actionMenu_;
    std::vector<Rect> listCellFrames_;
};

}  // namespace tavelin
