#pragma once

// The mark under a running application's icon: a dot, or a wider bar under the active application.
// Its colour rule is shared with the separator lines between icons.

#include "dockmodel/DockGridLayout.h"
#include "platform/ui/Node.h"
#include "platform/ui/Palette.h"

namespace tavelin {

namespace ui {
struct Environment;
}

namespace DockRunningIndicatorAppearance {

// A separator line is this share of the icon side tall.
inline constexpr double separatorLineHeightRatio = 0.62;
// The mark under the active application; other running applications get a dot.
inline constexpr double activeWidth = 28;
inline constexpr double markHeight = 6;
// A change of the active application slides the mark, unless the user asks for reduced motion.
inline constexpr double changeAnimationDuration = 0.22;

// On the Mac black in the light scheme and white in the dark one; on iOS white at 0.9 always.
ui::Color fillColor(DockGridPlatform platform, ui::ColorScheme colorScheme);

}  // namespace DockRunningIndicatorAppearance

struct DockRunningIndicatorMark {
    bool isActiveApp = false;
    DockGridPlatform platform = DockGridPlatform::mac;
    ui::ColorScheme colorScheme = ui::ColorScheme::light;

    // Reduced motion is read from the environment, not from the program's own animation setting.
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace tavelin
