#pragma once

// The panel's content: the icon grid (or a notice while there is no Dock model), the search badge over
// its top, on a rounded material background that is the space "switcherHost". It reads the
// controller's published state on every update; the views change state only through the controller.

#include <memory>

#include "mac/switcher/views/SwitcherHostView.h"
#include "platform/ui/Node.h"

namespace tavelin {

class SwitcherController;

struct SwitcherRootView {
    // Part of the panel's chrome of 32 by 24 points: the grid stands this far in from the edges.
    static constexpr double kHorizontalPadding = 16;
    static constexpr double kVerticalPadding = 12;
    static constexpr double kCornerRadius = 20;

    SwitcherController& controller;

    ui::View body(const ui::BuildContext& context) const;
};

// A host view of the root view over the controller. Each change of the cells' frames replaces the
// grid's anchors and reaches the controller (cellAnchorsChanged).
std::shared_ptr<SwitcherHostView> makeSwitcherHostView(const std::shared_ptr<SwitcherController>& controller,
                                                       std::shared_ptr<const ui::TextMeasurer> measurer);

}  // namespace tavelin
