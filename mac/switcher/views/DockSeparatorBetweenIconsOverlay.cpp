#include "mac/switcher/views/DockSeparatorBetweenIconsOverlay.h"

#include <algorithm>
#include <limits>

#include "mac/switcher/views/DockRunningIndicatorMark.h"
#include "platform/ui/Views.h"

namespace tavelin {
namespace {

constexpr double kLineWidth = 1;

// The icon square of a cell: as wide as the icon, or the cell when narrower, centred, at the top.
Rect iconSquare(const Rect& cell, double iconSide) {
    const double side = std::min(iconSide, cell.width);
    return Rect{cell.x + (cell.width - side) / 2, cell.y, side, side};
}

}  // namespace

ui::View DockSeparatorBetweenIconsOverlay::body(const ui::Environment& environment) const {
    const ui::Color fill = DockRunningIndicatorAppearance::fillColor(platform, environment.colorScheme);
    const double lineHeight = iconSide * DockRunningIndicatorAppearance::separatorLineHeightRatio;
    const double infinity = std::numeric_limits<double>::infinity();
    return ui::geometryReader([*this, fill, lineHeight](const ui::GeometryProxy& proxy) {
               const Rect own = proxy.frame(anchorCoordinateSpace);
               std::vector<ui::View> lines;
               for (const DockSeparatorLinePair& pair : pairs) {
                   const auto left = anchors.find(pair.left);
                   const auto right = anchors.find(pair.right);
                   if (left == anchors.end() || right == anchors.end()) continue;
                   const Rect leftSquare = iconSquare(left->second, iconSide);
                   const Rect rightSquare = iconSquare(right->second, iconSide);
                   const double centreX = (leftSquare.maxX() + rightSquare.x) / 2 - own.x;
                   const double centreY = leftSquare.y + leftSquare.height / 2 - own.y;
                   lines.push_back(ui::rectangle(fill)
                                       .frame(kLineWidth, lineHeight)
                                       .offset(centreX - kLineWidth / 2, centreY - lineHeight / 2));
               }
               return ui::zstack(lines, ui::Alignment::topLeading());
           })
        .frame(ui::FlexibleFrame{0, infinity, 0, infinity});
}

}  // namespace tavelin
