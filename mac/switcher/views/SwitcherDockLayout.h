#pragma once

// The panel's icon grid: the main grid's cells in rows of the panel's column count, scrolling only when
// the rows do not fit, with the Dock's separator lines drawn over it from the cells' anchors. Each item
// cell is tapped, hovered, right-clicked and dropped on through the controller; every cell that takes
// a slot reports its frame in "switcherHost". A cell whose view would come out the same as in the last
// layout (same cell, selection, highlight, icon, sizes and environment) keeps the view it was given; the
// controller holds the views between layouts and between openings, so that an opening over an unchanged
// Dock builds no cell again.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dockmodel/DockMainGrid.h"
#include "mac/switcher/views/GridCellAnchors.h"
#include "mac/switcher/views/SwitcherCellView.h"
#include "platform/ui/Host.h"

namespace tavelin {

class SwitcherController;

struct SwitcherDockLayout {
    // Where the scroll view keeps its offset and the grid its anchors, in the host's state.
    static constexpr const char* kScrollStateID = "switcherGridScroll";
    static constexpr const char* kAnchorsStateKey = "gridCellAnchors";
    static constexpr double kRowGap = 12;
    static constexpr double kSeparatorSlotOpacity = 0.4;

    SwitcherController& controller;
    std::vector<DockMainGridEntry> entries;
    std::optional<CellPath> selection;
    double iconSize = 72;

    // The layout moves into the view it makes.
    ui::View body(const ui::BuildContext& context) &&;

    // The id of a cell's view.
    static std::string cellID(CellPath path);

    // The item cells' views of the last layout by path, with what each was made from.
    struct BuiltCell {
        SwitcherCellView view;
        ui::Environment environment;
        ui::View built;
    };
    using BuiltCells = std::map<CellPath, BuiltCell, CellPathOrder>;

  private:
    ui::View grid(const ui::BuildContext& context, ui::Size available,
                  const std::vector<DockSeparatorLinePair>& linePairs) const;
    ui::View cell(const ui::BuildContext& context, const DockMainGridEntry& entry, double labelMaxWidth,
                  BuiltCells& last, BuiltCells& next) const;
};

}  // namespace tavelin
