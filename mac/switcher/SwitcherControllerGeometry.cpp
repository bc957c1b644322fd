// The panel's size and place, and the selection helpers of the switcher controller.

#include <algorithm>

#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/SwitcherGridLayout.h"
#include "mac/switcher/SwitcherSearchField.h"
#include "mac/windows/ScreenSupport.h"
#include "platform/ui/TextMeasurer.h"

namespace tavelin {

void SwitcherController::fitPanelToContent() {
    const auto model = navigator.value();
    if (!panel_ || !model) return;
    const auto screen = targetScreen();
    if (!screen) return;

    const auto& presentation = model->presentation();
    // The cells that take a grid slot, counted in place: separator lines are drawn between icons.
    std::int64_t count = 0;
    for (const auto& tier : presentation.tiers)
        count += std::ranges::count_if(tier.cells, [](const auto& cell) { return !cell.isDockLineSeparatorSlot(); });
    std::optional<double> labelWidth;
    if (filterText.value().empty() && model->selection()) {
        if (const auto text = title(*model->selection(), presentation))
            labelWidth = measuredSelectedLabelInnerWidth(*text);
    }
    const auto fit = SwitcherPanelGeometry::fit(count, panelIconSize.value(), screen->visibleFrame, labelWidth);
    panelGridInnerWidth = fit.gridInnerWidth;
    panelLabelMaxWidth = fit.labelMaxWidth;
    panel_->window().setContentSize(fit.width, fit.height);
    if (panelHost_) panelHost_->frame = Rect{0, 0, fit.width, fit.height};
}

void SwitcherController::syncPanelLayoutToSelection() {
    if (!panel_) return;
    fitPanelToContent();
    // During an input method's composition the panel keeps its origin, under the candidate window.
    if (!(searchField_ && searchField_->hasMarkedText())) centreInTargetScreen();
    repositionOpenOverlays();
}

void SwitcherController::followPanelToMouseScreenIfNeeded() {
    if (!panel_ || services_.settings.targetScreen.value() != TargetScreenSetting::mouseScreen) return;
    const auto screen = screenUnderMouse();
    if (!screen) return;
    auto id = ScreenSupport::screenID(*screen);
    if (id == lastFollowedScreenID_) return;
    lastFollowedScreenID_ = std::move(id);
    fitPanelToContent();
    centreInTargetScreen();
    repositionOpenOverlays();
}

std::optional<std::string> SwitcherController::title(CellPath path, const DockPresentation& presentation) {
    const auto* cell = presentation.cell(path);
    if (!cell) return std::nullopt;
    if (const auto* item = cell->asItem()) return item->title;
    if (const auto* child = cell->asFolderChild()) return child->child.title;
    return std::nullopt;
}

double SwitcherController::measuredSelectedLabelInnerWidth(std::string_view text) const {
    using namespace SwitcherPanelGeometry;
    return platform_.textMeasurer.width(text, ui::Font::system(kSelectedLabelFontSize, ui::FontWeight::semibold)) +
           kSelectedLabelPadding;
}

// The host view has one orientation, so a point is looked up once, as given.
std::optional<CellPath> SwitcherController::cellPath(Point hostPoint) const {
    for (const auto& [path, rect] : cellAnchors_) {
        if (mouseInRect(hostPoint, rect, true)) return path;
    }
    return std::nullopt;
}

std::optional<DockItem> SwitcherController::selectedDockItem() const {
    const auto model = navigator.value();
    if (!model || !model->selection()) return std::nullopt;
    const auto* selected = model->presentation().cell(*model->selection());
    const auto* item = selected ? selected->asItem() : nullptr;
    return item ? std::optional(*item) : std::nullopt;
}

std::optional<DockPresentation::Cell> SwitcherController::cell(CellPath path) const {
    const auto model = navigator.value();
    if (!model) return std::nullopt;
    const auto* found = model->presentation().cell(path);
    return found ? std::optional(*found) : std::nullopt;
}

std::optional<CellPath> SwitcherController::pathFor(const ItemID& id) const {
    const auto model = navigator.value();
    if (!model) return std::nullopt;
    // The first cell in the main grid's order, read in place.
    const auto& tiers = model->presentation().tiers;
    for (std::int64_t t = 0; t < std::ssize(tiers); ++t) {
        const auto& cells = tiers[static_cast<std::size_t>(t)].cells;
        for (std::int64_t c = 0; c < std::ssize(cells); ++c) {
            const auto* item = cells[static_cast<std::size_t>(c)].asItem();
            if (item && item->itemID == id) return CellPath{t, c};
        }
    }
    return std::nullopt;
}

void SwitcherController::selectPath(CellPath path) {
    dismissSubDisplaysIfLeaving(path);
    if (const auto model = navigator.value()) model->select(path);
    uiTick = uiTick.value() + 1;
    syncPanelLayoutToSelection();
}

}  // namespace tavelin
