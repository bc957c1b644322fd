#pragma once

// The column rules of the panel's grid and of the folder popover's grid, and the panel's outer size:
// pure functions of counts, the icon side and the screen, so that the controller only gathers their
// inputs. All lengths are in points.

#include <cstdint>
#include <optional>

#include "platform/Geometry.h"

namespace tavelin {

namespace SwitcherMainGridLayout {

inline constexpr double kColumnGap = 12;

// As many columns of icon + 12 as fit in the inner width (with one gap's grace), kept within 1 and the
// item count; 1 for no items, no width or no icon.
std::int64_t columns(std::int64_t itemCount, double iconSide, double innerMaxWidth);

}  // namespace SwitcherMainGridLayout

namespace SwitcherFolderGridLayout {

inline constexpr double kWidthBudget = 508;

std::int64_t columns(std::int64_t itemCount, double iconSide);

}  // namespace SwitcherFolderGridLayout

namespace SwitcherPanelGeometry {

inline constexpr double kHorizontalChrome = 32;
inline constexpr double kVerticalChrome = 24;
inline constexpr double kScreenShare = 0.8;
inline constexpr double kRowGap = 12;
// Below the icon: 8 points of space and a 20-point label line.
inline constexpr double kLabelBand = 8 + 20;
inline constexpr double kSelectedLabelFontSize = 12;
inline constexpr double kSelectedLabelPadding = 48;

struct Fit {
    double gridInnerWidth = 0;  // published as panelGridInnerWidth
    double labelMaxWidth = 0;   // published as panelLabelMaxWidth
    double width = 0;           // the panel's content size
    double height = 0;
    friend bool operator==(const Fit&, const Fit&) = default;
};

// The panel's size for `cellCount` grid cells (separator lines not counted) on a screen whose visible
// frame is given. `selectedLabelWidth` is the measured label of the selection (text plus padding),
// given only while there is no search text: it may widen the panel beyond its grid, never beyond the
// grid's room on the screen.
Fit fit(std::int64_t cellCount, double iconSide, const Rect& visibleFrame,
        std::optional<double> selectedLabelWidth);

// The origin that centres a frame of that size in the visible frame; not rounded.
Point centredOrigin(const Rect& visibleFrame, double width, double height);

}  // namespace SwitcherPanelGeometry

}  // namespace tavelin
