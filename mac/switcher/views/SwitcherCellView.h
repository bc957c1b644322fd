#pragma once

// One cell of the panel's grid: the icon square with its selection and drop highlights, the running
// mark under it, the name under it while a search shows, and the floating name of the selected cell.
// What a cell does with the pointer and with drops is the grid's; this view only draws.

#include <optional>
#include <string>

#include "dockmodel/DockPresentation.h"
#include "platform/ui/Image.h"
#include "platform/ui/Node.h"
#include "platform/ui/Palette.h"

namespace tavelin {

namespace ui {
struct Environment;
class TextMeasurer;
}  // namespace ui

// How a cell is shown, apart from the cell itself.
struct SwitcherCellLook {
    ui::ColorScheme colorScheme = ui::ColorScheme::light;
    bool selected = false;
    bool dropHighlighted = false;
    std::optional<ui::Image> icon;
    double iconSize = 72;
    double labelMaxWidth = 0;
    bool alwaysShowLabel = false;

    friend bool operator==(const SwitcherCellLook&, const SwitcherCellLook&) = default;
};

struct SwitcherCellView : SwitcherCellLook {
    static constexpr double kSpacing = 8;
    static constexpr double kCornerRadius = 10;
    static constexpr double kSelectionOpacity = 0.35;
    static constexpr double kIconInsetRatio = 0.08;
    static constexpr double kSymbolSizeRatio = 0.35;
    static constexpr double kHiddenAppOpacity = 0.5;
    static constexpr double kMarkDrop = 3;
    static constexpr double kInlineLabelFontSize = 11;

    DockPresentation::Cell cell = DockPresentation::Cell::spacer(SeparatorKind::spacer);

    ui::View body(const ui::Environment& environment, const ui::TextMeasurer& measurer) const;

    // The item's or the child's title; none for a spacer.
    static std::optional<std::string> title(const DockPresentation::Cell& cell);
    // What stands in for a missing icon.
    static ui::Symbol fallbackSymbol(const DockPresentation::Cell& cell);

    friend bool operator==(const SwitcherCellView&, const SwitcherCellView&) = default;

  private:
    ui::View square(const ui::Environment& environment) const;
};

}  // namespace tavelin
