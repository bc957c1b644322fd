#include "mac/switcher/views/SwitcherCellView.h"

#include "mac/switcher/SwitcherGridLayout.h"
#include "mac/switcher/views/DockRunningIndicatorMark.h"
#include "mac/switcher/views/SwitcherSelectedLabel.h"
#include "platform/ui/Environment.h"
#include "platform/ui/Views.h"

namespace tavelin {

std::optional<std::string> SwitcherCellView::title(const DockPresentation::Cell& cell) {
    if (const DockItem* item = cell.asItem()) return item->title;
    if (const auto* child = cell.asFolderChild()) return child->child.title;
    return std::nullopt;
}

ui::Symbol SwitcherCellView::fallbackSymbol(const DockPresentation::Cell& cell) {
    if (const DockItem* item = cell.asItem()) {
        switch (item->kind) {
            case DockItemKind::app:
                return ui::Symbol::appFill;
            case DockItemKind::folder:
                return ui::Symbol::folderFill;
            case DockItemKind::trash:
                return ui::Symbol::trashFill;
            default:
                return ui::Symbol::docFill;
        }
    }
    return cell.asSpacer() ? ui::Symbol::squareDashed : ui::Symbol::doc;
}

// The rounded square, the icon on it and the drop highlight over both, dimmed for a hidden application.
ui::View SwitcherCellView::square(const ui::Environment& environment) const {
    const ui::Color fill =
        selected ? environment.accentColor.withOpacity(kSelectionOpacity) : ui::Color::clear();
    const ui::View content = icon ? ui::image(*icon).padding(iconSize * kIconInsetRatio)
                                  : ui::symbol(fallbackSymbol(cell), iconSize * kSymbolSizeRatio,
                                               ui::primaryLabelColor(colorScheme));
    ui::View square = ui::roundedRectangle(kCornerRadius, fill).frame(iconSize, iconSize).overlay(content);
    if (dropHighlighted) {
        const double shade = colorScheme == ui::ColorScheme::dark ? 0.38 : 0.24;
        square = square.overlay(
            ui::roundedRectangle(kCornerRadius, ui::Color::black(shade)).allowsHitTesting(false));
    }
    const DockItem* item = cell.asItem();
    if (item && item->isHidden) square = square.opacity(kHiddenAppOpacity);
    if (item && item->showsRunningIndicator()) {
        const DockRunningIndicatorMark mark{item->isActive, DockGridPlatform::mac, colorScheme};
        square = square.overlay(mark.body(environment).offset(0, kMarkDrop), ui::Alignment::bottom());
    }
    return square;
}

ui::View SwitcherCellView::body(const ui::Environment& environment, const ui::TextMeasurer& measurer) const {
    const std::optional<std::string> name = title(cell);
    std::vector<ui::View> stack{square(environment)};
    if (alwaysShowLabel) {
        const ui::Font font = ui::Font::system(kInlineLabelFontSize,
                                               selected ? ui::FontWeight::semibold : ui::FontWeight::regular);
        stack.push_back(
            ui::text(name.value_or(""), font, ui::primaryLabelColor(colorScheme), ui::Truncation::middle)
                .frame(iconSize, std::nullopt));
    }
    ui::View view = ui::vstack(kSpacing, stack)
                        .frame(iconSize, iconSize + SwitcherPanelGeometry::kLabelBand, ui::Alignment::top());
    if (selected && !alwaysShowLabel) {
        const SwitcherSelectedLabel label{name.value_or(""), labelMaxWidth};
        view =
            view.overlay(label.body(environment, measurer).allowsHitTesting(false), ui::Alignment::bottom());
    }
    // The selected cell lies above its neighbours, so that its label overhangs them.
    return view.zIndex(selected ? 1 : 0);
}

}  // namespace tavelin
