// The hold-and-release session: trigger presses open the panel and step it, the release confirms or
// keeps the panel by the after-release mode, the trigger mouse button does the same, and the wheel steps.

#include "mac/switcher/SwitcherController.h"

namespace tavelin {
namespace {

constexpr std::int64_t kMiddleButton = 2;
// In auto mode a release sooner than this after the panel showed keeps the panel.
constexpr Duration kQuickRelease = std::chrono::milliseconds(300);

}  // namespace

bool SwitcherController::triggerModifiersHeld(std::uint64_t flags) const {
    const auto mask = triggerModifierMasks(services_.settings.triggerModifiers.value()).eventFlags;
    return (flags & mask) == mask;
}

void SwitcherController::triggerTab(bool shift, bool fromKey) {
    if (!panel_) {
        modifierReleaseHandled = false;
        triggerModifiersEngaged = true;
        // A key starts on the entry after the active application, the mouse button on it.
        openPanel(fromKey);
        finishAutoTriggerAfterOpen();
        scheduleSelectionDwellOverlay();
        return;
    }
    const auto model = navigator.value();
    if (!model) return;
    if (folderPopover_.isShown() && folderFocusIndex_) {
        cycleFolderFocus(!shift);
        return;
    }
    if (dockAnchoredMenu_.showsWindowsList() && dockAnchoredMenu_.model.focusedWindowIndex.value() >= 0) {
        dockAnchoredMenu_.moveWindowFocus(!shift);
        uiTick = uiTick.value() + 1;
        return;
    }
    if (folderPopover_.isShown() || dockAnchoredMenu_.showsWindowsList()) closeOverlaysFromKeyboard();
    if (shift) {
        model->movePrevious(false);
    } else {
        model->moveNext(false);
    }
    selectionStepped();
}

void SwitcherController::selectionStepped() {
    uiTick = uiTick.value() + 1;
    syncPanelLayoutToSelection();
    scheduleSelectionDwellOverlay();
}

// A key trigger let go while the panel was being built is noticed here, a turn after the opening.
void SwitcherController::finishAutoTriggerAfterOpen() {
    platform_.scheduler.main().async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self || !self->panel_) return;
        if (self->releasedBeforePanelShown) {
            self->handleModifierRelease();
        } else if (!self->triggerMouseButtonHeld &&
                   !self->triggerModifiersHeld(self->platform_.eventMonitors.modifierFlags())) {
            self->handleModifierRelease();
        }
    });
}

void SwitcherController::handleModifierRelease() {
    if (!panel_) {
        releasedBeforePanelShown = true;
        return;
    }
    if (modifierReleaseHandled) return;
    const auto armed = [this](bool value) {
        if (onTriggerSessionArmedChanged) onTriggerSessionArmedChanged(value);
    };
    if (retainConfirmArmed) {
        modifierReleaseHandled = true;
        retainConfirmArmed = false;
        armed(triggerMouseButtonHeld || autoModePanelRetained);
        confirmCurrentSelection();
        return;
    }
    switch (services_.settings.afterRelease.value()) {
        case AfterReleaseMode::hold:
        case AfterReleaseMode::search:
            modifierReleaseHandled = true;
            armed(triggerMouseButtonHeld || autoModePanelRetained);
            return;
        case AfterReleaseMode::focus:
            modifierReleaseHandled = true;
            confirmCurrentSelection();
            return;
        case AfterReleaseMode::automatic:
            break;
    }
    modifierReleaseHandled = true;
    // On the clock's own scale, so that a release exactly 0.3 s after the showing is not quick.
    const auto shownAt = std::chrono::round<Duration>(std::chrono::duration<double>(panelBecameVisibleUptime));
    const bool quick = releasedBeforePanelShown || panelBecameVisibleUptime == 0 ||
                       platform_.scheduler.clock().uptime() - shownAt < kQuickRelease;
    releasedBeforePanelShown = false;
    if (quick) {
        autoModePanelRetained = true;
        armed(true);
        return;
    }
    autoModePanelRetained = false;
    armed(triggerMouseButtonHeld);
    confirmCurrentSelection();
}

// The flags of the event say whether the chord is held; a release is believed only when the global
// state agrees, so an event that lags behind a new press does not end the hold.
void SwitcherController::handleTriggerModifierFlagsChanged(const InputEvent& event) {
    if (triggerModifiersHeld(event.flags)) {
        if (!triggerModifiersEngaged) beginRetainedTriggerSessionIfNeeded();
        triggerModifiersEngaged = true;
        return;
    }
    if (!triggerModifiersEngaged) return;
    if (triggerModifiersHeld(platform_.eventMonitors.modifierFlags())) return;
    triggerModifiersEngaged = false;
    handleModifierRelease();
}

void SwitcherController::beginRetainedTriggerSessionIfNeeded() {
    if (!panel_) return;
    if (!autoModePanelRetained && services_.settings.afterRelease.value() != AfterReleaseMode::hold) return;
    retainConfirmArmed = true;
    modifierReleaseHandled = false;
}

void SwitcherController::handleTriggerMouseDown(std::int64_t button) {
    // A kept auto panel takes the middle button as confirm, whatever button the trigger is.
    if (autoModePanelRetained && button == kMiddleButton) {
        confirmCurrentSelection();
        return;
    }
    if (triggerMouseButtonNumber(services_.settings.triggerMouseButton.value()) != button) return;
    if (triggerMouseButtonHeld) return;
    triggerMouseButtonHeld = true;
    modifierReleaseHandled = false;
    triggerModifiersEngaged = true;
    beginRetainedTriggerSessionIfNeeded();
    if (onTriggerSessionArmedChanged) onTriggerSessionArmedChanged(true);
    // On a kept panel this down only arms: its release confirms.
    if (panel_ && retainConfirmArmed) return;
    triggerTab(false, false);
}

void SwitcherController::handleTriggerMouseUp(std::int64_t button) {
    if (triggerMouseButtonNumber(services_.settings.triggerMouseButton.value()) != button) return;
    if (!triggerMouseButtonHeld) return;
    triggerMouseButtonHeld = false;
    handleModifierRelease();
    // After the release, so that a panel it kept stays armed.
    if (onTriggerSessionArmedChanged) onTriggerSessionArmedChanged(triggerMouseButtonHeld || autoModePanelRetained);
}

bool SwitcherController::wheelShouldScrollOnly() {
    const Point pointer = platform_.screens.mouseLocation();
    if (folderPopover_.containsScreenPoint(pointer)) return true;
    return dockAnchoredMenu_.showsWindowsList() && dockAnchoredMenu_.containsScreenPoint(pointer);
}

void SwitcherController::applyWheelStep(bool next) {
    const auto model = navigator.value();
    if (!panel_ || !model || wheelShouldScrollOnly()) return;
    resetIdleTimer();
    if (next) {
        model->moveNext(false);
    } else {
        model->movePrevious(false);
    }
    if (folderAnchorPath_ && folderAnchorPath_ != model->selection()) closeOverlaysFromKeyboard();
    selectionStepped();
}

}  // namespace tavelin
