#pragma once

// The panel's main grid over a presentation: the cells it lays out, and where the Dock's separator
// lines are drawn between two icons once the cells stand in rows.

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "dockmodel/DockGridLayout.h"
#include "dockmodel/DockPresentation.h"

namespace tavelin {

struct DockMainGridEntry {
    CellPath path;
    DockPresentation::Cell cell;
    friend bool operator==(const DockMainGridEntry&, const DockMainGridEntry&) = default;
};

// The cells on either side of a separator line.
struct DockSeparatorLinePair {
    CellPath left;
    CellPath right;
    friend bool operator==(const DockSeparatorLinePair&, const DockSeparatorLinePair&) = default;
};

using CellPredicate = std::function<bool(const DockPresentation::Cell&)>;

namespace DockMainGrid {

// Every cell, tier by tier, cell by cell, spacers included.
std::vector<DockMainGridEntry> cells(const DockPresentation& presentation);

}  // namespace DockMainGrid

namespace DockGridLayout {

// The entries that take a grid slot: separator lines (as the predicate tells) are drawn between icons.
// Entries passed by move are filtered in place.
std::vector<DockMainGridEntry> mainGridLayoutCells(std::vector<DockMainGridEntry> entries,
                                                   const CellPredicate& isDockLineSeparator);

// One pair per run of separator lines between two anchors (items and spacers); folder children are
// passed over, and a line before the first or after the last anchor draws nothing.
std::vector<DockSeparatorLinePair> dockSeparatorLinePairs(const std::vector<DockMainGridEntry>& entries);

// The pairs whose two cells stand side by side in one row of `columns`: a separator at a row break
// draws no line.
std::vector<DockSeparatorLinePair> filterSeparatorPairsInRowMid(
    const std::vector<DockSeparatorLinePair>& pairs, const std::vector<DockMainGridEntry>& layoutCells,
    std::int64_t columns);

// For layouts that give separators a slot: a separator line that would end a row is left out.
template <class T, class IsSeparator>
std::vector<T> omitSeparatorSlotsAtRowEnds(const std::vector<T>& list, std::int64_t columns,
                                           const IsSeparator& isDockLineSeparator) {
    if (columns < 1) return list;
    std::vector<T> result;
    result.reserve(list.size());
    for (auto row : chunk(list, columns)) {
        if (isDockLineSeparator(row.back())) row = row.first(row.size() - 1);
        result.insert(result.end(), row.begin(), row.end());
    }
    return result;
}

}  // namespace DockGridLayout

namespace DockSeparatorLayout {

// The width a separator kind takes where it is given a slot.
double visualWidth(SeparatorKind kind, double iconSide);

}  // namespace DockSeparatorLayout

}  // namespace tavelin
