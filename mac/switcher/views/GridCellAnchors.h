#pragma once

// Where each cell of the panel's grid lies: its frame in the host's coordinate space "switcherHost",
// by cell path. The cells report their frames through the preference, merged by path; the grid keeps
// the last map as state, and the controller keeps it to find the cell under a point.

#include <map>
#include <tuple>

#include "dockmodel/DockPresentation.h"
#include "platform/Geometry.h"
#include "platform/ui/FramePreference.h"

namespace tavelin {

struct CellPathOrder {
    bool operator()(const CellPath& a, const CellPath& b) const {
        return std::tie(a.tierIndex, a.cellIndex) < std::tie(b.tierIndex, b.cellIndex);
    }
};

using GridCellAnchors = std::map<CellPath, Rect, CellPathOrder>;

// The panel host's named space.
inline constexpr const char* kSwitcherHostSpace = "switcherHost";

// The preference through which every cell reports its frame in "switcherHost".
inline const ui::FramePreference<CellPath, CellPathOrder>& switcherCellAnchorKey() {
    static const ui::FramePreference<CellPath, CellPathOrder> key("SwitcherCellAnchorKey");
    return key;
}

}  // namespace tavelin
