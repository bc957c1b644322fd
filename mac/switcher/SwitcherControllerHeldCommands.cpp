// Confirming whatever has the focus, and the letters that act on the selected application while the
// trigger is held: H hides, Q quits, W closes and M minimises a window. The letters keep the panel open
// and leave the trigger session as it is.

#include "mac/switcher/SwitcherController.h"
#include "mac/windows/CommandExecutor.h"

namespace tavelin {
namespace {

constexpr std::int64_t kQ = 12;

}  // namespace

void SwitcherController::confirmCurrentSelection() {
    if (folderPopover_.isShown()) {
        if (folderFocusIndex_) {
            activateFolderFocus();
        } else {
            enterFolderFocusFromTop();
        }
        return;
    }
    if (dockAnchoredMenu_.showsWindowsList() && dockAnchoredMenu_.model.focusedWindowIndex.value() >= 0) {
        if (const auto item = selectedDockItem()) {
            dockAnchoredMenu_.activateFocusedWindow(*item);
            close(true);
            return;
        }
    }
    const auto model = navigator.value();
    const auto action = model ? model->activate() : std::nullopt;
    if (action && performAction) performAction(*action, true);
}

bool SwitcherController::handleHeldModifierLetter(std::int64_t keyCode) {
    if (!triggerHeld()) return false;
    const auto item = selectedDockItem();
    if (!item || item->kind != DockItemKind::app) return false;
    switch (keyCode) {
        case kQ:
            quitSelectedAppKeepPanel(*item);
            return true;
        default:
            return false;
    }
}

void SwitcherController::quitSelectedAppKeepPanel(const DockItem& item) {
    if (!item.bundleID || item.bundleID->empty()) return;
    services_.executor.quitApp(*item.bundleID);
    closeOverlaysFromKeyboard();
    if (const auto model = navigator.value()) model->moveNext(false);
    selectionStepped();
}

}  // namespace tavelin
