#include "mac/switcher/SwitcherWindowPopoverController.h"

#include <algorithm>

namespace tavelin {

void SwitcherWindowPopoverController::close() {
    if (actionMenu_) actionMenu_->close();
    if (popover) popover->close();
    listCellFrames_.clear();
}

bool SwitcherWindowPopoverController::handleListRightMouseDown(const InputEvent& event, const AppPanel& panel) {
    if (!isShown()) return false;
    const auto hit = std::ranges::find_if(listCellFrames_,
                                          [&](const Rect& cell) { return mouseInRect(event.location, cell, true); });
    if (hit == listCellFrames_.end()) return false;
    if (!actionMenu_) actionMenu_ = windows_.makePopover();
    actionMenu_->show(Rect{event.location.x, hit->y, 0, 0}, panel);
    return true;
}

}  // namespace tavelin
