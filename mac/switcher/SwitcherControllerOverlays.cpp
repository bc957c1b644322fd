// The overlays that hang from the panel's cells: the folder popover, the dock-anchored menu and the
// window popover, and the keyboard dwell that opens them.

#include "dockmodel/DockMainGrid.h"
#include "mac/core/FolderService.h"
#include "mac/core/PermissionsService.h"
#include "mac/windows/WindowListService.h"
#include "mac/switcher/SwitcherController.h"

namespace tavelin {

std::optional<Rect> SwitcherController::screenRect(CellPath path) const {
    const auto anchor = cellAnchors_.find(path);
    if (!panel_ || anchor == cellAnchors_.end()) return std::nullopt;
    // The host view fills the panel, with its origin at the panel's top left.
    const Rect panel = panel_->window().frame();
    const Rect& cell = anchor->second;
    return Rect{panel.x + cell.x, panel.maxY() - cell.y - cell.height, cell.width, cell.height};
}

void SwitcherController::cellAnchorsChanged(CellAnchors anchors) {
    cellAnchors_ = std::move(anchors);
    repositionOpenOverlays();
}

void SwitcherController::presentDockAnchoredMenu(const DockItem& item, CellPath path, ContentMode contentMode,
                                                 std::optional<WindowListSnapshot> prefetchedSnapshot) {
    const auto anchor = screenRect(path);
    if (!anchor) return;
    if (folderPopover_.isShown()) folderPopover_.close(true);
    windowPopover_.close();
    // A list fetched for an earlier presentation must not replace this one.
    ++windowsFetchEpoch;
    const bool fetch = contentMode == ContentMode::windowsOnly && !prefetchedSnapshot;
    dockAnchoredMenu_.present(item, contentMode, std::move(prefetchedSnapshot), *anchor, panel_->window());
    if (fetch) startTask(platform_.scheduler.main(), fetchWindowList(weak_from_this(), item, windowsFetchEpoch));
}

// Stopped at its next suspension when the controller is gone; a late answer is voided by the epoch.
Task<void> SwitcherController::fetchWindowList(std::weak_ptr<SwitcherController> weak, DockItem item,
                                               std::int64_t epoch) {
    std::shared_ptr<WindowListService> service;
    Queue* main = nullptr;
    bool screenRecording = false;
    if (auto self = weak.lock()) {
        service = self->services_.windowList;
        main = &self->platform_.scheduler.main();
        screenRecording = self->services_.permissions->screenRecordingGranted.value();
    }
    if (!service) co_return;
    auto snapshot = co_await service->fetch(item, screenRecording);
    co_await main->hop();
    if (auto self = weak.lock()) self->applyFetchedWindowList(item, epoch, std::move(snapshot));
}

void SwitcherController::applyFetchedWindowList(const DockItem& item, std::int64_t fetchEpoch,
                                                WindowListSnapshot snapshot) {
    if (fetchEpoch != windowsFetchEpoch) return;
    dockAnchoredMenu_.replaceWindowsSnapshotIfShowing(item, std::move(snapshot));
}

void SwitcherController::presentDockContextMenu(const DockItem& item, CellPath path, const InputEvent&) {
    const auto found = cell(path);
    if (!found) return;
    contextMenuActionHolders_ =
        SwitcherCellContextMenuModifier{DockMainGridEntry{path, *found}, weak_from_this()}.rows();
    presentDockAnchoredMenu(item, path, ContentMode::contextOnly, std::nullopt);
}

void SwitcherController::presentFolder(const DockItem& item, CellPath path, bool focusInside) {
    if (!panel_) return;
    dockAnchoredMenu_.close();
    windowPopover_.close();
    auto listing = services_.folders.snapshot(item, services_.settings, services_.icons, item.path);
    folderDockItem_ = item;
    folderAnchorPath_ = path;
    folderStack_ = {std::move(listing)};
    folderFocusIndex_.reset();
    folderPopover_.setFilterText(folderFilterText.value());
    if (focusInside && !folderPopover_.model.visibleChildren(folderStack_.back()).empty()) folderFocusIndex_ = 0;
    showFolderPopover();
}

// Shown once the root view has reported the anchor cell; until then it is pending.
void SwitcherController::showFolderPopover() {
    const auto anchor = folderAnchorPath_ ? screenRect(*folderAnchorPath_) : std::nullopt;
    folderPresentPending_ = !anchor;
    if (!anchor) return;
    folderPopover_.present(*anchor, panel_->window(), folderStack_, folderFocusIndex_, panelIconSize.value());
}

void SwitcherController::cancelKeyboardDwell() {
    keyboardDwellTask_.cancel();
    keyboardDwellTask_ = WorkItem();
}

// The overlay of the selection, once it stayed 500 ms: the windows list of a running application, the
// folder popover (without focus) of a folder; nothing for other cells.
void SwitcherController::scheduleSelectionDwellOverlay() {
    cancelKeyboardDwell();
    keyboardDwellTask_ = platform_.scheduler.main().asyncAfter(kSelectionDwell, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self || !self->panel_) return;
        const auto model = self->navigator.value();
        const auto item = self->selectedDockItem();
        if (!model || !item) return;
        const CellPath path = *model->selection();
        self->dismissSubDisplaysIfLeaving(path);
        if (item->kind == DockItemKind::app && item->isRunning) {
            if (self->dockAnchoredMenu_.showsWindowsList()) return;
            self->presentDockAnchoredMenu(*item, path, ContentMode::windowsOnly, std::nullopt);
            self->overlayOpenedFromKeyboard = self->dockAnchoredMenu_.isShown();
        } else if (item->kind == DockItemKind::folder) {
            if (self->folderPopover_.isShown()) return;
            self->presentFolder(*item, path, false);
            self->overlayOpenedFromKeyboard = true;
        }
    });
}

