#pragma once

// The Dock's separator lines between two icons of the panel's grid, drawn over the grid from the
// cells' anchors: each line stands midway between the two icon squares, centred on the left square's
// middle. A pair with a cell not yet anchored draws nothing.

#include <string>
#include <vector>

#include "dockmodel/DockMainGrid.h"
#include "mac/switcher/views/GridCellAnchors.h"
#include "platform/ui/Node.h"

namespace tavelin {

namespace ui {
struct Environment;
}

struct DockSeparatorBetweenIconsOverlay {
    std::vector<DockSeparatorLinePair> pairs;
    GridCellAnchors anchors;  // cell frames in `anchorCoordinateSpace`
    double iconSide = 0;
    DockGridPlatform platform = DockGridPlatform::mac;
    std::string anchorCoordinateSpace;

    // Fills whatever it is offered.
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace tavelin
