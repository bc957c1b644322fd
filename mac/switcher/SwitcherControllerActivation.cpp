// Activating the selection: each Dock action carried out on the item as the current snapshot has it,
// the click on a cell, and the rows of a cell's context menu.

#include "mac/core/DockStateService.h"
#include "mac/core/FolderService.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/windows/CommandExecutor.h"

namespace tavelin {

namespace {

std::optional<std::string> bundleIDOf(const std::optional<DockItem>& item) {
    if (!item || !item->bundleID || item->bundleID->empty()) return std::nullopt;
    return item->bundleID;
}

}  // namespace

std::optional<DockItem> SwitcherController::currentItem(const ItemID& id) const {
    const auto& snapshot = services_.dockState->snapshot();
    if (!snapshot) return std::nullopt;
    const auto found = std::ranges::find(snapshot->items, id, &DockItem::itemID);
    return found == snapshot->items.end() ? std::nullopt : std::optional(*found);
}

void SwitcherController::perform(const DockAction& action, bool closeAfter) {
    using Kind = DockAction::Kind;
    const auto& executor = services_.executor;
    const auto item = action.kind == Kind::activateTrash || action.kind == Kind::emptyTrash
                          ? std::nullopt
                          : currentItem(action.itemID);
    bool closes = closeAfter;
    switch (action.kind) {
        case Kind::launchOrActivate:
        case Kind::openFileOrURL:
            // Found, the display policy closes the panel itself, before a hand-off starts.
            if (item) {
                activateDockItemWithDisplayPolicy(
                    *item, closeAfter, action.kind == Kind::openFileOrURL ? item->path : std::nullopt);
                closes = false;
            }
            break;
        case Kind::openFolder:
            if (const auto path = item ? pathFor(item->itemID) : std::nullopt) presentFolder(*item, *path, true);
            closes = false;
            break;
        case Kind::openChild:
            if (item) {
                const auto listing = services_.folders.snapshot(*item, services_.settings, services_.icons, item->path);
                const auto child = std::ranges::find(listing.children, action.childID, &FolderChild::childID);
                if (child != listing.children.end() && child->path)
                    executor.dockNativeActivation().openDocumentLikeDock(*child->path);
            }
            break;
        case Kind::showInFinder:
            if (item) executor.showInFinder(*item);
            break;
        // The application actions leave the panel open.
        case Kind::hideApp:
            if (const auto bundleID = bundleIDOf(item)) executor.hideApp(*bundleID);
            closes = false;
            break;
        case Kind::unhideApp:
            if (const auto bundleID = bundleIDOf(item)) executor.unhideApp(*bundleID);
            closes = false;
            break;
        case Kind::quitApp:
            if (const auto bundleID = bundleIDOf(item)) executor.quitApp(*bundleID);
            closes = false;
            break;
        case Kind::forceQuitApp:
            if (const auto bundleID = bundleIDOf(item)) executor.forceQuitApp(*bundleID);
            closes = false;
            break;
        case Kind::isProcessRunning:
        case Kind::showInFinderChild:
            closes = false;
            break;
        case Kind::activateTrash:
            executor.activateTrash();
            break;
        case Kind::emptyTrash:
            // The Trash tile's icon follows at once, but only when something was emptied.
            if (executor.emptyTrash().isSuccess()) services_.dockState->scheduleTrashIconRefreshAfterUserAction();
            break;
    }
    if (closes) close(true);
}

void SwitcherController::selectAndActivate(CellPath path) {
    if (folderPopover_.isShown()) folderPopover_.close(true);
    selectPath(path);
    const auto model = navigator.value();
    if (!model) return;
    if (const auto action = model->activate()) perform(*action, true);
}

void SwitcherController::runContextMenuRow(const MenuActionHolder& row) {
    if (row.action.kind != DockAction::Kind::quitApp) {
        perform(row.action, false);
        return;
    }
    if (const auto item = currentItem(row.action.itemID)) quitAppFromContextMenu(*item);
}

}  // namespace tavelin
