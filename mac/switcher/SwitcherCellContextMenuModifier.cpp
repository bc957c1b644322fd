#include "mac/switcher/SwitcherCellContextMenuModifier.h"

namespace tavelin {

std::vector<MenuActionHolder> SwitcherCellContextMenuModifier::rows() const {
    const auto* item = entry.cell.asItem();
    if (!item) return {};
    const auto row = [](std::string_view title, DockAction action) {
        return MenuActionHolder{std::string(title), std::move(action)};
    };
    switch (item->kind) {
        case DockItemKind::trash:
            return {row(kOpenTrash, DockAction::activateTrash()), row(kEmptyTrash, DockAction::emptyTrash())};
        case DockItemKind::app:
            if (!item->isRunning) return {row(kShowInFinder, DockAction::showInFinder(item->itemID))};
            return {row(kShowInFinder, DockAction::showInFinder(item->itemID)),
                    item->isHidden ? row(kUnhide, DockAction::unhideApp(item->itemID))
                                   : row(kHide, DockAction::hideApp(item->itemID)),
                    row(kQuit, DockAction::quitApp(item->itemID))};
        default:
            return {row(kShowInFinder, DockAction::showInFinder(item->itemID))};
    }
}

}  // namespace tavelin
