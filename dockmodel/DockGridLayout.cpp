#include "dockmodel/DockGridLayout.h"

#include <cmath>

namespace tavelin::DockGridLayout {

namespace {

// No real grid comes near this; it keeps a huge width from becoming an absurd count.
constexpr double kMaxColumnCount = 65536;
constexpr int kBisectionSteps = 24;
// Rows may overshoot the height by this much and still count as fitting.
constexpr double kFitTolerance = 0.5;
// On ios, mostColumns aims at rows that fill this share of the usable height.
constexpr double kIOSFillRatio = 0.72;

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0; }

bool isPositive(double value) { return value > 0; }

std::int64_t rowsFor(std::int64_t itemCount, std::int64_t columns) {
    return itemCount / columns + (itemCount % columns != 0 ? 1 : 0);
}

// The leftover width per icon is more than 0.55 of an icon.
bool isSparse(double contentWidth, std::int64_t columns, double iconSide) {
    const double leftover =
        (contentWidth - iconSide * static_cast<double>(columns)) / static_cast<double>(columns);
    return leftover >= 0 && leftover > 0.55 * iconSide;
}

// The widest row spacing up to twice the gap at which the rows fit in `height`; the lower limit when
// even that does not fit.
double fittingRowSpacing(double gap, std::int64_t rows, double stride, double height) {
    auto [lower, upper] = rowSpacingLimits(gap);
    const double rowCount = static_cast<double>(rows);
    const auto fits = [&](double spacing) {
        return stride * rowCount + spacing * (rowCount - 1) <= height + kFitTolerance;
    };
    if (!fits(lower)) return lower;
    for (int step = 0; step < kBisectionSteps; ++step) {
        const double middle = (lower + upper) / 2;
        (fits(middle) ? lower : upper) = middle;
    }
    return lower;
}

// The fewest non-sparse columns whose rows, at their narrowest spacing, fill at most 72% of the height.
std::int64_t iosColumnsForHeight(std::int64_t itemCount, double contentWidth, double iconSide,
                                 double usableHeight, std::int64_t limit) {
    const double target = kIOSFillRatio * usableHeight;
    for (auto columns = chooseColumnCount(itemCount, contentWidth, iconSide, DockGridPlatform::ios);
         columns <= limit; ++columns) {
        const double spacing = rowSpacingLimits(horizontalGap(contentWidth, columns, iconSide)).lower;
        if (gridBlockHeight(rowsFor(itemCount, columns), rowStride(iconSide), spacing) <= target)
            return columns;
    }
    return limit;
}

std::int64_t planColumns(std::int64_t itemCount, double contentWidth, double iconSide, double usableHeight,
                         DockGridPlatform platform, DockGridColumnLayout layout) {
    if (itemCount == 1 || !isPositive(contentWidth) || !isPositive(iconSide)) return 1;
    const auto limit = std::min(maxColumnCount(contentWidth, iconSide, cellGap(platform)), itemCount);
    switch (layout.kind) {
        case DockGridColumnLayout::Kind::fixedColumns:
            return std::min(std::max<std::int64_t>(layout.columns, 1), limit);
        case DockGridColumnLayout::Kind::fewestNonSparse:
            return chooseColumnCount(itemCount, contentWidth, iconSide, platform);
        case DockGridColumnLayout::Kind::mostColumns:
            return platform == DockGridPlatform::ios
                       ? iosColumnsForHeight(itemCount, contentWidth, iconSide, usableHeight, limit)
                       : limit;
    }
    return limit;
}

}  // namespace

double cellGap(DockGridPlatform platform) { return platform == DockGridPlatform::mac ? 12 : 2; }

double rowStride(double iconSide) { return iconSide + 8; }

double gridTopInset(DockGridPlatform platform) { return platform == DockGridPlatform::mac ? 6 : 10; }

double edgeInset(double horizontalGap) { return horizontalGap / 2; }

std::int64_t maxColumnCount(double contentWidth, double iconSide, double gap) {
    // A pitch that is not positive (a gap of minus the icon or less) places no second column.
    if (!isPositive(contentWidth) || !isPositive(iconSide) || !isPositive(iconSide + gap)) return 1;
    const double count = std::floor((contentWidth + gap) / (iconSide + gap));
    // Also catches a count that is not a number.
    if (!(count >= 1)) return 1;
    return static_cast<std::int64_t>(std::min(count, kMaxColumnCount));
}

