#pragma once

// The room a Dock spacer takes in a layout that gives it a slot: nothing visible, the icon's square
// (narrower for a small spacer, none for a separator, whose line the overlay draws) and the label band
// below it.

#include "platform/ui/Node.h"
#include "protocol/DockEnums.h"

namespace tavelin {

struct DockSeparatorSlotView {
    SeparatorKind kind = SeparatorKind::spacer;
    double iconSide = 0;
    double slotHeight = 0;
    // The panel passes one; nothing in the slot is visible, so it changes nothing.
    double separatorOpacity = 1;

    ui::View body() const;
};

}  // namespace tavelin
