#include "mac/switcher/views/SwitcherDockLayout.h"

#include <algorithm>
#include <cmath>

#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/SwitcherGridLayout.h"
#include "mac/switcher/views/DockSeparatorBetweenIconsOverlay.h"
#include "mac/switcher/views/DockSeparatorSlotView.h"
#include "mac/switcher/views/SwitcherCellDropDelegate.h"
#include "mac/switcher/views/SwitcherCellView.h"
#include "platform/ui/Views.h"

namespace tavelin {
namespace {

bool isDockLineSeparator(const DockPresentation::Cell& cell) { return cell.isDockLineSeparatorSlot(); }

bool takesDrops(const DockPresentation::Cell& cell) {
    const DockItem* item = cell.asItem();
    return item && (item->kind == DockItemKind::app || item->kind == DockItemKind::folder ||
                    item->kind == DockItemKind::trash);
}

}  // namespace

std::string SwitcherDockLayout::cellID(CellPath path) {
    return "cell-" + std::to_string(path.tierIndex) + "-" + std::to_string(path.cellIndex);
}

ui::View SwitcherDockLayout::body(const ui::BuildContext& context) && {
    // The separator lines are read before the cells that take a slot move out of the entries.
    auto pairs = DockGridLayout::dockSeparatorLinePairs(entries);
    entries = DockGridLayout::mainGridLayoutCells(std::move(entries), isDockLineSeparator);
    // The grid is made where it is placed, from the size it is given.
    return ui::geometryReader(
        [layout = std::move(*this), pairs = std::move(pairs), &context](const ui::GeometryProxy& proxy) {
            return layout.grid(context, proxy.size, pairs);
        });
}

ui::View SwitcherDockLayout::grid(const ui::BuildContext& context, ui::Size available,
                                  const std::vector<DockSeparatorLinePair>& linePairs) const {
    const double innerLimit = controller.panelGridInnerWidth.value();
    const double innerWidth = innerLimit > 0 ? std::min(innerLimit, available.width) : available.width;
    const std::vector<DockMainGridEntry>& layoutCells = entries;  // the separator lines taken out by body()
    const auto count = static_cast<std::int64_t>(layoutCells.size());
    const std::int64_t columns = SwitcherMainGridLayout::columns(count, iconSize, innerWidth);
    const std::int64_t rowCount =
        count == 0 || columns < 1 ? 1 : std::max<std::int64_t>(1, (count + columns - 1) / columns);
    const DockGridPlan plan = DockGridLayout::plan(
        count, (iconSize + SwitcherMainGridLayout::kColumnGap) * static_cast<double>(columns),
        available.height, iconSize, DockGridPlatform::mac, DockGridColumnLayout::fixedColumns(columns));
    const auto pairs = DockGridLayout::filterSeparatorPairsInRowMid(linePairs, layoutCells, columns);
    const double rowHeight = iconSize + SwitcherPanelGeometry::kLabelBand;
    const double labelMaxWidth = controller.panelLabelMaxWidth.value();

    BuiltCells& lastCells = controller.panelCellViews();
    BuiltCells nextCells;
    std::vector<ui::View> rows;
    for (const auto row : DockGridLayout::chunk(layoutCells, columns)) {
        std::vector<ui::View> cells;
        for (const auto& entry : row)
            cells.push_back(cell(context, entry, labelMaxWidth, lastCells, nextCells));
        ui::View rowView;
        if (static_cast<std::int64_t>(row.size()) >= plan.columns) {
            rowView = ui::hstack(plan.horizontalGap, cells)
                          .padding(ui::EdgeInsets{0, plan.edgeInset, 0, plan.edgeInset});
        } else {
            // A short last row starts at the left, in the full rows' columns.
            std::vector<ui::View> placed;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                placed.push_back(cells[k].offset(plan.xForColumn(static_cast<std::int64_t>(k)), 0));
            }
            rowView = ui::zstack(placed, ui::Alignment::topLeading());
        }
        rows.push_back(rowView.frame(plan.contentWidth, rowHeight, ui::Alignment::topLeading()));
    }
    lastCells = std::move(nextCells);
    const ui::View stack =
        ui::vstack(kRowGap, rows).frame(plan.contentWidth, std::nullopt, ui::Alignment::topLeading());

