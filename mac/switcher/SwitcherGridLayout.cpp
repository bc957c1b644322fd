#include "mac/switcher/SwitcherGridLayout.h"

#include <algorithm>
#include <cmath>

namespace tavelin {

namespace {

std::int64_t fittingColumns(std::int64_t itemCount, double fit) {
    if (!(fit >= 1)) return 1;  // NaN too, which no integer holds
    if (fit > static_cast<double>(itemCount)) return itemCount;
    return static_cast<std::int64_t>(fit);
}

}  // namespace

std::int64_t SwitcherMainGridLayout::columns(std::int64_t itemCount, double iconSide, double innerMaxWidth) {
    if (itemCount < 1 || !(innerMaxWidth > 0) || !(iconSide > 0)) return 1;
    return fittingColumns(itemCount, std::floor((innerMaxWidth + kColumnGap) / (iconSide + kColumnGap)));
}

std::int64_t SwitcherFolderGridLayout::columns(std::int64_t itemCount, double iconSide) {
    if (itemCount < 1 || !(iconSide > 0)) return 1;
    return fittingColumns(itemCount,
                          std::floor(kWidthBudget / (iconSide + SwitcherMainGridLayout::kColumnGap)));
}

SwitcherPanelGeometry::Fit SwitcherPanelGeometry::fit(std::int64_t cellCount, double iconSide,
                                                      const Rect& visibleFrame,
                                                      std::optional<double> selectedLabelWidth) {
    const double maxWidth = kScreenShare * visibleFrame.width;
    const double maxHeight = kScreenShare * visibleFrame.height;
    const double innerMax = maxWidth - kHorizontalChrome;
    const std::int64_t columns = SwitcherMainGridLayout::columns(cellCount, iconSide, innerMax);
    const std::int64_t rows = std::max<std::int64_t>(1, (cellCount + columns - 1) / columns);

    Fit result;
    result.gridInnerWidth = (iconSide + SwitcherMainGridLayout::kColumnGap) * static_cast<double>(columns);
    double contentWidth = result.gridInnerWidth;
    if (selectedLabelWidth && *selectedLabelWidth > contentWidth) contentWidth = std::min(*selectedLabelWidth, innerMax);
    result.labelMaxWidth = contentWidth;

    const double gridHeight = std::min(static_cast<double>(rows) * (iconSide + kLabelBand) +
                                           static_cast<double>(rows - 1) * kRowGap,
                                       maxHeight - kVerticalChrome);
    result.width = std::min(contentWidth + kHorizontalChrome, maxWidth);
    result.height = std::min(gridHeight + kVerticalChrome, maxHeight);
    return result;
}

Point SwitcherPanelGeometry::centredOrigin(const Rect& visibleFrame, double width, double height) {
    return Point{visibleFrame.x + visibleFrame.width / 2 - width / 2,
                 visibleFrame.y + visibleFrame.height / 2 - height / 2};
}

}  // namespace tavelin
