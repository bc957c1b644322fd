#include "dockmodel/DockMainGrid.h"

#include <optional>

namespace tavelin {

namespace DockMainGrid {

std::vector<DockMainGridEntry> cells(const DockPresentation& presentation) {
    std::vector<DockMainGridEntry> entries;
    std::size_t count = 0;
    for (const auto& tier : presentation.tiers) count += tier.cells.size();
    entries.reserve(count);
    for (std::int64_t t = 0; t < std::ssize(presentation.tiers); ++t) {
        const auto& cellsOfTier = presentation.tiers[static_cast<std::size_t>(t)].cells;
        for (std::int64_t c = 0; c < std::ssize(cellsOfTier); ++c)
            entries.push_back({{t, c}, cellsOfTier[static_cast<std::size_t>(c)]});
    }
    return entries;
}

}  // namespace DockMainGrid

namespace DockGridLayout {

std::vector<DockMainGridEntry> mainGridLayoutCells(std::vector<DockMainGridEntry> entries,
                                                   const CellPredicate& isDockLineSeparator) {
    std::erase_if(entries, [&](const DockMainGridEntry& entry) { return isDockLineSeparator(entry.cell); });
    return entries;
}

std::vector<DockSeparatorLinePair> dockSeparatorLinePairs(const std::vector<DockMainGridEntry>& entries) {
    std::vector<DockSeparatorLinePair> pairs;
    std::optional<CellPath> previousAnchor;
    bool linePending = false;
    for (const auto& entry : entries) {
        if (entry.cell.asFolderChild()) continue;
        if (entry.cell.isDockLineSeparatorSlot()) {
            linePending = true;
            continue;
        }
        if (linePending && previousAnchor) pairs.push_back({*previousAnchor, entry.path});
        linePending = false;
        previousAnchor = entry.path;
    }
    return pairs;
}

std::vector<DockSeparatorLinePair> filterSeparatorPairsInRowMid(
    const std::vector<DockSeparatorLinePair>& pairs, const std::vector<DockMainGridEntry>& layoutCells,
    std::int64_t columns) {
    if (columns < 1) return {};
    std::unordered_map<CellPath, std::int64_t> positions;
    positions.reserve(layoutCells.size());
    for (std::size_t i = 0; i < layoutCells.size(); ++i)
        positions.try_emplace(layoutCells[i].path, static_cast<std::int64_t>(i));
    std::vector<DockSeparatorLinePair> kept;
    for (const auto& pair : pairs) {
        const auto left = positions.find(pair.left);
        const auto right = positions.find(pair.right);
        if (left == positions.end() || right == positions.end()) continue;
        if (right->second == left->second + 1 && right->second / columns == left->second / columns)
            kept.push_back(pair);
    }
    return kept;
}

}  // namespace DockGridLayout

namespace DockSeparatorLayout {

double visualWidth(SeparatorKind kind, double iconSide) {
    switch (kind) {
        case SeparatorKind::separator:
            return 1;
        case SeparatorKind::spacer:
            return iconSide;
        case SeparatorKind::smallSpacer:
            return iconSide / 2;
    }
    return 1;
}

}  // namespace DockSeparatorLayout

}  // namespace tavelin