    const double needed =
        rowHeight * static_cast<double>(rowCount) + kRowGap * static_cast<double>(rowCount - 1);
    ui::View content;
    if (available.height + 0.5 < needed) {
        ui::ScrollOptions options;
        options.stateID = kScrollStateID;
        options.clips = false;
        if (selection) options.scrollTarget = cellID(*selection);
        content = ui::scrollView(stack, options);
    } else {
        content = stack.frame(available.width, available.height,
                              count == 1 ? ui::Alignment::top() : ui::Alignment::topLeading());
    }
    const DockSeparatorBetweenIconsOverlay separators{pairs,
                                                      context.state.value<GridCellAnchors>(kAnchorsStateKey),
                                                      iconSize, DockGridPlatform::mac, kSwitcherHostSpace};
    return content.overlay(separators.body(context.environment));
}

ui::View SwitcherDockLayout::cell(const ui::BuildContext& context, const DockMainGridEntry& entry,
                                  double labelMaxWidth, BuiltCells& last, BuiltCells& next) const {
    const CellPath path = entry.path;
    const double slotHeight = iconSize + SwitcherPanelGeometry::kLabelBand;
    if (const auto* spacer = entry.cell.asSpacer()) {
        if (spacer->kind == SeparatorKind::separator) return ui::emptyView();
        const DockSeparatorSlotView slot{spacer->kind, iconSize, slotHeight, kSeparatorSlotOpacity};
        return switcherCellAnchorKey().report(slot.body(), path, kSwitcherHostSpace);
    }
    const SwitcherCellLook look{.colorScheme = context.environment.colorScheme,
                                .selected = selection == path,
                                .dropHighlighted = controller.dropHighlightPath.value() == path,
                                .icon = controller.iconImage(entry.cell),
                                .iconSize = iconSize,
                                .labelMaxWidth = labelMaxWidth,
                                .alwaysShowLabel = !controller.filterText.value().empty()};

    // The view and its handlers depend on nothing else: the path is in the id, and the controller that
    // keeps the views is the one the handlers call.
    if (const auto kept = last.find(path); kept != last.end() && kept->second.view.cell == entry.cell &&
                                           static_cast<const SwitcherCellLook&>(kept->second.view) == look &&
                                           kept->second.environment == context.environment) {
        return next.insert(last.extract(kept)).position->second.built;
    }
    const SwitcherCellView view{look, entry.cell};

    const std::weak_ptr<SwitcherController> weak = controller.weak_from_this();
    // Each modifier copies the handlers set before it, and the layout copies them once more: they share
    // one copy of the cell, with the drop delegate, rather than carrying an item each.
    const auto shared = std::make_shared<const DockMainGridEntry>(entry);
    ui::View result = view.body(context.environment, context.measurer)
                          .onTap([weak, path] {
                              if (auto self = weak.lock()) self->selectAndActivate(path);
                          })
                          .onHover([weak, shared](const ui::HoverPhase& phase) {
                              auto self = weak.lock();
                              if (!self) return;
                              const auto here = shared;  // outlives a layout that drops this handler
                              if (phase.active) {
                                  self->hoverCell(here->path, here->cell);
                              } else {
                                  self->hoverCellEnded(here->path);
                              }
                          });
    if (takesDrops(entry.cell))
        result = result.onDrop(std::make_shared<SwitcherCellDropDelegate>(shared, weak));
    if (entry.cell.asItem()) {
        result = result.onContextMenu([weak, shared] {
            const auto here = shared;  // outlives a layout that drops this handler
            if (auto self = weak.lock())
                self->presentDockContextMenu(*here->cell.asItem(), here->path,
                                             InputEvent{EventType::rightMouseDown});
        });
    }
    ui::View built = switcherCellAnchorKey().report(result.id(cellID(path)), path, kSwitcherHostSpace);
    next.insert_or_assign(path, BuiltCell{view, context.environment, built});
    return built;
}

}  // namespace tavelin
