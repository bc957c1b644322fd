#pragma once

// The geometry of the panel's icon grid and of the folder grids: how many columns, the gaps, the row
// spacing and the padding for a number of cells in a given space, and whether the rows must scroll.
// Pure arithmetic on points; it allocates nothing and runs on every layout pass.
//
// Widths, heights and icon sides that are not finite count as not positive; huge ones are clamped
// before they become a count, so no input can overflow an integer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavelin {

// The folder grid plans with `mac`; the panel passes its own platform.
enum class DockGridPlatform { mac, ios };

struct DockGridColumnLayout {
    enum class Kind { fixedColumns, fewestNonSparse, mostColumns };

    Kind kind = Kind::fewestNonSparse;
    std::int64_t columns = 0;  // only for fixedColumns

    static DockGridColumnLayout fixedColumns(std::int64_t columns) { return {Kind::fixedColumns, columns}; }
    static DockGridColumnLayout fewestNonSparse() { return {Kind::fewestNonSparse, 0}; }
    static DockGridColumnLayout mostColumns() { return {Kind::mostColumns, 0}; }

    friend bool operator==(const DockGridColumnLayout&, const DockGridColumnLayout&) = default;
};

struct DockGridPlan {
    std::int64_t columns = 1;
    double horizontalGap = 0;    // between two icons of a row
    double edgeInset = 0;        // before the first and after the last column: half the gap
    double rowSpacing = 8;       // between two rows
    double verticalPadding = 0;  // above (and on mac below) the block, centring it
    double gridTopInset = 6;
    std::int64_t rowCount = 0;
    bool scrolls = false;  // the rows do not fit in the height
    double iconSide = 0;
    double rowStride = 8;  // one row without spacing: icon side + 8
    double contentWidth = 0;
    double contentHeight = 0;

    double columnPitch() const { return iconSide + horizontalGap; }
    // The left edge of column `column`, from 0.
    double xForColumn(std::int64_t column) const {
        return edgeInset + columnPitch() * static_cast<double>(column);
    }

    friend bool operator==(const DockGridPlan&, const DockGridPlan&) = default;
};

namespace DockGridLayout {

struct SpacingLimits {
    double lower = 8;
    double upper = 8;
};

double cellGap(DockGridPlatform platform);
double rowStride(double iconSide);
double gridTopInset(DockGridPlatform platform);
double edgeInset(double horizontalGap);

// How many icons of side `iconSide` with `gap` between them fit in `contentWidth`; at least 1.
std::int64_t maxColumnCount(double contentWidth, double iconSide, double gap);
// The whole leftover width per column; half of it goes on each side of each icon.
double horizontalGap(double contentWidth, std::int64_t columns, double iconSide);
// The row spacing allowed for a horizontal gap x: from max(x / 2, 8) up to at least twice the gap.
SpacingLimits rowSpacingLimits(double horizontalGap);
// The same rule the other way round: the gaps allowed for a row spacing.
SpacingLimits horizontalGapLimits(double rowSpacing);
double gridBlockHeight(std::int64_t rowCount, double rowStride, double rowSpacing);
// The fewest columns whose leftover width per icon is at most 0.55 of an icon, or the most that fit.
std::int64_t chooseColumnCount(std::int64_t itemCount, double contentWidth, double iconSide,
                               DockGridPlatform platform);
// The gap of `columns` columns pulled towards the row spacing, within that spacing's limits.
double largestHorizontalGapNearVertical(double contentWidth, std::int64_t columns, double iconSide,
                                        double rowSpacing);

DockGridPlan plan(std::int64_t itemCount, double contentWidth, double contentHeight, double iconSide,
                  DockGridPlatform platform, DockGridColumnLayout columnLayout);

// Rows of `columns` elements, the last one shorter; below 1 column the whole list is one row; an empty
// list has no rows. The rows are views of the list, which must outlive them.
template <class T>
std::vector<std::span<const T>> chunk(const std::vector<T>& list, std::int64_t columns) {
    std::vector<std::span<const T>> rows;
    if (list.empty()) return rows;
    const std::size_t width = columns < 1 ? list.size() : static_cast<std::size_t>(columns);
    for (std::size_t start = 0; start < list.size(); start += width)
        rows.emplace_back(list.data() + start, std::min(width, list.size() - start));
    return rows;
}

// Where a short row starts when centred under full rows.
std::int64_t centeredStartColumn(std::int64_t rowCount, std::int64_t fullColumns);

}  // namespace DockGridLayout

}  // namespace tavelin