double horizontalGap(double contentWidth, std::int64_t columns, double iconSide) {
    if (columns < 1) return 0;
    const double count = static_cast<double>(columns);
    return std::max(0.0, (contentWidth - iconSide * count) / count);
}

SpacingLimits rowSpacingLimits(double horizontalGap) {
    const double lower = std::max(horizontalGap / 2, 8.0);
    return {lower, std::max(lower, 2 * horizontalGap)};
}

SpacingLimits horizontalGapLimits(double rowSpacing) { return rowSpacingLimits(rowSpacing); }

double gridBlockHeight(std::int64_t rowCount, double rowStride, double rowSpacing) {
    if (rowCount < 1) return 0;
    const double rows = static_cast<double>(rowCount);
    return rowStride * rows + rowSpacing * (rows - 1);
}

std::int64_t chooseColumnCount(std::int64_t itemCount, double contentWidth, double iconSide,
                               DockGridPlatform platform) {
    if (itemCount < 2 || !isPositive(contentWidth) || !isPositive(iconSide)) return 1;
    const auto limit = std::min(maxColumnCount(contentWidth, iconSide, cellGap(platform)), itemCount);
    for (std::int64_t columns = 1; columns <= limit; ++columns) {
        if (!isSparse(contentWidth, columns, iconSide)) return columns;
    }
    return limit;
}

double largestHorizontalGapNearVertical(double contentWidth, std::int64_t columns, double iconSide,
                                        double rowSpacing) {
    const double gap = horizontalGap(contentWidth, columns, iconSide);
    const auto [lower, upper] = horizontalGapLimits(rowSpacing);
    if (lower > std::min(gap, upper)) return gap;
    return std::min(std::max(lower, rowSpacing), std::min(gap, upper));
}

DockGridPlan plan(std::int64_t itemCount, double contentWidth, double contentHeight, double iconSide,
                  DockGridPlatform platform, DockGridColumnLayout columnLayout) {
    DockGridPlan result;
    result.contentWidth = finiteOrZero(contentWidth);
    result.contentHeight = finiteOrZero(contentHeight);
    result.iconSide = finiteOrZero(iconSide);
    result.rowStride = rowStride(result.iconSide);
    result.gridTopInset = gridTopInset(platform);
    if (itemCount < 1) return result;

    const double width = result.contentWidth;
    const double side = result.iconSide;
    const bool ios = platform == DockGridPlatform::ios;
    const double usableHeight = ios ? std::max(result.contentHeight - 10, 0.0) : result.contentHeight;

    result.columns = planColumns(itemCount, width, side, usableHeight, platform, columnLayout);
    result.horizontalGap = horizontalGap(width, result.columns, side);
    result.rowCount = rowsFor(itemCount, result.columns);
    result.rowSpacing =
        fittingRowSpacing(result.horizontalGap, result.rowCount, result.rowStride, usableHeight);
    if (columnLayout.kind == DockGridColumnLayout::Kind::mostColumns) {
        result.horizontalGap =
            largestHorizontalGapNearVertical(width, result.columns, side, result.rowSpacing);
        result.rowSpacing =
            fittingRowSpacing(result.horizontalGap, result.rowCount, result.rowStride, usableHeight);
    }
    result.edgeInset = edgeInset(result.horizontalGap);

    const double block = gridBlockHeight(result.rowCount, result.rowStride, result.rowSpacing);
    result.scrolls = usableHeight + kFitTolerance < block;
    if (!result.scrolls) {
        const double leftover = std::max(0.0, usableHeight - block);
        result.verticalPadding = ios ? leftover : leftover / 2;
    }
    return result;
}

std::int64_t centeredStartColumn(std::int64_t rowCount, std::int64_t fullColumns) {
    rowCount = std::max<std::int64_t>(rowCount, 0);
    if (rowCount >= fullColumns) return 0;
    return (fullColumns - rowCount) / 2;
}

}  // namespace tavelin::DockGridLayout