void SwitcherController::enterFolderFocusFromTop() {
    if (folderStack_.empty() || folderFocusIndex_) return;
    if (folderPopover_.model.visibleChildren(folderStack_.back()).empty()) return;
    folderFocusIndex_ = 0;
    folderPopover_.updateContent(folderStack_, folderFocusIndex_, panelIconSize.value());
}

void SwitcherController::cycleFolderFocus(bool next) {
    if (folderStack_.empty()) return;
    const auto count = static_cast<std::int64_t>(folderPopover_.model.visibleChildren(folderStack_.back()).size());
    if (count == 0) return;
    if (!folderFocusIndex_ || *folderFocusIndex_ < 0 || *folderFocusIndex_ >= count) {
        folderFocusIndex_ = next ? 0 : count - 1;
    } else {
        folderFocusIndex_ = (*folderFocusIndex_ + (next ? 1 : count - 1)) % count;
    }
    folderPopover_.updateContent(folderStack_, folderFocusIndex_, panelIconSize.value());
}

void SwitcherController::activateFolderFocus() {
    if (folderStack_.empty() || !folderFocusIndex_ || !folderDockItem_) return;
    const auto visible = folderPopover_.model.visibleChildren(folderStack_.back());
    if (*folderFocusIndex_ < 0 || *folderFocusIndex_ >= static_cast<std::int64_t>(visible.size())) return;
    const auto& child = visible[static_cast<std::size_t>(*folderFocusIndex_)];
    perform(DockAction::openChild(folderDockItem_->itemID, child.childID), true);
}

void SwitcherController::folderNavigateBack() {
    if (folderStack_.size() < 2) {
        folderPopover_.close(true);
        return;
    }
    folderStack_.pop_back();
    folderFocusIndex_.reset();
    folderPopover_.updateContent(folderStack_, folderFocusIndex_, panelIconSize.value());
}

void SwitcherController::repositionOpenOverlays() {
    if (!panel_) return;
    if (folderPresentPending_) {
        showFolderPopover();
    } else if (folderPopover_.isShown() && folderAnchorPath_) {
        if (const auto anchor = screenRect(*folderAnchorPath_)) folderPopover_.reanchor(*anchor, panel_->window());
    }
    if (const auto& presented = dockAnchoredMenu_.model.presentedItemID.value(); presented && dockAnchoredMenu_.isShown()) {
        const auto path = pathFor(*presented);
        if (const auto anchor = path ? screenRect(*path) : std::nullopt)
            dockAnchoredMenu_.reanchor(*anchor, panel_->window());
    }
}

void SwitcherController::dismissSubDisplaysFromEmptyClick() {
    if (!folderPopover_.isShown() && !dockAnchoredMenu_.showsWindowsList()) return;
    cancelKeyboardDwell();
    folderPopover_.close(true);
    dockAnchoredMenu_.close();
    windowPopover_.close();
    overlayOpenedFromKeyboard = false;
}

void SwitcherController::dismissSubDisplaysIfLeaving(CellPath path) {
    if ((folderPopover_.isShown() || folderPresentPending_) && folderAnchorPath_ != path) folderPopover_.close(true);
    if (dockAnchoredMenu_.isShown()) {
        const auto& presented = dockAnchoredMenu_.model.presentedItemID.value();
        if (!presented || pathFor(*presented) != path) dockAnchoredMenu_.close();
    }
    windowPopover_.close();
}

// The pointer over a cell keeps the panel from closing for idleness.
void SwitcherController::hoverCell(CellPath path, const DockPresentation::Cell&) {
    dockMenuHoverPath = path;
    resetIdleTimer();
}

void SwitcherController::hoverCellEnded(CellPath path) {
    if (dockMenuHoverPath == path) dockMenuHoverPath.reset();
}

}  // namespace tavelin
