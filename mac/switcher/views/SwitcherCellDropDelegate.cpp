#include "mac/switcher/views/SwitcherCellDropDelegate.h"

#include "mac/core/DockDropHandler.h"
#include "mac/switcher/SwitcherController.h"

namespace tavelin {

bool SwitcherCellDropDelegate::isValid(const SwitcherController& controller) const {
    const DockItem* item = entry_->cell.asItem();
    if (!item) return false;
    const auto urls = controller.dropHandler().fileURLsOnDragPasteboard();
    return !urls.empty() && controller.dropHandler().canAcceptDrop(urls, *item);
}

void SwitcherCellDropDelegate::clearHighlightIfHere(SwitcherController& controller) const {
    if (controller.dropHighlightPath.value() == entry_->path) controller.setDropHighlight(std::nullopt);
}

ui::DropOperation SwitcherCellDropDelegate::dropUpdated(const ui::DropInfo&) {
    const auto controller = controller_.lock();
    if (!controller) return ui::DropOperation::forbidden;
    if (!isValid(*controller)) {
        clearHighlightIfHere(*controller);
        return ui::DropOperation::forbidden;
    }
    controller->setDropHighlight(entry_->path);
    return controller->optionKeyHeld() ? ui::DropOperation::copy : ui::DropOperation::move;
}

void SwitcherCellDropDelegate::dropExited(const ui::DropInfo&) {
    if (const auto controller = controller_.lock()) clearHighlightIfHere(*controller);
}

bool SwitcherCellDropDelegate::performDrop(const ui::DropInfo& info) {
    const auto controller = controller_.lock();
    if (!controller) return false;
    if (!isValid(*controller)) {
        if (controller->dropHighlightPath.value()) controller->setDropHighlight(std::nullopt);
        return false;
    }
    std::vector<std::shared_ptr<const ItemProvider>> fileItems;
    for (const auto& provider : info.itemProviders) {
        if (provider && provider->hasItemConformingToTypeIdentifier(kFileURLTypeIdentifier))
            fileItems.push_back(provider);
    }
    return controller->acceptDroppedFiles(std::move(fileItems), entry_->path, entry_->cell);
}

}  // namespace tavelin
