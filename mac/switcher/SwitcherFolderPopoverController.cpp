#include "mac/switcher/SwitcherFolderPopoverController.h"

#include "mac/switcher/SwitcherGridLayout.h"
#include "protocol/UnicodeText.h"

namespace tavelin {

std::vector<FolderChild> FolderPopoverModel::visibleChildren(const FolderSnapshot& folder) const {
    if (filterText.empty()) return folder.children;
    std::vector<FolderChild> visible;
    for (const auto& child : folder.children) {
        if (localizedCaseInsensitiveContains(child.title, filterText)) visible.push_back(child);
    }
    return visible;
}

void SwitcherFolderPopoverController::present(const Rect& anchor, const AppPanel& panel,
                                              std::vector<FolderSnapshot> levels,
                                              std::optional<std::int64_t> focusIndex, double iconSide) {
    if (!popover) popover = windows_.makePopover();
    model.levels = std::move(levels);
    model.focusIndex = focusIndex;
    model.iconSide = iconSide;
    resize();
    popover->show(anchor, panel);
}

void SwitcherFolderPopoverController::reanchor(const Rect& anchor, const AppPanel& panel) {
    if (isShown()) popover->show(anchor, panel);
}

void SwitcherFolderPopoverController::close(bool notify) {
    if (popover) popover->close();
    model = FolderPopoverModel{};
    if (notify && onClose) onClose();
}

bool SwitcherFolderPopoverController::containsScreenPoint(Point point) const {
    if (!isShown()) return false;
    const auto frame = popover->windowFrame();
    return frame && mouseInRect(point, *frame, true);
}

void SwitcherFolderPopoverController::updateContent(std::vector<FolderSnapshot> levels,
                                                    std::optional<std::int64_t> focusIndex, double iconSide) {
    model.levels = std::move(levels);
    model.focusIndex = focusIndex;
    model.iconSide = iconSide;
    resize();
}

// The top level's visible children in the folder grid, with the panel's chrome around it.
void SwitcherFolderPopoverController::resize() {
    if (!popover) return;
    const auto count = model.levels.empty()
                           ? 0
                           : static_cast<std::int64_t>(model.visibleChildren(model.levels.back()).size());
    const auto columns = SwitcherFolderGridLayout::columns(count, model.iconSide);
    const auto rows = std::max<std::int64_t>(1, (count + columns - 1) / columns);
    using namespace SwitcherPanelGeometry;
    popover->setContentSize(
        static_cast<double>(columns) * (model.iconSide + SwitcherMainGridLayout::kColumnGap) + kHorizontalChrome,
        static_cast<double>(rows) * (model.iconSide + kLabelBand) + static_cast<double>(rows - 1) * kRowGap +
            kVerticalChrome);
}

}  // namespace tavelin
